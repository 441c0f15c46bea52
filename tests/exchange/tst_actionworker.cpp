#include "HttpTestServer.h"
#include "ProgramTranslation.h"
#include "QActionWorker.h"
#include "QBetFairRequest.h"
#include "RequestOutcome.h"
#include "WorkerWatch.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

// A worker as the concrete ones are written: one GET per path, each reply
// handed on at once, the first failure ends it.
class Probe : public QActionWorker
{
    Q_OBJECT

public:
    explicit Probe(const HttpTestServer& server)
        : server(server)
    {
        connect(this, &QActionWorker::DoCancel, this, [this] { events.append(QStringLiteral("DoCancel")); });
        connect(this, &QActionWorker::Done, this,
            [this](const QString& error) { events.append(QStringLiteral("Done:") + error); });
    }

    QStringList events;
    int data = 0;
    bool refusedRequest = false;

signals:
    void Received(const QVariant& tag);

public slots:
    void Run(const QStringList& paths)
    {
        const Guard guard(this);
        if (IsEnded())
            return;
        for (int i = 0; i < paths.size(); ++i) {
            QBetFairRequest* request
                = CreateRequest(server.url(paths.at(i)), QString(), QStringLiteral("application/json"), i);
            if (!request) {
                refusedRequest = true;
                return;
            }
            connect(request, &QBetFairRequest::finished, this, &Probe::Finished);
            connect(this, &QActionWorker::DoCancel, request, &QBetFairRequest::Canceled);
            request->Send(QByteArray());
        }
    }

    void Finished(
        QMarkedRequest::QRequestResult result, const QString& error, const QJsonObject&, const QVariant& tag)
    {
        const Guard guard(this);
        if (IsEnded())
            return;
        events.append(QStringLiteral("finished:%1").arg(result));
        if (result != QMarkedRequest::Success) {
            emit Done(error);
            return;
        }
        ++data;
        emit Received(tag);
        if (!IsEnded() && IsIdle())
            emit Done(QString());
    }

private:
    const HttpTestServer& server;
};

using Replies = QList<ScriptedReply>;

const ScriptedReply Ok = ScriptedReply::text("{}", "application/json");
const ScriptedReply ExchangeError = ScriptedReply::text(R"({"error": "TOO_MUCH_DATA"})", "application/json");

// What a receiver of Done may do that runs events before it returns.
enum class NestedWork { EventLoop, ProcessEvents, DeferredDeletes };

void RunNested(NestedWork work)
{
    switch (work) {
    case NestedWork::EventLoop: {
        // As a modal message box does.
        QEventLoop loop;
        QTimer::singleShot(50, &loop, &QEventLoop::quit);
        loop.exec();
        break;
    }
    case NestedWork::ProcessEvents:
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        break;
    case NestedWork::DeferredDeletes:
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        break;
    }
}

} // namespace

Q_DECLARE_METATYPE(NestedWork)

class tst_ActionWorker : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void endings_data();
    void endings();
    void cancel_data();
    void cancel();
    void neverDeletedInsideItsOwnCalls_data();
    void neverDeletedInsideItsOwnCalls();
    void endsWhileWaitingInTheThrottle_data();
    void endsWhileWaitingInTheThrottle();
    void endedWorkerMakesNoRequest();

private:
    QStringList route(const Replies& replies);

    HttpTestServer server;
};

void tst_ActionWorker::init()
{
    server.clearRequests();
}

void tst_ActionWorker::cleanup()
{
    server.releaseAll();
    QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 0, Patience);
    // Let every late reply be routed and every worker go.
    QTest::qWait(50);
}

// One path per reply, each answered by its reply.
QStringList tst_ActionWorker::route(const Replies& replies)
{
    static int serial = 0;
    QStringList paths;
    for (const ScriptedReply& reply : replies) {
        const QString path = QStringLiteral("/r%1").arg(++serial);
        server.setReply("GET", path, reply);
        paths.append(path);
    }
    return paths;
}

