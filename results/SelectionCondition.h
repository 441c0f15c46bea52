#pragma once

#include <QJsonObject>
#include <QRegExp>
#include <QString>
#include <QVector>

class QSelection;

// One entry of the search filter's "sel" array, read once for a price pass:
// the selections it restricts to, its tests in the order they run, and a
// runner-form pattern compiled once rather than once per selection.
struct SelectionCondition
{
    explicit SelectionCondition(const QJsonObject& entry);

    // Outcomes of a test: a selection that meets the entry counts for it.
    enum Outcome { Fails = 0, Untested = 1, Meets = 3 };

    enum class Kind { Any, All, Favourite, Home, Away, Draw };
    struct NumberTest
    {
        QJsonObject condition;
        int column;
        int role;
        bool percent;
    };
    enum class Silks { None, Number, Text, Form, Other };

    Kind kind = Kind::Any;
    bool hasName = false;
    QJsonObject name;
    bool hasBets = false;
    QString bets;
    Silks silks = Silks::None;
    QString silksKey;
    QJsonObject silksCondition;
    // A form pattern over the length the condition row allows, or one that
    // does not compile, fails every selection, inverted or not.
    bool formUsable = false;
    bool formInverted = false;
    QRegExp form;
    QVector<NumberTest> numbers;
};

// Tests a selection that is not withdrawn against one entry; filter is the
// whole search filter (its list of order statuses takes part). teamSport
// says whether home, away and draw mean anything in the market's sport.
SelectionCondition::Outcome TestSelection(
    const SelectionCondition& entry, const QJsonObject& filter, const QSelection& selection, bool teamSport);

// A share or a book as a percentage, without the binary noise of the
// product: a share of 0.29 is 29 %, not 28.999999999999996 %.
double Percent(double fraction);
