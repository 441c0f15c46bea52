#include "ExchangeTest.h"
#include "TestCertificate.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString Json = QStringLiteral("application/json");
const QByteArray Token = "token-7f3a9c";

QJsonObject Object(const char* json)
{
    return QJsonDocument::fromJson(json).object();
}

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

// The network layer, exchange requests and their throttle, and the worker base.
class tst_Requests : public QObject
{
    Q_OBJECT

    HttpTestServer server;
    LocalExchange exchange { server };
    QBetFair sender;

private slots:
    void init()
    {
        server.clearRequests();
        server.setReply("GET", "/held", ScriptedReply::text("{}").held());
        server.setReply("GET", "/fails", ScriptedReply::error(500).held());
    }
    void cleanup()
    {
        QBetFair::SessionToken.clear();
        server.releaseAll();
        QTRY_VERIFY_WITH_TIMEOUT(sender.IsIdle() && RepliesSettled(server), Patience);
    }

    void delivery_data()
    {
        QTest::addColumn<ScriptedReply>("reply");
        QTest::addColumn<bool>("askForGzip");
        QTest::addColumn<QString>("report");
        QTest::addColumn<QByteArray>("body");
        const QByteArray json = R"({"result":{"marketId":"1.23"}})", large(1024 * 1024, 'x'), none;
        const auto encoded = [](const QByteArray& body, const char* encoding) {
            return ScriptedReply::text(body).withHeader("Content-Encoding", encoding);
        };
        const QByteArray gzip = ScriptedReply::gzipCompress(json);
        const ScriptedReply held = ScriptedReply::text("x").held();
        QTest::newRow("gzip") << encoded(gzip, "gzip") << true << "^Success $" << json;
        QTest::newRow("1 MB, a multiple of 1024")
            << encoded(ScriptedReply::gzipCompress(large), "gzip") << true << "^Success $" << large;
        QTest::newRow("damaged") << encoded(QByteArray(gzip).replace(12, 8, "damaged!"), "gzip") << true
                                 << "^Success $" << none;
        QTest::newRow("deflate, unchanged") << encoded(gzip, "deflate") << true << "^Success $" << gzip;
        // Qt inflates on its own when the request left Accept-Encoding to it.
        QTest::newRow("inflated by Qt") << encoded(gzip, "gzip") << false << "^Success $" << json;
        QTest::newRow("aborted") << held << true << "^Cancelled Cancelled$" << none;
        QTest::newRow("hung reply times out")
            << held << true << "^Error Network error: Transfer timed out$" << none;
    }