void tst_ActionWorker::endings_data()
{
    QTest::addColumn<Replies>("replies");
    QTest::addColumn<int>("data");
    QTest::addColumn<QString>("done");

    QTest::newRow("single request fails") << Replies { ScriptedReply::error(500) } << 0 << "^Network error: ";
    QTest::newRow("single request succeeds") << Replies { Ok } << 1 << "^$";
    QTest::newRow("three succeed") << Replies { Ok, Ok.held(), Ok.held() } << 3 << "^$";
    QTest::newRow("exchange error") << Replies { ExchangeError } << 0 << "^TOO_MUCH_DATA$";
    QTest::newRow("first of three fails, later ones dropped")
        << Replies { ExchangeError, Ok.held(), Ok.held() } << 0 << "^TOO_MUCH_DATA$";
    QTest::newRow("fails after a success")
        << Replies { Ok, ScriptedReply::error(404).held() } << 1 << "^Network error: ";
    QTest::newRow("two fail") << Replies { ExchangeError, ExchangeError.held() } << 0
                              << "^TOO_MUCH_DATA$";
}

// One Done, data only before it, and deletion only once the loop has run.
void tst_ActionWorker::endings()
{
    QFETCH(Replies, replies);
    QFETCH(int, data);
    QFETCH(QString, done);

    auto* probe = new Probe(server);
    WorkerWatch watch(probe);
    QList<int> received;
    connect(probe, &Probe::Received, this, [&](const QVariant& tag) { received.append(tag.toInt()); });
    connect(probe, &QActionWorker::Done, this, [&] { QVERIFY(probe->IsEnded()); });

    probe->Run(route(replies));
    QTRY_COMPARE_WITH_TIMEOUT(server.requestCount(), replies.size(), Patience);
    // Only the first reply comes at once; each held one goes when the ones
    // before it have been handled, so the order never depends on the load.
    for (int handled = 1; server.heldCount() > 0; ++handled) {
        QTRY_VERIFY_WITH_TIMEOUT(received.size() + watch.done.size() >= handled || !watch.done.isEmpty(), Patience);
        server.release(1);
    }
    QTRY_COMPARE_WITH_TIMEOUT(watch.done.size(), 1, Patience);
    QTRY_VERIFY_WITH_TIMEOUT(watch.deleted(), Patience);

    QVERIFY2(QRegularExpression(done).match(watch.done.first()).hasMatch(), qPrintable(watch.done.first()));
    QCOMPARE(received.size(), data);
    QCOMPARE(server.requestCount(), replies.size());
    // Replies still due when it ended reach it no more once it is gone.
    QTest::qWait(400);
    QCOMPARE(watch.done.size(), 1);
    QCOMPARE(received.size(), data);
}

void tst_ActionWorker::cancel_data()
{
    QTest::addColumn<int>("inFlight");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("events");

    const QString cancelled = QStringLiteral("Cancelled");
    const QString russian = QStringLiteral("Отменено");
    QTest::newRow("nothing in flight") << 0 << "" << QStringList { "DoCancel", "Done:" + cancelled };
    QTest::newRow("nothing in flight, in Russian")
        << 0 << "ru_RU" << QStringList { "DoCancel", "Done:" + russian };
    QTest::newRow("one request in flight")
        << 1 << "" << QStringList { "DoCancel", "finished:2", "Done:" + cancelled };
    QTest::newRow("three requests in flight")
        << 3 << "" << QStringList { "DoCancel", "finished:2", "Done:" + cancelled };
    QTest::newRow("three requests in flight, in Russian")
        << 3 << "ru_RU" << QStringList { "DoCancel", "finished:2", "Done:" + russian };
}

// The aborted reply ends the worker inside DoCancel: one Done, not two.
void tst_ActionWorker::cancel()
{
    QFETCH(int, inFlight);
    QFETCH(QString, language);
    QFETCH(QStringList, events);
    ProgramTranslation translation(language);
    QVERIFY(translation.isValid());

    auto* probe = new Probe(server);
    WorkerWatch watch(probe);
    probe->Run(route(QVector<ScriptedReply>(inFlight, Ok.held()).toList()));
    QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), inFlight, Patience);

    probe->Cancel();
    translation.remove();
    QCOMPARE(probe->events, events);
    QCOMPARE(watch.done.size(), 1);
    QCOMPARE(probe->IsIdle(), true);

    // A second cancel of the ended worker changes nothing.
    probe->Cancel();
    QCOMPARE(probe->events, events);
    QVERIFY(!watch.deleted());
    QTRY_VERIFY_WITH_TIMEOUT(watch.deleted(), Patience);
}

