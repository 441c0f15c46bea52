#include <QtGlobal>

#include <openssl/crypto.h>

// Linked into every test process. OpenSSL frees a thread's random generators
// and error queue when the thread ends, unless its atexit cleanup has run
// first: that forgets every other thread's state. Qt 5's threads are
// detached, so QThread::wait() returns before the thread has ended, and a
// process that exits right after its last TLS thread (Qt's HTTP thread when
// the shared manager goes, a local server's) may leave that state
// unreachable. Without the atexit cleanup each thread frees its own.
static void KeepOpenSslAtExit()
{
    OPENSSL_init_crypto(OPENSSL_INIT_NO_ATEXIT, nullptr);
}
Q_CONSTRUCTOR_FUNCTION(KeepOpenSslAtExit)