    // One finishedOrCancelled, then one finished; then request and reply go.
    void delivery()
    {
        QFETCH(ScriptedReply, reply);
        QFETCH(bool, askForGzip);
        QFETCH(QString, report);
        QFETCH(QByteArray, body);
        server.enqueueReply("GET", "/body", reply);
        auto* request = new QMarkedRequest(server.url(QStringLiteral("/body")));
        if (askForGzip)
            request->setRawHeader("Accept-Encoding", "gzip");
        const int productionTimeout = QNetwork::TransferTimeout;
        if (report.contains("timed out"))
            QNetwork::TransferTimeout = 300;
        RequestOutcome outcome;
        outcome.watch(request);
        const QPointer<QMarkedRequest> sent(request);
        const QPointer<QNetworkReply> answer = QMarkedRequest::Send(request, QByteArray());
        QNetwork::TransferTimeout = productionTimeout;
        if (report.contains("Cancelled")) {
            QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 1, Patience);
            answer->abort();
        }
        QTRY_VERIFY_WITH_TIMEOUT(sent.isNull() && answer.isNull(), Patience);
        QCOMPARE(outcome.reports.size(), 2);
        QCOMPARE(outcome.reports.first(), "finishedOrCancelled");
        QVERIFY_MATCHES(report, outcome.reports.last());
        QVERIFY(outcome.body == body);
    }

    void foreignRepliesAreOnlyDeleted()
    {
        QObject originator;
        QSignalSpy destroyed(&originator, &QObject::destroyed);
        QNetworkRequest request(QUrl(server.url(QStringLiteral("/foreign"))));
        request.setOriginatingObject(&originator);
        QPointer<QNetworkReply> reply = QNetwork::Shared()->get(request);
        QTRY_VERIFY_WITH_TIMEOUT(reply.isNull(), Patience);
        QCOMPARE(destroyed.count(), 0);
    }

    void untrustedCertificateFails()
    {
        QTemporaryDir folder;
        const TestCertificate identity = TestCertificate::create(folder.path());
        QVERIFY2(identity.isValid(), qPrintable(identity.error));
        HttpTestServer tlsServer(identity.certificate, identity.key);
        tlsServer.setReply("GET", "/secure", ScriptedReply::text("secret"));
        RequestOutcome outcome;
        auto* request = new QMarkedRequest(tlsServer.url(QStringLiteral("/secure")));
        outcome.watch(request);
        QMarkedRequest::Send(request, QByteArray());
        QTRY_VERIFY_WITH_TIMEOUT(outcome.ended(), Patience);
        QVERIFY_MATCHES("(?i)^Error Network error: .*ssl", outcome.reports.last());
        QVERIFY(tlsServer.connectionCount() >= 1);
        QCOMPARE(tlsServer.requestCount(), 0);
    }

    void replyHandling_data()
    {
        QTest::addColumn<ScriptedReply>("reply");
        QTest::addColumn<QString>("report");
        QTest::addColumn<QJsonObject>("payload");
        const auto json = [](const char* text) { return ScriptedReply::text(text, "application/json"); };
        const char* list = R"({"result":[{"marketId":"1.2"}]})";
        const char* object = R"({"result":{"balance":12.5}})";
        const QJsonObject balance = Object(R"({"balance":12.5})");
        QTest::newRow("object result") << json(object) << "^Success $" << balance;
        QTest::newRow("list result") << json(list) << "^Success $" << Object(list);
        QTest::newRow("top-level array") << json("[1,2]") << "^Success $" << Object(R"({"result":[1,2]})");
        QTest::newRow("gzip in chunks") << json(object).gzipped().inChunks() << "^Success $" << balance;
        QTest::newRow("exchange error")
            << json(R"({"error":{"code":-32099,"data":{"APINGException":{"errorCode":"INVALID_APP_KEY"}}}})")
            << "^Error INVALID_APP_KEY$" << QJsonObject();
        QTest::newRow("not JSON") << ScriptedReply::text("<html/>") << "^Error Server response error$"
                                  << QJsonObject();
        QTest::newRow("cancelled") << json(object).held() << "^Cancelled Cancelled$" << QJsonObject();
    }

    // The exact header set (names and values, not order) and the envelope.
    // A held reply is cancelled. Whatever the outcome, the session token
    // stays out of the error text and every message.
    void replyHandling()
    {
        QFETCH(ScriptedReply, reply);
        QFETCH(QString, report);
        QFETCH(QJsonObject, payload);
        QBetFair::SessionToken = Token;
        server.enqueueReply("POST", LocalExchange::bettingPath(), reply);
        RequestOutcome outcome;
        const MessageCapture capture;
        QBetFairRequest* request
            = sender.CreateRequest(QBetFair::BettingUrl.arg("api"), QBetFair::AppKey, Json, 42);
        outcome.watch(request);
        const QJsonObject params = Object(R"({"filter":{"marketIds":["1.2"]}})");
        request->Call(QStringLiteral("listMarketBook"), params);
        if (reply.hold) {
            QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 1, Patience);
            emit request->Canceled();
        }
        QTRY_VERIFY_WITH_TIMEOUT(outcome.ended(), Patience);
        QCOMPARE(outcome.reports.first(), "finishedOrCancelled");
        QVERIFY_MATCHES(report, outcome.reports.last());
        QCOMPARE(outcome.reply, payload);
        QCOMPARE(outcome.tag, QVariant(42));
        for (const QString& text : capture.messages() + outcome.reports)
            QVERIFY2(!text.contains(QString(Token)), qPrintable(text));

        const RecordedRequest received = server.lastRequest();
        QStringList headers;
        for (const auto& header : received.headers)
            headers += QString(header.first.toLower() + ": " + header.second);
        headers = headers.filter(QRegularExpression("^(?!host|content-length|accept-language)"));
        headers.sort();
        QCOMPARE(headers,
            QStringList({ "accept-encoding: gzip", "accept: application/json", "connection: keep-alive",
                "content-type: application/json", "user-agent: Quillory HTTP Client 2.0",
                "x-application: " + QBetFair::AppKey, "x-authentication: " + Token }));
        QCOMPARE(received.json(),
            QJsonObject({ { "jsonrpc", "2.0" }, { "method", "SportsAPING/v1.0/listMarketBook" },
                { "params", params } }));
    }

    void parseError_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("error");
        for (const QStringList& row : QList<QStringList> { { "null", R"({"error":null})", "" },
                 { "empty", R"({"error":""})", "" }, { "text", R"({"error":"X"})", "X" },
                 { "betting", R"({"error":{"data":{"APINGException":{"errorCode":"A"}}}})", "A" },
                 { "account", R"({"error":{"data":{"AccountAPINGException":{"errorCode":"B"}}}})", "B" },
                 // Errors the rules cannot name must not pass as success.
                 { "other data, code", R"({"error":{"code":-3,"data":{"x":1}}})", "ERROR_CODE: -3" },
                 { "other data, message", R"({"error":{"message":"M","data":{}}})", "M" },
                 { "empty object", R"({"error":{}})", "Server response error" },
                 { "number", R"({"error":5})", "Server response error" } })
            QTest::newRow(qPrintable(row[0])) << row[1] << row[2];
    }

    void parseError()
    {
        QFETCH(QString, reply);
        QFETCH(QString, error);
        QCOMPARE(QBetFair::ParseError(QJsonDocument::fromJson(reply.toUtf8()).object()), error);
    }

    // The fourth request of a sender waits until one of its three in flight
    // is answered, another sender is not held back; a sender is idle only in
    // the slot of its last reply.
    void throttle()
    {
        QList<bool> idleInSlot;
        QObject scope;
        const auto send = [&](QBetFair* from) {
            QBetFairRequest* request = from->CreateRequest(server.url("/held"), QString(), Json, QVariant());
            if (from == &sender)
                connect(request, &QBetFairRequest::finished, &scope, [&] { idleInSlot += sender.IsIdle(); });
            return request;
        };
        for (int i = 0; i < 3; ++i)
            send(&sender)->Send(QByteArray());
        QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 3, Patience);
        bool waited = false;
        QTimer::singleShot(0, this, [&] { waited = true; });
        QBetFair other;
        send(&other)->Send(QByteArray());
        QVERIFY(!waited);
        QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 4, Patience);

        QTimer::singleShot(0, this, [&] {
            waited = true;
            server.release(1);
        });
        QBetFairRequest* fourth = send(&sender);
        QVERIFY(waited);
        QCOMPARE(idleInSlot, QList<bool> { false });
        fourth->Send(QByteArray());
        QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 4, Patience);
        server.releaseAll();
        QTRY_COMPARE_WITH_TIMEOUT(idleInSlot.size(), 4, Patience);
        QCOMPARE(idleInSlot, QList<bool>({ false, false, false, true }));
        QTRY_VERIFY_WITH_TIMEOUT(other.IsIdle(), Patience);
    }

    // Whatever the receiver of Done runs (a modal box, deferred deletes), and
    // whether a reply fails or the worker is cancelled while its fourth
    // request waits in the throttle, it outlives its own calls, reports once,
    // sends nothing more and goes afterwards.
    void workerEndings()
    {
        for (const bool cancel : { false, true }) {
            auto* probe = new Probe;
            WorkerWatch watch(probe);
            QString seen;
            connect(probe, &QActionWorker::Done, &watch, [&] {
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                RunModalBox([] { return false; }, 50);
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
                cancel ? probe->Cancel() : server.release(1);
            });
            trigger.start(10);
            QVERIFY(!probe->Run(server, { "/fails", "/fails", "/fails", "/later" }));
            QVERIFY(!watch.deleted());
            QTRY_VERIFY_WITH_TIMEOUT(watch.deleted(), Patience);
            QVERIFY_MATCHES(
                cancel ? "^DoCancel finished:2 Done / Cancelled$" : "^finished:1 Done / Network error: ",
                seen + " / " + watch.done.join(" + "));
            server.releaseAll();
            QTRY_VERIFY_WITH_TIMEOUT(RepliesSettled(server), Patience);
        }
    }
};

QTEST_GUILESS_MAIN(tst_Requests)
#include "tst_requests.moc"
