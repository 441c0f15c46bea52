#include "HttpTestServer.h"
#include "QMarkedRequest.h"
#include "QNetwork.h"
#include "RequestOutcome.h"
#include "TestCertificate.h"

#include <QNetworkReply>
#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

class tst_Network : public QObject
{
    Q_OBJECT

    HttpTestServer server;

private slots:
    void cleanup() { server.releaseAll(); }

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
        const QByteArray gzip = ScriptedReply::gzipCompress(json),
                         bigGzip = ScriptedReply::gzipCompress(large);
        const QByteArray damaged = QByteArray(gzip).replace(12, 8, "damaged!"), four("\x1f\x8b\x08\x00", 4);
        const ScriptedReply held = ScriptedReply::text("x").held();
        QTest::newRow("gzip") << encoded(gzip, "gzip") << true << "^Success $" << json;
        QTest::newRow("1 MB, a multiple of 1024")
            << encoded(bigGzip, "gzip") << true << "^Success $" << large;
        QTest::newRow("four bytes") << encoded(four, "gzip") << true << "^Success $" << none;
        QTest::newRow("damaged") << encoded(damaged, "gzip") << true << "^Success $" << none;
        QTest::newRow("Gzip, unchanged") << encoded(gzip, "Gzip") << true << "^Success $" << gzip;
        QTest::newRow("deflate, unchanged") << encoded(gzip, "deflate") << true << "^Success $" << gzip;
        // Qt inflates on its own when the request left Accept-Encoding to it.
        QTest::newRow("inflated by Qt") << encoded(gzip, "gzip") << false << "^Success $" << json;
        QTest::newRow("404") << ScriptedReply::error(404) << true << "^Error Network error: .*Not Found"
                             << none;
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
};

QTEST_GUILESS_MAIN(tst_Network)
#include "tst_network.moc"
