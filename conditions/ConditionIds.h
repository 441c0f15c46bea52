#pragma once

// The ids of the condition vocabulary. They are the numbers the filter building
// and the row switch on, so they never change; the same number means different
// things in different lists.

namespace ObjectId {
enum : int {
    Event = 9,
    Market = 10,
    AnySelection = 20,
    EverySelection = 30,
    Favourite = 40,
    Home = 50,
    Away = 60,
    Draw = 70,
};

// The objects whose rows test each selection of a market.
inline bool IsSelection(int id)
{
    switch (id) {
    case AnySelection:
    case EverySelection:
    case Favourite:
    case Home:
    case Away:
    case Draw:
        return true;
    default:
        return false;
    }
}
} // namespace ObjectId

namespace EventProperty {
enum : int {
    Name = 10,
    Country = 20,
    Sport = 25,
    MinToStart = 40,
    MinSinceOff = 50,
    HomeScore = 160,
    AwayScore = 170,
    DrawScore = 180,
    Minute = 190,
};
} // namespace EventProperty

namespace MarketProperty {
enum : int {
    Name = 10,
    Type = 27,
    Status = 30,
    NumSel = 60,
    NumPls = 70,
    NumWith = 80,
    Volume = 90,
    SP = 100,
    InPlay = 110,
    BackBook = 130,
    LayBook = 140,
    HasBets = 150,
};
} // namespace MarketProperty

namespace SelectionProperty {
enum : int {
    Name = 10,
    Back = 20,
    Lay = 30,
    Last = 40,
    Volume = 50,
    FarSP = 60,
    NearSP = 70,
    ActualSP = 80,
    HasBets = 150,
    Silks = 160,
};
} // namespace SelectionProperty

// Runner-metadata parameters of the "Silks" property.
namespace MetadataParam {
enum : int {
    TrainerName = 10,
    Age = 20,
    ColourType = 30,
    OfficialRating = 40,
    AdjustedRating = 45,
    Wearing = 50,
    StallDraw = 60,
    OwnerName = 70,
    SireName = 80,
    SireYearBorn = 85,
    DamName = 90,
    DamYearBorn = 95,
    SexType = 100,
    DamSireName = 102,
    DamSireYearBorn = 105,
    JockeyName = 130,
    ClothNumber = 140,
    ForecastNumerator = 160,
    ForecastDenominator = 170,
    DaysSinceLastRun = 180,
    JockeyClaim = 190,
    Form = 200,
};

// The parameters whose values are texts (names, colours, equipment).
inline bool IsText(int id)
{
    switch (id) {
    case TrainerName:
    case ColourType:
    case Wearing:
    case OwnerName:
    case SireName:
    case DamName:
    case DamSireName:
    case JockeyName:
        return true;
    default:
        return false;
    }
}
} // namespace MetadataParam

// Numeric comparisons; the range set uses the same ids.
namespace NumberComparison {
enum : int {
    Equal = 10,
    NotEqual = 20,
    Greater = 30,
    Less = 40,
    GreaterOrEqual = 50,
    LessOrEqual = 60,
    Between = 70,
    Outside = 80,
    InList = 98,
    NotInList = 99,
};
} // namespace NumberComparison

// "Is in list" and "Is not in list" have the same ids in every set that has them.
inline bool IsListComparison(int id)
{
    return id == NumberComparison::InList || id == NumberComparison::NotInList;
}

namespace TextComparison {
enum : int {
    Equal = 10,
    NotEqual = 20,
    Contains = 30,
    NotContains = 40,
    StartsWith = 50,
    EndsWith = 60,
    InList = 98,
    NotInList = 99,
};
} // namespace TextComparison

namespace FlagComparison {
enum : int {
    IsTrue = 10,
    IsFalse = 20,
};
} // namespace FlagComparison

namespace StatusComparison {
enum : int {
    Idle = 10,
    InPlay = 20,
};
} // namespace StatusComparison

namespace BetsComparison {
enum : int {
    AnyBets = 10,
    NoBets = 20,
    Matched = 30,
    Unmatched = 40,
};
} // namespace BetsComparison

// Home score against away score; note GR and NE differ from the numeric ids.
namespace ScoreComparison {
enum : int {
    Equal = 10,
    HomeAhead = 20,
    AwayAhead = 30,
    NotEqual = 40,
};
} // namespace ScoreComparison

namespace SequenceComparison {
enum : int {
    Matches = 10,
    NotMatches = 20,
};
} // namespace SequenceComparison
