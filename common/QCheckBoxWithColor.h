#pragma once

#include <QColor>
#include <QWidget>

#include <functional>

class QCheckBox;
class QHBoxLayout;
class QToolButton;

// A check box with a small colour button beside it. It stores its checked
// state under "group/key" and its colour under "group/key_color" in the
// settings store, so the result-column rows of the settings tab need no load
// or save code of their own.
class QCheckBoxWithColor : public QWidget
{
    Q_OBJECT

public:
    explicit QCheckBoxWithColor(QWidget* parent = nullptr);

    // Restores the checked state and colour, falling back on the defaults;
    // emits nothing, the owner reads isChecked() and color() afterwards.
    void SetSettingsKey(
        const QString& group, const QString& key, bool defaultChecked, const QColor& defaultColor);

    // Paints the box only: stores nothing and emits nothing.
    void setColor(const QColor& color);
    QColor color() const;

    // Plain access to the store under the group; nothing happens while no
    // store is open, and load() then gives the default.
    void save(const QString& key, const QVariant& value);
    QVariant load(const QString& key, const QVariant& defaultValue) const;

    virtual bool isChecked() const;
    virtual QString text() const;

    // For tests only: answers the colour choice in place of the modal colour
    // dialog (an invalid colour counts as cancelled). An empty function
    // restores the dialog.
    using ColorPicker = std::function<QColor(const QColor& current, QWidget* parent)>;
    static void SetColorPicker(ColorPicker picker);

signals:
    void clicked(bool checked = false);
    void colorChanged(QColor color);

public slots:
    virtual void setChecked(bool checked);
    virtual void setText(const QString& text);
    void saveChecked(bool _val);
    void callDialog();

private:
    void buildForm();

    QHBoxLayout* m_layout = nullptr;
    QCheckBox* m_checkBox = nullptr;
    QToolButton* m_button = nullptr;
    QColor m_color = Qt::white;
    QString m_group;
    QString m_key;
    QString m_colorKey = QStringLiteral("_color");

    Q_DISABLE_COPY(QCheckBoxWithColor)
};
