#pragma once

// Which value editors a condition row shows for its chosen object, property,
// runner-metadata parameter and comparison, and how their values are judged.
struct EditorSetup
{
    enum class Editors {
        None, // the comparison alone is the condition
        Text, // one text edit
        One, // one value edit
        Range, // two value edits, from and to
        List, // the list editor, of typed values or over a catalog
    };
    enum class Values {
        Text, // any non-empty text
        Pattern, // a regular expression matched against the runner's form
        Number,
        WholeNumber, // values read as whole numbers
        Price, // prices on the exchange's ladder
    };
    enum class Catalog { None, Countries, Sports, MarketTypes, SexTypes };

    Editors editors = Editors::None;
    Values values = Values::Text;
    Catalog catalog = Catalog::None;

    // The parameter counts only under "Silks"; ids outside the vocabulary
    // (MyList::NoId for a combo without a current item) get the setup of
    // "any other" id.
    static EditorSetup For(int object, int property, int parameter, int comparison);
};
