#include "QSearcher.h"

// Export is not built yet: the actions panel is released at once.
void QSearcher::Export(bool, bool, bool)
{
    emit ActionDone();
}