void tst_ActionWorker::neverDeletedInsideItsOwnCalls_data()
{
    QTest::addColumn<bool>("byReply");
    QTest::addColumn<NestedWork>("work");

    QTest::newRow("reply, receiver's modal loop") << true << NestedWork::EventLoop;
    QTest::newRow("reply, receiver processes events") << true << NestedWork::ProcessEvents;
    QTest::newRow("reply, receiver sends deferred deletes") << true << NestedWork::DeferredDeletes;
    QTest::newRow("cancel, receiver's modal loop") << false << NestedWork::EventLoop;
    QTest::newRow("cancel, receiver processes events") << false << NestedWork::ProcessEvents;
    QTest::newRow("cancel, receiver sends deferred deletes") << false << NestedWork::DeferredDeletes;
}

// Whatever the receiver of Done runs, the worker outlives the emission.
void tst_ActionWorker::neverDeletedInsideItsOwnCalls()
{
    QFETCH(bool, byReply);
    QFETCH(NestedWork, work);

    auto* probe = new Probe(server);
    WorkerWatch watch(probe);
    bool aliveAfterNestedWork = false;
    connect(probe, &QActionWorker::Done, this, [&] {
        RunNested(work);
        aliveAfterNestedWork = !watch.deleted();
    });

    if (byReply)
        probe->Run(route({ ScriptedReply::error(500) }));
    else
        probe->Cancel();
    QTRY_COMPARE_WITH_TIMEOUT(watch.done.size(), 1, Patience);
    QVERIFY(aliveAfterNestedWork);
    QTRY_VERIFY_WITH_TIMEOUT(watch.deleted(), Patience);
}

void tst_ActionWorker::endsWhileWaitingInTheThrottle_data()
{
    QTest::addColumn<bool>("byCancel");
    QTest::addColumn<QString>("done");

    QTest::newRow("a reply fails") << false << "^Network error: ";
    QTest::newRow("cancelled") << true << "^Cancelled$";
}

// Three requests are in flight, the fourth waits its turn; meanwhile the
// worker ends. Its own loop must neither outlive it nor send the fourth.
void tst_ActionWorker::endsWhileWaitingInTheThrottle()
{
    QFETCH(bool, byCancel);
    QFETCH(QString, done);

    const ScriptedReply failing = ScriptedReply::error(500).held();
    const QStringList paths = route({ failing, failing, failing, Ok, Ok });
    auto* probe = new Probe(server);
    WorkerWatch watch(probe);

    QTimer trigger;
    connect(&trigger, &QTimer::timeout, this, [&] {
        if (server.heldCount() < 3)
            return;
        trigger.stop();
        if (byCancel)
            probe->Cancel();
        else
            server.release(1);
    });
    trigger.start(10);

    probe->Run(paths);

    QVERIFY(!trigger.isActive());
    QVERIFY(probe->refusedRequest);
    QCOMPARE(watch.done.size(), 1);
    QVERIFY2(QRegularExpression(done).match(watch.done.first()).hasMatch(), qPrintable(watch.done.first()));
    QVERIFY(!watch.deleted());
    QTRY_VERIFY_WITH_TIMEOUT(watch.deleted(), Patience);

    server.releaseAll();
    QTest::qWait(200);
    // Qt may send an aborted pipelined request again; the later ones never go.
    for (const RecordedRequest& request : server.requests())
        QVERIFY(paths.indexOf(request.path()) < 3);
    QCOMPARE(watch.done.size(), 1);
}

void tst_ActionWorker::endedWorkerMakesNoRequest()
{
    auto* probe = new Probe(server);
    WorkerWatch watch(probe);
    probe->Cancel();
    QVERIFY(probe->IsEnded());

    QVERIFY(!probe->CreateRequest(server.url(QStringLiteral("/x")), QString(), QString(), QVariant()));
    QVERIFY(probe->IsIdle());
    probe->Run({ QStringLiteral("/x") });
    QVERIFY(probe->IsIdle());
    QTRY_VERIFY_WITH_TIMEOUT(watch.deleted(), Patience);
    QCOMPARE(server.requestCount(), 0);
}

QTEST_GUILESS_MAIN(tst_ActionWorker)
#include "tst_actionworker.moc"
