#include "QMyComboBox.h"

#include "SettingsKey.h"
#include "SettingsStore.h"

#include <QSettings>
#include <QSignalBlocker>

QMyComboBox::QMyComboBox(QWidget* parent)
    : QComboBox(parent)
{
    connect(this, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &QMyComboBox::SaveIndex);
}

void QMyComboBox::AddItem(const QString& text, const QVariant& data, bool notStored)
{
    const QSignalBlocker blocker(this);
    addItem(text, data);
    if (notStored)
        setItemData(count() - 1, true, NotStoredRole);
}

void QMyComboBox::SetSettingsKey(const QString& group, const QString& key)
{
    m_group = group;
    m_key = key;
    if (!m_key.isEmpty())
        LoadIndex();
    emit currentIndexChanged(currentIndex());
}

void QMyComboBox::LoadIndex()
{
    QSettings* store = SettingsStore();
    if (m_key.isEmpty() || !store)
        return;
    const QString stored = store->value(settingsKey(), QVariant()).toString();
    // A code that no item carries any more chooses nothing rather than a
    // wrong item; nothing is written back, so the stored code survives.
    setCurrentIndex(stored.isEmpty() ? 0 : findData(stored));
}

void QMyComboBox::SaveIndex(int index)
{
    const int current = currentIndex();
    if (current < 0 || itemData(current, NotStoredRole).toBool())
        return;
    QSettings* store = SettingsStore();
    if (m_key.isEmpty() || index < 0 || !store)
        return;
    store->setValue(settingsKey(), itemData(current));
}

void QMyComboBox::clear()
{
    const QSignalBlocker blocker(this);
    QComboBox::clear();
}

QString QMyComboBox::settingsKey() const
{
    return JoinSettingsKey(m_group, m_key);
}
