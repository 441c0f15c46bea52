#pragma once

#include "MyList.h"
#include "QCatalog.h"
#include "QListEditor.h"
#include "QPriceEdit.h"
#include "QSportsCatalog.h"
#include "TriggerRow.h"

#include "conditions/FilterReaders.h"

#include <QComboBox>
#include <QPushButton>
#include <QStringList>

// Condition rows set up through their widgets, as the user would, and the
// golden template of the filter tests.
namespace RowSetup {

// The widgets of a row, found by the object names its form gives them.
struct Parts
{
    explicit Parts(TriggerRow& row)
        : objects(row.findChild<QComboBox*>("ObjList"))
        , properties(row.findChild<QComboBox*>("PropList"))
        , parameters(row.findChild<QComboBox*>("ParamsList"))
        , comparisons(row.findChild<QComboBox*>("CondList"))
        , text(row.findChild<QPriceEdit*>("ValueText"))
        , value1(row.findChild<QPriceEdit*>("Value1"))
        , value2(row.findChild<QPriceEdit*>("Value2"))
        , list(row.findChild<QListEditor*>("ListEditor"))
        , remove(row.findChild<QPushButton*>("ButDel"))
    {
    }
    QComboBox* objects;
    QComboBox* properties;
    QComboBox* parameters;
    QComboBox* comparisons;
    QPriceEdit* text;
    QPriceEdit* value1;
    QPriceEdit* value2;
    QListEditor* list;
    QPushButton* remove;
};

inline QString code(const QComboBox* combo)
{
    return combo->currentData().value<MyList>().code;
}

inline bool select(QComboBox* combo, const QString& wanted)
{
    const int index = TriggerRow::FindItem(combo, wanted);
    combo->setCurrentIndex(index);
    return index >= 0;
}

// One row: object, property, parameter (empty unless "Silks"), comparison,
// the texts of ValueText, Value1 and Value2, and the list items.
struct Spec
{
    QString object;
    QString property;
    QString parameter;
    QString comparison;
    QStringList texts = {};
    QStringList items = {};
};

// Sets a row up the way a stored row is rebuilt: the value texts first, then
// the combos from left to right, then the list. An empty parameter is skipped.
inline bool load(TriggerRow& row, const Spec& spec)
{
    Parts parts(row);
    QPriceEdit* const edits[] = { parts.text, parts.value1, parts.value2 };
    for (int i = 0; i < spec.texts.size() && i < 3; ++i)
        edits[i]->setText(spec.texts.at(i));
    bool found = select(parts.objects, spec.object) && select(parts.properties, spec.property);
    if (!spec.parameter.isEmpty())
        found = found && select(parts.parameters, spec.parameter);
    found = found && select(parts.comparisons, spec.comparison);
    if (!spec.items.isEmpty())
        parts.list->SetItems(spec.items);
    return found;
}

inline bool load(TriggerRow& row, const QString& object, const QString& property, const QString& parameter,
    const QString& comparison, const QStringList& texts = {}, const QStringList& items = {})
{
    return load(row, { object, property, parameter, comparison, texts, items });
}

// Ten rows that touch every part of the filter: catalog lists merged across
// rows, open and closed ranges, an outside range, metadata, names, bets and
// scores.
inline QList<Spec> GoldenRows()
{
    return {
        { "Event", "Sport", "", "NotInList", {}, { "1", "2" } },
        { "Event", "Sport", "", "InList", {}, { "7", "4" } },
        { "Market", "Volume", "", "GE", { "", "100000" }, {} },
        { "Market", "NumSel", "", "Btw", { "", "2", "5" }, {} },
        { "Fav", "Back", "", "Ots", { "", "1.5", "2" }, {} },
        { "Any", "Silks", "FORM", "SQ", { "1.2" }, {} },
        { "All", "Name", "", "NotInList", {}, { "The Field", "Bar" } },
        { "Draw", "HasBets", "", "Unmatched", {}, {} },
        { "Market", "HasBets", "", "Any", {}, {} },
        { "Event", "DrawScore", "", "LS", { "2" }, {} },
    };
}

// The filter of GoldenRows(); it reads the sports catalog, so call it once
// the catalogs exist.
inline QJsonObject GoldenFilter()
{
    QStringList sports = QCatalog::sports->Codes({ "1", "2" }, true);
    sports << "4"
           << "7"; // catalog order, not the order chosen
    QJsonObject expected = FilterReaders::Json(R"({
        "volume": {"from": 100000, "to": 1e15},
        "numberOfSelections": {"from": 2, "to": 5},
        "sel": [{"sel": "fav", "backPrice": {"from": 1.5, "to": 2, "invert": true}},
                {"sel": "any", "silks": {"FORM": {"type": "FORM", "regexp": "1.2"}}},
                {"sel": "all", "selName": {"text": {"list": ["The Field", "Bar"], "invert": true}}},
                {"sel": "draw", "bets": "Unmatched"}],
        "silks": true,
        "withOrders": ["EXECUTION_COMPLETE", "EXECUTABLE"],
        "drawScore": -2, "scores": true})");
    expected.insert("eventTypeIds", QJsonArray::fromStringList(sports));
    return expected;
}

} // namespace RowSetup
