#include "ExchangeTest.h"
#include "Inflate.h"
#include "TestCertificate.h"

#include <QScopeGuard>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QByteArray Token = "token-7f3a9c";

// What a request reports: "finishedOrCancelled", then "<result> <error>", and what came with it.
struct Outcome : QObject
{
    QStringList reports;
    QByteArray body;
    QJsonObject reply;

    explicit Outcome(QMarkedRequest* request)
    {
        connect(request, &QMarkedRequest::finishedOrCancelled, this,
            [this] { reports += "finishedOrCancelled"; });
        const auto report = [this](int result, const QString& error) {
            reports += QStringList { "Success", "Error", "Cancelled" }.value(result) + ' ' + error;
        };
        if (auto* call = qobject_cast<QBetFairRequest*>(request))
            connect(
                call, &QBetFairRequest::finished, this, [=](int r, const QString& e, const QJsonObject& o) {
                    report(r, e);
                    reply = o;
                });
        else
            connect(request, &QMarkedRequest::finished, this, [=](int r, const QString& e, QNetworkReply* n) {
                report(r, e);
                body = n ? QNetwork::ReadReply(n) : QByteArray();
            });
    }
    bool ended() const { return reports.size() > 1; }
};

} // namespace

// The network layer and exchange requests.
class tst_Requests : public QObject
{
    Q_OBJECT

