#pragma once

#include "MyList.h"

#include <QString>
#include <QStringList>

// What one condition row says, as the filter building reads it: the ids of
// its chosen object, property, parameter and comparison (MyList::NoId where a
// combo has no current item) and its value editors' contents as typed. The
// texts are turned into numbers by the building, which knows per property
// whether a value is a whole number, minutes or a decimal.
struct RowCondition
{
    int object = MyList::NoId;
    int property = MyList::NoId;
    int parameter = MyList::NoId;
    // The runner-metadata key of the parameter ("TRAINER_NAME").
    QString parameterCode;
    int comparison = MyList::NoId;
    QString comparisonCode;

    QString text;
    QString value1;
    QString value2;
    // The list editor's items: typed values, or catalog codes as chosen.
    QStringList items;
    // The list editor's catalog codes in catalog order: the chosen ones, or
    // for "Is not in list" the catalog's other codes.
    QStringList catalogCodes;
};
