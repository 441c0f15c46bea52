#include "QSearcher.h"

// Selection rules are not built yet.

void QSearcher::Select(const QString&) { }

void QSearcher::itemChecked(QStandardItem*) { }

void QSearcher::UpdateCheckedCount() { }
