#include "MyList.h"

int MyList::RegisterMetaType()
{
    static const int type = qRegisterMetaType<MyList>("MyList");
    return type;
}
