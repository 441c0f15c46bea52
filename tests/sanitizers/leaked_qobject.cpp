// Leaks one QObject on purpose. The leak check must report it: CTest expects
// this program to fail, so a suppression that would hide a QObject leaked by
// the program turns the run red.

#include <QObject>

class LeakedWorker : public QObject
{
    Q_OBJECT

public:
    LeakedWorker() = default;
};

namespace {

Q_NEVER_INLINE void Leak()
{
    auto* worker = new LeakedWorker;
    worker->setObjectName(QStringLiteral("leaked on purpose"));
}

// A stale copy of the pointer left on the stack would keep the object
// reachable and the leak unseen.
Q_NEVER_INLINE void WipeStack()
{
    volatile char area[16384];
    for (volatile char& byte : area)
        byte = 0;
}

} // namespace

int main()
{
    Leak();
    WipeStack();
    return 0;
}

#include "leaked_qobject.moc"
