#include "QCheckBoxWithColor.h"

#include "SettingsKey.h"
#include "SettingsStore.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QHBoxLayout>
#include <QPointer>
#include <QSettings>
#include <QToolButton>

namespace {

QCheckBoxWithColor::ColorPicker& colorPicker()
{
    static QCheckBoxWithColor::ColorPicker installed;
    return installed;
}

QColor pickColor(const QColor& current, QWidget* parent)
{
    if (colorPicker())
        return colorPicker()(current, parent);
    return QColorDialog::getColor(current, parent, QString(), QColorDialog::ColorDialogOptions());
}

// Below this HSL lightness the text on the box is drawn white.
constexpr int DarkBelow = 127;

} // namespace

QCheckBoxWithColor::QCheckBoxWithColor(QWidget* parent)
    : QWidget(parent)
{
    buildForm();
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("QCheckBoxWithColor"));
    connect(m_checkBox, &QCheckBox::clicked, this, &QCheckBoxWithColor::clicked);
    connect(m_checkBox, &QCheckBox::clicked, this, &QCheckBoxWithColor::saveChecked);
    connect(m_button, &QToolButton::clicked, this, &QCheckBoxWithColor::callDialog);
}

void QCheckBoxWithColor::buildForm()
{
    resize(352, 23);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setWindowTitle(tr("Form"));

    m_layout = new QHBoxLayout(this);
    m_layout->setObjectName(QStringLiteral("horizontalLayout"));
    m_layout->setSpacing(0);
    m_layout->setContentsMargins(0, 0, 0, 0);

    m_checkBox = new QCheckBox(this);
    m_checkBox->setObjectName(QStringLiteral("checkBox"));
    m_checkBox->setAutoFillBackground(true);
    m_layout->addWidget(m_checkBox);

    m_button = new QToolButton(this);
    m_button->setObjectName(QStringLiteral("button"));
    m_button->setMinimumSize(16, 16);
    m_button->setMaximumSize(20, 20);
    m_button->setCursor(Qt::PointingHandCursor);
    m_button->setAutoFillBackground(false);
    m_button->setStyleSheet(QStringLiteral("border: 0;"));
    m_button->setIcon(QIcon(QStringLiteral(":/icons/color.png")));
    m_button->setAutoRaise(true);
    m_button->setToolTip(tr("Click to change color"));
    m_layout->addWidget(m_button);
}

void QCheckBoxWithColor::SetSettingsKey(
    const QString& group, const QString& key, bool defaultChecked, const QColor& defaultColor)
{
    m_group = group;
    m_key = key;
    if (m_key.isEmpty())
        return;
    m_colorKey = QStringLiteral("%1_color").arg(m_key);
    setChecked(load(m_key, defaultChecked).toBool());
    // A stored value that is no colour (a hand-edited file) gives the default.
    const QColor stored = load(m_colorKey, defaultColor).value<QColor>();
    setColor(stored.isValid() ? stored : defaultColor);
}

void QCheckBoxWithColor::setColor(const QColor& color)
{
    m_color = color;
    QPalette palette = m_checkBox->palette();
    palette.setBrush(QPalette::All, m_checkBox->backgroundRole(), QBrush(color, Qt::SolidPattern));
    const QColor textColor = color.lightness() < DarkBelow ? Qt::white : Qt::black;
    palette.setBrush(QPalette::All, m_checkBox->foregroundRole(), QBrush(textColor, Qt::SolidPattern));
    m_checkBox->setPalette(palette);
}

QColor QCheckBoxWithColor::color() const
{
    return m_color;
}

void QCheckBoxWithColor::save(const QString& key, const QVariant& value)
{
    QSettings* store = SettingsStore();
    if (store && !key.isEmpty())
        store->setValue(JoinSettingsKey(m_group, key), value);
}

QVariant QCheckBoxWithColor::load(const QString& key, const QVariant& defaultValue) const
{
    const QSettings* store = SettingsStore();
    if (!store || key.isEmpty())
        return defaultValue;
    return store->value(JoinSettingsKey(m_group, key), defaultValue);
}

bool QCheckBoxWithColor::isChecked() const
{
    return m_checkBox->isChecked();
}

QString QCheckBoxWithColor::text() const
{
    return m_checkBox->text();
}

void QCheckBoxWithColor::setChecked(bool checked)
{
    m_checkBox->setChecked(checked);
}

void QCheckBoxWithColor::setText(const QString& text)
{
    m_checkBox->setText(text);
}

// Before the owner names the key there is nowhere sensible to store.
void QCheckBoxWithColor::saveChecked(bool _val)
{
    if (!m_key.isEmpty())
        save(m_key, _val);
}

void QCheckBoxWithColor::callDialog()
{
    QPointer<QCheckBoxWithColor> guard(this);
    const QColor chosen = pickColor(m_color, this);
    // The dialog runs its own event loop; the row may be gone when it returns.
    if (!guard || !chosen.isValid())
        return;
    setColor(chosen);
    if (!m_key.isEmpty())
        save(m_colorKey, chosen);
    emit colorChanged(chosen);
}

void QCheckBoxWithColor::SetColorPicker(ColorPicker picker)
{
    colorPicker() = std::move(picker);
}
