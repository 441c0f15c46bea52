#pragma once

#include <QMetaType>
#include <QString>

// One item of a condition row's combo. The id drives the filter building, the
// code is what template files store, the label is what the user sees. Ids are
// unique within one list only, so an id or a code means something only together
// with the list it came from.
struct MyList
{
    // The id of "no item": what the data of a combo without a current item reads as.
    static constexpr int NoId = -1;

    int id = NoId;
    QString code;
    QString label;

    // Registers the record with the meta-type system under "MyList"; safe to call often.
    static int RegisterMetaType();
};

Q_DECLARE_METATYPE(MyList)
