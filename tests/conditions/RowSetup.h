#pragma once

#include "QListEditor.h"
#include "QPriceEdit.h"
#include "TriggerRow.h"

#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPushButton>
#include <QtTest>

// Condition rows set up through their widgets, as the user would, and the filter objects they build.
namespace RowSetup {

// The widgets of a row, by the names its form gives them.
struct Parts
{
    TriggerRow& row;
    QComboBox* objects = row.findChild<QComboBox*>("ObjList");
    QComboBox* properties = row.findChild<QComboBox*>("PropList");
    QComboBox* parameters = row.findChild<QComboBox*>("ParamsList");
    QComboBox* comparisons = row.findChild<QComboBox*>("CondList");
    QPriceEdit* text = row.findChild<QPriceEdit*>("ValueText");
    QPriceEdit* value1 = row.findChild<QPriceEdit*>("Value1");
    QPriceEdit* value2 = row.findChild<QPriceEdit*>("Value2");
    QListEditor* list = row.findChild<QListEditor*>("ListEditor");
    QPushButton* remove = row.findChild<QPushButton*>("ButDel");
};

inline bool select(QComboBox* combo, const QString& code)
{
    combo->setCurrentIndex(TriggerRow::FindItem(combo, code));
    return combo->currentIndex() >= 0;
}

// A row: "object property [parameter] comparison", the texts of ValueText, Value1 and Value2, the list items.
struct RowSetting
{
    QString choice;
    QStringList texts = {};
    QStringList items = {};
};

// As a stored row is rebuilt: the texts first, then the combos from left to right, then the list.
inline bool load(TriggerRow& row, const RowSetting& setting)
{
    const Parts parts { row };
    QPriceEdit* const edits[] = { parts.text, parts.value1, parts.value2 };
    for (int i = 0; i < setting.texts.size() && i < 3; ++i)
        edits[i]->setText(setting.texts.at(i));
    const QStringList codes = setting.choice.split(' ');
    QList<QComboBox*> combos { parts.objects, parts.properties, parts.parameters, parts.comparisons };
    if (codes.size() == 3)
        combos.removeAt(2);
    bool found = codes.size() == combos.size();
    for (int i = 0; found && i < combos.size(); ++i)
        found = select(combos.at(i), codes.at(i));
    if (!setting.items.isEmpty())
        parts.list->SetItems(setting.items);
    return found;
}

inline QString Text(const QJsonObject& object) { return QJsonDocument(object).toJson(QJsonDocument::Compact); }

inline QJsonObject Json(const QString& text) { return QJsonDocument::fromJson(text.toUtf8()).object(); }

} // namespace RowSetup

#define COMPARE_JSON(actual, expected) QCOMPARE(RowSetup::Text(actual), RowSetup::Text(expected))
