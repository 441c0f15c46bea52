#pragma once

#include "MyList.h"

#include <QList>

// The words of a condition row: objects, their properties, the runner-metadata
// parameters of "Silks" and the comparisons, each list in the order its combo
// shows it. Every call builds the list afresh with labels translated now, so
// the lists follow the installed translators.
class ConditionVocabulary
{
public:
    ConditionVocabulary() = delete;

    static QList<MyList> Objects();

    // An object id outside the vocabulary gives an empty list.
    static QList<MyList> Properties(int objectId);

    // The runner-metadata parameters, offered only for "Silks" of the
    // selections that have it; empty otherwise.
    static QList<MyList> Parameters(int objectId, int propertyId);

    // The comparisons of a property (of a parameter under "Silks"). A property
    // its object does not offer gets the numeric comparisons; an unknown
    // object, or an unknown parameter under "Silks", gets none.
    static QList<MyList> Comparisons(int objectId, int propertyId, int parameterId = MyList::NoId);
};
