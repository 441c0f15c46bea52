#include "HttpTestServer.h"
#include "LocalExchange.h"
#include "QScoresWorker.h"
#include "RequestOutcome.h"

#include <QJsonDocument>
#include <QNetworkReply>
#include <QPointer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

namespace {

const QString ScoresPath = QStringLiteral("/inplayservice/v1.0/eventsInPlay");

const QByteArray TwoEvents = R"([
    {"eventId": 29001, "state": {"eventId": 29001, "elapsedRegularTime": 63,
        "score": {"home": {"score": "2"}, "away": {"score": "1"}}}},
    {"eventId": 29002, "state": {"score": {"home": {"score": "x"}, "away": {"score": ""}}}},
    {"eventId": 29003}
])";

// A scores worker with what it reports, in order: "data:<entries>" per
// Done(QJsonArray), "done:<text>" per Done(QString).
struct Scores : QObject
{
    QPointer<QScoresWorker> worker = new QScoresWorker;
    QStringList events;
    QJsonArray entries;

    Scores()
    {
        connect(worker, QOverload<const QJsonArray&>::of(&QScoresWorker::Done), this,
            [this](const QJsonArray& a) {
                entries = a;
                events << QStringLiteral("data:%1").arg(a.size());
            });
        connect(worker, QOverload<const QString&>::of(&QScoresWorker::Done), this,
            [this](const QString& text) { events << "done:" + text; });
    }
};

} // namespace

class tst_ScoresWorker : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void request_data();
    void request();
    void replies_data();
    void replies();
    void cancelWhileTheRequestRuns();

private:
    HttpTestServer server;
    LocalExchange exchange { server };
};

void tst_ScoresWorker::initTestCase()
{
    qRegisterMetaType<QNetworkReply*>();
}

void tst_ScoresWorker::init()
{
    server.clearRequests();
    server.setReply("GET", ScoresPath, ScriptedReply::text("[]", "application/json"));
    // A session exists, and still must not reach the public service.
    QBetFair::SessionToken = QStringLiteral("tok");
    QBetFair::Currency = QStringLiteral("GBP");
}

void tst_ScoresWorker::cleanup()
{
    server.releaseAll();
    QBetFair::SessionToken.clear();
    QBetFair::Currency = QStringLiteral("???");
}

void tst_ScoresWorker::request_data()
{
    QTest::addColumn<QList<int>>("sports");
    QTest::addColumn<QByteArray>("query");

    const QByteArray fixed = "locale=en&regionCode=UK&alt=json&eventTypeIds=";
    QTest::newRow("football") << QList<int> { 1 } << fixed + "1";
    QTest::newRow("two sports, in list order") << QList<int> { 7, 1 } << fixed + "7,1";
    QTest::newRow("no sport") << QList<int> {} << fixed;
    QTest::newRow("large id") << QList<int> { 7522, 468328 } << fixed + "7522,468328";
}

// A plain GET of the public service: the sports in the query, no key, no session.
void tst_ScoresWorker::request()
{
    QFETCH(QList<int>, sports);
    QFETCH(QByteArray, query);

    Scores scores;
    scores.worker->GetScores(sports);
    QTRY_VERIFY_WITH_TIMEOUT(scores.worker.isNull(), Patience);

    QCOMPARE(server.requestCount(), 1);
    const RecordedRequest request = server.lastRequest();
    QCOMPARE(request.method, QByteArray("GET"));
    QCOMPARE(request.target, ScoresPath.toUtf8() + '?' + query);
    QVERIFY(request.body.isEmpty());
    QVERIFY(!request.hasHeader("X-Application"));
    QVERIFY(!request.hasHeader("X-Authentication"));
    QCOMPARE(request.header("Content-Type"), QByteArray("application/json"));
    QCOMPARE(scores.events, QStringList({ "data:0", "done:" }));
}

void tst_ScoresWorker::replies_data()
{
    QTest::addColumn<ScriptedReply>("reply");
    QTest::addColumn<QByteArray>("handedOn");
    QTest::addColumn<QString>("done");

    const auto json = [](const QByteArray& body) { return ScriptedReply::text(body, "application/json"); };
    QTest::newRow("top-level array, unchanged") << json(TwoEvents) << TwoEvents << "^$";
    QTest::newRow("top-level array, gzip") << json(TwoEvents).gzipped() << TwoEvents << "^$";
    QTest::newRow("no event in play") << json("[]") << QByteArray("[]") << "^$";
    QTest::newRow("object without events") << json(R"({"events": [1]})") << QByteArray("[]") << "^$";
    QTest::newRow("object with an array result")
        << json(R"({"result": [{"eventId": 5}]})") << QByteArray(R"([{"eventId": 5}])") << "^$";
    QTest::newRow("HTTP error") << ScriptedReply::error(503) << QByteArray() << "^Network error: ";
    QTest::newRow("not JSON") << ScriptedReply::text("<html>maintenance</html>", "text/html") << QByteArray()
                              << "^Server response error$";
    QTest::newRow("connection closed") << ScriptedReply::closed() << QByteArray() << "^Network error: ";
}

// The reply's array handed on once, then success; a failure hands on nothing.
void tst_ScoresWorker::replies()
{
    QFETCH(ScriptedReply, reply);
    QFETCH(QByteArray, handedOn);
    QFETCH(QString, done);
    server.setReply("GET", ScoresPath, reply);

    Scores scores;
    scores.worker->GetScores({ 1 });
    QTRY_VERIFY_WITH_TIMEOUT(scores.worker.isNull(), Patience);

    QCOMPARE(scores.events.size(), handedOn.isNull() ? 1 : 2);
    if (!handedOn.isNull()) {
        QCOMPARE(scores.events.first(), QStringLiteral("data:%1").arg(scores.entries.size()));
        QCOMPARE(scores.entries, QJsonDocument::fromJson(handedOn).array());
    }
    const QString text = scores.events.last().mid(5);
    QVERIFY2(scores.events.last().startsWith("done:") && QRegularExpression(done).match(text).hasMatch(),
        qPrintable(scores.events.last()));
}

// The request is not aborted: the worker ends at once and its late reply
// reaches no one.
void tst_ScoresWorker::cancelWhileTheRequestRuns()
{
    server.setReply("GET", ScoresPath, ScriptedReply::text(TwoEvents, "application/json").held());
    Scores scores;
    QSignalSpy routed(QNetwork::Shared(), &QNetworkAccessManager::finished);
    scores.worker->GetScores({ 1 });
    QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 1, Patience);

    scores.worker->Cancel();
    QCOMPARE(scores.events, QStringList { "done:Cancelled" });
    QTRY_VERIFY_WITH_TIMEOUT(scores.worker.isNull(), Patience);

    server.releaseAll();
    QTRY_COMPARE_WITH_TIMEOUT(routed.size(), 1, Patience);
    QCOMPARE(scores.events, QStringList { "done:Cancelled" });
}

QTEST_GUILESS_MAIN(tst_ScoresWorker)
#include "tst_scoresworker.moc"
