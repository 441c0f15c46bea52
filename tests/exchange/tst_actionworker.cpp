#include "HttpTestServer.h"
#include "QActionWorker.h"
#include "QBetFairRequest.h"
#include "RequestOutcome.h"
#include "WorkerWatch.h"

#include <QEventLoop>
#include <QtTest>

namespace {

// A worker as the concrete ones are written: one GET per path, the first
// failure ends it, the last reply ends it with success.
class Probe : public QActionWorker
{
public:
    QStringList events;

    Probe()
    {
        connect(this, &QActionWorker::DoCancel, this, [this] { events += "DoCancel"; });
        connect(this, &QActionWorker::Done, this, [this] { events += "Done"; });
    }

    // False when a request was refused.
    bool Run(const HttpTestServer& server, const QStringList& paths)
    {
        const Guard guard(this);
        for (const QString& path : paths) {
            QBetFairRequest* request = CreateRequest(server.url(path), QString(), QString(), QVariant());
            if (!request)
                return false;
            connect(request, &QBetFairRequest::finished, this, &Probe::Finished);
            connect(this, &QActionWorker::DoCancel, request, &QBetFairRequest::Canceled);
            request->Send(QByteArray());
        }
        return true;
    }

    void Finished(QMarkedRequest::QRequestResult result, const QString& error)
    {
        const Guard guard(this);
        if (IsEnded())
            return;
        events += QStringLiteral("finished:%1").arg(result);
        if (result != QMarkedRequest::Success)
            emit Done(error);
        else if (IsIdle())
            emit Done(QString());
    }
};

} // namespace

class tst_ActionWorker : public QObject
{
    Q_OBJECT

    HttpTestServer server;

private slots:
    void init()
    {
        server.setReply("GET", "/fails", ScriptedReply::error(500));
        server.setReply("GET", "/held", ScriptedReply::error(500).held());
    }
    void cleanup() { server.releaseAll(); }

    void endings_data()
    {
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QString>("outcome"); // the worker's events / the Done text
        // The fourth request waits its turn in the throttle when the worker
        // ends, once three are held; it must never go.
        const QStringList throttled { "/held", "/held", "/held", "/later" };
        QTest::newRow("a reply fails")
            << QStringList { "/fails" } << false << "^finished:1 Done / Network error: ";
        QTest::newRow("cancelled, nothing in flight")
            << QStringList() << true << "^DoCancel Done / Cancelled$";
        QTest::newRow("a reply fails in the throttle")
            << throttled << false << "^finished:1 Done / Network error: ";
        QTest::newRow("cancelled in the throttle")
            << throttled << true << "^DoCancel finished:2 Done / Cancelled$";
    }

    // Whatever the receiver of Done runs (a modal box, deferred deletes),
    // and wherever the worker ends, it outlives its own calls, reports once,
    // sends nothing more and goes afterwards.
    void endings()
    {
        QFETCH(QStringList, paths);
        QFETCH(bool, cancel);
        QFETCH(QString, outcome);
        auto* probe = new Probe;
        WorkerWatch watch(probe);
        QString seen;
        connect(probe, &QActionWorker::Done, &watch, [&] {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QEventLoop box;
            QTimer::singleShot(50, &box, &QEventLoop::quit);
            box.exec();
            QVERIFY(!watch.deleted() && probe->IsEnded());
            const bool idle = probe->IsIdle();
            QVERIFY(!probe->CreateRequest(server.url("/x"), QString(), QString(), QVariant()));
            QCOMPARE(probe->IsIdle(), idle);
            probe->Cancel();
            seen = probe->events.join(' ');
        });
        QTimer trigger;
        connect(&trigger, &QTimer::timeout, &trigger, [&] {
            if (server.heldCount() < 3)
                return;
            trigger.stop();
            if (cancel)
                probe->Cancel();
            else
                server.release(1);
        });
        if (paths.size() > 3)
            trigger.start(10);
        if (paths.isEmpty())
            probe->Cancel();
        else
            QCOMPARE(probe->Run(server, paths), paths.size() <= 3);
        QVERIFY(!watch.deleted());
        QTRY_VERIFY_WITH_TIMEOUT(watch.deleted(), Patience);
        QVERIFY_MATCHES(outcome, seen + " / " + watch.done.join(" + "));
    }
};

QTEST_GUILESS_MAIN(tst_ActionWorker)
#include "tst_actionworker.moc"