    HttpTestServer server;
    LocalExchange exchange { server };
    QBetFair sender;

private slots:
    void init() { server.clearRequests(); }
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
        const QByteArray json = R"({"result":{"marketId":"1.23"}})", large(1024 * 1024, 'x');
        const auto gzip = [](const QByteArray& body) {
            return ScriptedReply::text(ScriptedReply::gzipCompress(body))
                .withHeader("Content-Encoding", "gzip");
        };
        const QByteArray damaged = ScriptedReply::gzipCompress(json).replace(12, 8, "damaged!");
        const ScriptedReply held = ScriptedReply::text("x").held();
        QTest::newRow("1 MB, a multiple of 1024") << gzip(large) << true << "Success " << large;
        // A small body that would inflate without end is refused as a whole.
        QTest::newRow("inflates to 64 MiB") << gzip(QByteArray(64 * 1024 * 1024, '\0')) << true << "Success "
                                            << QByteArray(64 * 1024 * 1024, '\0');
        QTest::newRow("inflates past 64 MiB") << gzip(QByteArray(64 * 1024 * 1024 + 1, '\0')) << true << "Success "
                                              << QByteArray();
        QTest::newRow("damaged") << ScriptedReply::text(damaged).withHeader("Content-Encoding", "gzip")
                                 << true << "Success " << QByteArray();
        // Qt inflates on its own when the request left Accept-Encoding to it.
        QTest::newRow("inflated by Qt") << gzip(json) << false << "Success " << json;
        // Bounded as it arrives, in pieces and with no length declared.
        const QByteArray bound(QNetwork::MaxReplySize, 'x');
        const QString tooLarge = "Error Network error: The reply is larger than 64 MB";
        QTest::newRow("streams 64 MiB") << ScriptedReply::text(bound).inChunks() << true << "Success " << bound;
        QTest::newRow("streams one byte past 64 MiB")
            << ScriptedReply::text(bound + 'x').inChunks() << true << tooLarge << QByteArray();
        QTest::newRow("inflated by Qt past 64 MiB")
            << gzip(QByteArray(64 * 1024 * 1024 + 1, '\0')).inChunks() << false << tooLarge << QByteArray();
        QTest::newRow("aborted") << held << true << "Cancelled Cancelled" << QByteArray();
        QTest::newRow("hung reply times out")
            << held << true << "Error Network error: Transfer timed out" << QByteArray();
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
        Outcome outcome(request);
        const QPointer<QMarkedRequest> sent(request);
        const QPointer<QNetworkReply> answer = QMarkedRequest::Send(request, QByteArray());
        QNetwork::TransferTimeout = productionTimeout;
        if (report.contains("Cancelled")) {
            QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 1, Patience);
            answer->abort();
        }
        QTRY_VERIFY_WITH_TIMEOUT(sent.isNull() && answer.isNull(), Patience);
        QCOMPARE(outcome.reports.join(" / "), "finishedOrCancelled / " + report);
        QVERIFY(outcome.body == body);
    }

    // Gzip bodies and zip entries alike: the whole stream up to the limit, nothing past it or cut short.
    void boundedInflate_data()
    {
        QTest::addColumn<QByteArray>("compressed");
        QTest::addColumn<int>("windowBits");
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<QByteArray>("inflated");
        const QByteArray text = QByteArray("0123456789").repeated(100);
        const QByteArray gzip = ScriptedReply::gzipCompress(text);
        // A gzip member is a 10-byte header, the bare deflate stream and an 8-byte trailer.
        const QByteArray deflate = gzip.mid(10, gzip.size() - 18);
        const int Gzip = Inflate::GzipOrZlib, Raw = Inflate::RawDeflate;
        const QByteArray refused = "<refused>";
        // clang-format off
        QTest::newRow("gzip at the limit") << gzip << Gzip << qint64(1000) << text;
        QTest::newRow("gzip one past the limit") << gzip << Gzip << qint64(999) << refused;
        QTest::newRow("deflate at the limit") << deflate << Raw << qint64(1000) << text;
        QTest::newRow("deflate one past the limit") << deflate << Raw << qint64(999) << refused;
        QTest::newRow("empty, limit 0") << ScriptedReply::gzipCompress("") << Gzip << qint64(0) << QByteArray("");
        QTest::newRow("gzip without its trailer") << gzip.chopped(4) << Gzip << qint64(1000) << refused;
        QTest::newRow("deflate cut short") << deflate.chopped(1) << Raw << qint64(1000) << refused;
        QTest::newRow("deflate read as gzip") << deflate << Gzip << qint64(1000) << refused;
        QTest::newRow("gzip read as deflate") << gzip << Raw << qint64(1000) << refused;
        QTest::newRow("nothing") << QByteArray() << Gzip << qint64(1000) << refused;
        // Past what one QByteArray holds: the limit itself is refused, so no caller can lift the bound.
        QTest::newRow("limit just under 2 GiB") << gzip << Gzip << qint64(INT_MAX - 1) << text;
        QTest::newRow("limit of 2 GiB") << gzip << Gzip << qint64(INT_MAX) << refused;
        QTest::newRow("negative limit") << gzip << Gzip << qint64(-1) << refused;
        // Inflating on past the limit would need more than 2 GiB and fail.
        QTest::newRow("3 GiB of zeros") << ScriptedReply::zeroBomb(3 << 10) << Raw << qint64(1000) << refused;
        // clang-format on
    }
    void boundedInflate()
    {
        QFETCH(QByteArray, compressed);
        QFETCH(int, windowBits);
        QFETCH(qint64, limit);
        QFETCH(QByteArray, inflated);
        QCOMPARE(Inflate::Bounded(compressed, windowBits, limit).value_or("<refused>"), inflated);
    }

    // A reply the program did not make is deleted, its originator left alone.
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
        auto* request = new QMarkedRequest(tlsServer.url(QStringLiteral("/secure")));
        Outcome outcome(request);
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
        QTest::newRow("gzip in chunks") << json(R"({"result":{"balance":12.5}})").gzipped().inChunks()
                                        << "Success " << QJsonObject { { "balance", 12.5 } };
        QTest::newRow("exchange error")
            << json(R"({"error":{"code":-32099,"data":{"APINGException":{"errorCode":"INVALID_APP_KEY"}}}})")
            << "Error INVALID_APP_KEY" << QJsonObject();
        // An error the rules cannot name must not pass as success.
        QTest::newRow("other data, code")
            << json(R"({"error":{"code":-3,"data":{"x":1}}})") << "Error ERROR_CODE: -3" << QJsonObject();
        QTest::newRow("empty error") << json(R"({"error":{}})") << "Error Server response error"
                                     << QJsonObject();
        QTest::newRow("HTTP 500") << ScriptedReply::error(500) << "Error Network error: .+" << QJsonObject();
        QTest::newRow("not JSON") << ScriptedReply::text("<html/>") << "Error Server response error"
                                  << QJsonObject();
    }

    // The envelope, gzip only; the session token in its header, nowhere else.
    void replyHandling()
    {
        QFETCH(ScriptedReply, reply);
        QFETCH(QString, report);
        QFETCH(QJsonObject, payload);
        QBetFair::SessionToken = Token;
        server.enqueueReply("POST", LocalExchange::bettingPath(), reply);
        const MessageCapture capture;
        QBetFairRequest* request
            = sender.CreateRequest(QBetFair::BettingUrl.arg("api"), QBetFair::AppKey, "application/json", 42);
        Outcome outcome(request);
        const QJsonObject params { { "filter", QJsonObject { { "marketIds", QJsonArray { "1.2" } } } } };
        request->Call(QStringLiteral("listMarketBook"), params);
        QTRY_VERIFY_WITH_TIMEOUT(outcome.ended(), Patience);
        QVERIFY_MATCHES("^finishedOrCancelled / " + report + "$", outcome.reports.join(" / "));
        QCOMPARE(outcome.reply, payload);
        QCOMPARE(capture.leaks({ Token }, outcome.reports), QStringList());
        const RecordedRequest received = server.lastRequest();
        QCOMPARE(
            received.header("Accept-Encoding") + ' ' + received.header("X-Authentication"), "gzip " + Token);
        QCOMPARE(received.json(),
            QJsonObject({ { "jsonrpc", "2.0" }, { "method", "SportsAPING/v1.0/listMarketBook" },
                { "params", params } }));
    }

    // A reply that keeps coming is waited for, however long it takes in all: a byte every twentieth of
    // the time limit, thirty of them.
    void slowButSteadyReply()
    {
        QTcpServer site;
        QVERIFY(site.listen(QHostAddress::LocalHost));
        const auto restore
            = qScopeGuard([limit = QNetwork::TransferTimeout] { QNetwork::TransferTimeout = limit; });
        // Every pause far inside the limit, the whole reply well past it.
        QNetwork::TransferTimeout = 2000;
        auto* request = new QMarkedRequest(QStringLiteral("http://127.0.0.1:%1/slow").arg(site.serverPort()));
        Outcome outcome(request);
        QMarkedRequest::Send(request, QByteArray());
        QTRY_VERIFY_WITH_TIMEOUT(site.hasPendingConnections(), Patience);
        QTcpSocket* reply = site.nextPendingConnection();
        QByteArray asked;
        QTRY_VERIFY_WITH_TIMEOUT((asked += reply->readAll()).contains("\r\n\r\n"), Patience);
        const QByteArray body = QByteArray("0123456789").repeated(3);
        reply->write("HTTP/1.1 200 OK\r\nContent-Length: 30\r\nConnection: close\r\n\r\n");
        for (const char byte : body) {
            QTest::qWait(100);
            reply->write(&byte, 1);
        }
        QTRY_VERIFY_WITH_TIMEOUT(outcome.ended(), Patience);
        QCOMPARE(outcome.reports.join(" / "), "finishedOrCancelled / Success ");
        QCOMPARE(outcome.body, body);
    }
};

QTEST_GUILESS_MAIN(tst_Requests)
#include "tst_requests.moc"
