#pragma once

#include <QComboBox>

// A combo box that stores the data (Qt::UserRole) of its chosen item in the
// settings store and chooses it again when its owner gives it a key. The
// owner fills it with AddItem and then calls SetSettingsKey; after refilling
// (clear, AddItem) it calls SetSettingsKey again.
class QMyComboBox : public QComboBox
{
    Q_OBJECT

public:
    // Items carrying true under this role are never stored.
    static constexpr int NotStoredRole = Qt::UserRole + 1;

    explicit QMyComboBox(QWidget* parent = nullptr);

    // Appends without announcing anything, so filling neither stores nor
    // reaches the owner's slots.
    void AddItem(const QString& text, const QVariant& data, bool notStored = false);

    // Restores the stored choice (when the key is not empty) and then always
    // announces the current index, so the owner's slots see the final choice.
    void SetSettingsKey(const QString& group, const QString& key);

public slots:
    void LoadIndex();
    void SaveIndex(int index);
    // Hides QComboBox::clear: removes the items silently; the stored value stays.
    void clear();

private:
    QString settingsKey() const;

    QString m_group;
    QString m_key;

    Q_DISABLE_COPY(QMyComboBox)
};
