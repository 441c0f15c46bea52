#include "EditorSetup.h"

#include "ConditionIds.h"

namespace {

using Editors = EditorSetup::Editors;
using Values = EditorSetup::Values;
using Catalog = EditorSetup::Catalog;

EditorSetup Setup(Editors editors, Values values, Catalog catalog = Catalog::None)
{
    EditorSetup setup;
    setup.editors = editors;
    setup.values = values;
    setup.catalog = catalog;
    return setup;
}

bool IsRange(int comparison)
{
    return comparison == NumberComparison::Between || comparison == NumberComparison::Outside;
}

// Numbers and prices: two edits for a range, the list editor for a list.
EditorSetup ValueSetup(Values values, int comparison)
{
    if (IsRange(comparison))
        return Setup(Editors::Range, values);
    if (IsListComparison(comparison))
        return Setup(Editors::List, values);
    return Setup(Editors::One, values);
}

EditorSetup TextSetup(int comparison)
{
    return IsListComparison(comparison) ? Setup(Editors::List, Values::Text)
                                        : Setup(Editors::Text, Values::Text);
}

EditorSetup CatalogSetup(Catalog catalog)
{
    return Setup(Editors::List, Values::Text, catalog);
}

EditorSetup EventSetup(int property, int comparison)
{
    switch (property) {
    case EventProperty::Name:
        return TextSetup(comparison);
    case EventProperty::Country:
        return CatalogSetup(Catalog::Countries);
    case EventProperty::Sport:
        return CatalogSetup(Catalog::Sports);
    case EventProperty::DrawScore:
        // A goal difference, read as a whole number.
        if (comparison == ScoreComparison::HomeAhead || comparison == ScoreComparison::AwayAhead)
            return Setup(Editors::Text, Values::WholeNumber);
        return {};
    default:
        return ValueSetup(Values::Number, comparison);
    }
}

EditorSetup MarketSetup(int property, int comparison)
{
    switch (property) {
    case MarketProperty::Name:
        return TextSetup(comparison);
    case MarketProperty::Type:
        return CatalogSetup(Catalog::MarketTypes);
    case MarketProperty::Status:
    case MarketProperty::SP:
    case MarketProperty::InPlay:
    case MarketProperty::HasBets:
        return {};
    case MarketProperty::NumSel:
    case MarketProperty::NumPls:
    case MarketProperty::NumWith:
        return ValueSetup(Values::WholeNumber, comparison);
    default:
        return ValueSetup(Values::Number, comparison);
    }
}

EditorSetup SilksSetup(int parameter, int comparison)
{
    if (MetadataParam::IsText(parameter))
        return TextSetup(comparison);
    switch (parameter) {
    case MetadataParam::SexType:
        return CatalogSetup(Catalog::SexTypes);
    case MetadataParam::Form:
        return Setup(Editors::Text, Values::Pattern);
    default:
        return ValueSetup(Values::Number, comparison);
    }
}

EditorSetup SelectionSetup(int property, int parameter, int comparison)
{
    switch (property) {
    case SelectionProperty::Name:
        return TextSetup(comparison);
    case SelectionProperty::Back:
    case SelectionProperty::Lay:
    case SelectionProperty::Last:
    case SelectionProperty::FarSP:
    case SelectionProperty::NearSP:
    case SelectionProperty::ActualSP:
        return ValueSetup(Values::Price, comparison);
    case SelectionProperty::HasBets:
        return {};
    case SelectionProperty::Silks:
        return SilksSetup(parameter, comparison);
    default:
        return ValueSetup(Values::Number, comparison);
    }
}

} // namespace

EditorSetup EditorSetup::For(int object, int property, int parameter, int comparison)
{
    if (object == ObjectId::Event)
        return EventSetup(property, comparison);
    if (object == ObjectId::Market)
        return MarketSetup(property, comparison);
    if (ObjectId::IsSelection(object))
        return SelectionSetup(property, parameter, comparison);
    return {};
}
