#include "QSearcher.h"

// E-mail is not built yet: the actions panel is released at once.
void QSearcher::Mail(const QString&)
{
    emit ActionDone();
}

void QSearcher::MailDone(const QString&)
{
    emit ActionDone();
}
