#include "HttpTestServer.h"
#include "QMarkedRequest.h"
#include "QNetwork.h"
#include "RequestOutcome.h"
#include "TestCertificate.h"

#include <QNetworkReply>
#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

#include <zlib.h>

namespace {

// What a marked request reported, and what its reply held during the call.
struct Delivery
{
    QList<QByteArray> signalOrder;
    QMarkedRequest::QRequestResult result = QMarkedRequest::Success;
    QString error;
    bool hadReply = false;
    QByteArray body;
    QPointer<QMarkedRequest> request;
    QPointer<QNetworkReply> reply;
};

// Sends a marked request and records its signals in delivery.
QNetworkReply* Send(QMarkedRequest* request, const QByteArray& body, Delivery* delivery)
{
    delivery->request = request;
    QObject::connect(request, &QMarkedRequest::finishedOrCancelled,
        [delivery] { delivery->signalOrder.append("finishedOrCancelled"); });
    QObject::connect(request, &QMarkedRequest::finished,
        [delivery](QMarkedRequest::QRequestResult result, const QString& error, QNetworkReply* reply) {
            delivery->signalOrder.append("finished");
            delivery->result = result;
            delivery->error = error;
            delivery->hadReply = reply != nullptr;
            if (reply)
                delivery->body = QNetwork::ReadReply(reply);
        });
    delivery->reply = QMarkedRequest::Send(request, body);
    return delivery->reply;
}

QByteArray RawDeflate(const QByteArray& data)
{
    QByteArray output(static_cast<int>(compressBound(static_cast<uLong>(data.size()))), '\0');
    uLongf size = static_cast<uLongf>(output.size());
    compress(reinterpret_cast<Bytef*>(output.data()), &size, reinterpret_cast<const Bytef*>(data.constData()),
        static_cast<uLong>(data.size()));
    output.resize(static_cast<int>(size));
    return output;
}

// Varied text that does not repeat, so it compresses only a little.
QByteArray Text(int size)
{
    QByteArray text;
    text.reserve(size);
    quint32 seed = 12345;
    while (text.size() < size) {
        seed = seed * 1103515245u + 12345u;
        text.append(static_cast<char>('a' + (seed >> 16) % 26));
    }
    return text;
}

} // namespace

class tst_Network : public QObject
{
    Q_OBJECT

private slots:
    void readReply_data();
    void readReply();
    void truncatedGzipYieldsTheDecodablePart();
    void routing_data();
    void routing();
    void abortIsCancelled();
    void hungReplyTimesOutAsError();
    void repliesReachTheirOwnRequests();
    void foreignRepliesAreOnlyDeleted_data();
    void foreignRepliesAreOnlyDeleted();
    void nullBodyIsGetOtherwisePost_data();
    void nullBodyIsGetOtherwisePost();
    void untrustedCertificateFails();

private:
    HttpTestServer server;
};

void tst_Network::readReply_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("encoding");
    QTest::addColumn<bool>("chunked");
    QTest::addColumn<bool>("requestAsksForGzip");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray json = R"({"result":{"marketId":"1.23"}})";
    const QByteArray large = Text(1024 * 1024);
    QByteArray damaged = ScriptedReply::gzipCompress(Text(5000));
    damaged.replace(12, 40, QByteArray(40, '\xff'));

    QTest::newRow("gzip") << ScriptedReply::gzipCompress(json) << QByteArray("gzip") << false << true << json;
    QTest::newRow("gzip in chunks") << ScriptedReply::gzipCompress(json) << QByteArray("gzip") << true << true
                                    << json;
    QTest::newRow("gzip of 1 MB") << ScriptedReply::gzipCompress(large) << QByteArray("gzip") << false << true
                                  << large;
    QTest::newRow("exactly 1024 bytes")
        << ScriptedReply::gzipCompress(Text(1024)) << QByteArray("gzip") << false << true << Text(1024);
    QTest::newRow("exactly 3 x 1024 bytes")
        << ScriptedReply::gzipCompress(Text(3072)) << QByteArray("gzip") << false << true << Text(3072);
    QTest::newRow("empty gzip member")
        << ScriptedReply::gzipCompress(QByteArray()) << QByteArray("gzip") << false << true << QByteArray();
    QTest::newRow("four bytes") << QByteArray("\x1f\x8b\x08\x00", 4) << QByteArray("gzip") << false << true
                                << QByteArray();
    QTest::newRow("not gzip at all") << QByteArray("plain text, declared gzip") << QByteArray("gzip") << false
                                     << true << QByteArray();
    QTest::newRow("damaged stream") << damaged << QByteArray("gzip") << false << true << QByteArray();
    QTest::newRow("Gzip in other case") << ScriptedReply::gzipCompress(json) << QByteArray("Gzip") << false
                                        << true << ScriptedReply::gzipCompress(json);
    QTest::newRow("deflate") << RawDeflate(json) << QByteArray("deflate") << false << true
                             << RawDeflate(json);
    QTest::newRow("no encoding") << json << QByteArray() << false << true << json;
    // Qt inflates on its own when the request left Accept-Encoding to it.
    QTest::newRow("inflated by Qt") << ScriptedReply::gzipCompress(json) << QByteArray("gzip") << false
                                    << false << json;
}

void tst_Network::readReply()
{
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, encoding);
    QFETCH(bool, chunked);
    QFETCH(bool, requestAsksForGzip);
    QFETCH(QByteArray, expected);

    ScriptedReply reply = ScriptedReply::text(sent, "application/octet-stream");
    if (!encoding.isEmpty())
        reply = reply.withHeader("Content-Encoding", encoding);
    if (chunked)
        reply = reply.inChunks();
    server.enqueueReply("GET", "/body", reply);

    auto* request = new QMarkedRequest(server.url(QStringLiteral("/body")));
    if (requestAsksForGzip)
        request->setRawHeader("Accept-Encoding", "gzip");
    Delivery delivery;
    Send(request, QByteArray(), &delivery);
    QTRY_VERIFY_WITH_TIMEOUT(!delivery.signalOrder.isEmpty(), Patience);
    QCOMPARE(delivery.result, QMarkedRequest::Success);
    QCOMPARE(delivery.body.size(), expected.size());
    QVERIFY(delivery.body == expected);
}

void tst_Network::truncatedGzipYieldsTheDecodablePart()
{
    const QByteArray text = Text(200 * 1024);
    const QByteArray compressed = ScriptedReply::gzipCompress(text);
    server.enqueueReply("GET", "/truncated",
        ScriptedReply::text(compressed.left(compressed.size() / 2)).withHeader("Content-Encoding", "gzip"));

    auto* request = new QMarkedRequest(server.url(QStringLiteral("/truncated")));
    request->setRawHeader("Accept-Encoding", "gzip");
    Delivery delivery;
    Send(request, QByteArray(), &delivery);
    QTRY_VERIFY_WITH_TIMEOUT(!delivery.signalOrder.isEmpty(), Patience);
    QVERIFY(delivery.body.size() > 1024);
    QVERIFY(delivery.body.size() < text.size());
    QVERIFY(text.startsWith(delivery.body));
}

void tst_Network::routing_data()
{
    QTest::addColumn<ScriptedReply>("reply");
    QTest::addColumn<QMarkedRequest::QRequestResult>("result");
    QTest::addColumn<QString>("errorContains");
    QTest::addColumn<QByteArray>("body");

    QTest::newRow("success") << ScriptedReply::text("ok") << QMarkedRequest::Success << QString()
                             << QByteArray("ok");
    QTest::newRow("empty success") << ScriptedReply::text("") << QMarkedRequest::Success << QString()
                                   << QByteArray();
    QTest::newRow("404") << ScriptedReply::error(404) << QMarkedRequest::Error << QStringLiteral("Not Found")
                         << QByteArray();
    QTest::newRow("500") << ScriptedReply::error(500) << QMarkedRequest::Error
                         << QStringLiteral("Internal Server Error") << QByteArray();
    QTest::newRow("closed without answer")
        << ScriptedReply::closed() << QMarkedRequest::Error << QString() << QByteArray();
}

void tst_Network::routing()
{
    QFETCH(ScriptedReply, reply);
    QFETCH(QMarkedRequest::QRequestResult, result);
    QFETCH(QString, errorContains);
    QFETCH(QByteArray, body);

    server.enqueueReply("GET", "/route", reply);
    Delivery delivery;
    Send(new QMarkedRequest(server.url(QStringLiteral("/route"))), QByteArray(), &delivery);
    QTRY_VERIFY_WITH_TIMEOUT(!delivery.signalOrder.isEmpty(), Patience);

    QCOMPARE(delivery.signalOrder, QList<QByteArray>({ "finishedOrCancelled", "finished" }));
    QCOMPARE(delivery.result, result);
    QCOMPARE(delivery.hadReply, result == QMarkedRequest::Success);
    QCOMPARE(delivery.body, body);
    if (result == QMarkedRequest::Success) {
        QVERIFY(delivery.error.isEmpty());
    } else {
        QVERIFY2(delivery.error.startsWith(QLatin1String("Network error: ")), qPrintable(delivery.error));
        QVERIFY(delivery.error.size() > 15);
        QVERIFY2(delivery.error.contains(errorContains), qPrintable(delivery.error));
    }
    // Both go once the outcome is delivered, and nothing is reported twice.
    QTRY_VERIFY_WITH_TIMEOUT(delivery.request.isNull() && delivery.reply.isNull(), Patience);
    QCOMPARE(delivery.signalOrder.size(), 2);
}

void tst_Network::abortIsCancelled()
{
    server.enqueueReply("GET", "/slow", ScriptedReply::text("late").held());
    Delivery delivery;
    QNetworkReply* reply
        = Send(new QMarkedRequest(server.url(QStringLiteral("/slow"))), QByteArray(), &delivery);
    QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 1, Patience);

    reply->abort();
    QTRY_VERIFY_WITH_TIMEOUT(!delivery.signalOrder.isEmpty(), Patience);
    QCOMPARE(delivery.signalOrder, QList<QByteArray>({ "finishedOrCancelled", "finished" }));
    QCOMPARE(delivery.result, QMarkedRequest::Cancelled);
    QCOMPARE(delivery.error, QStringLiteral("Cancelled"));
    QVERIFY(!delivery.hadReply);
    QTRY_VERIFY_WITH_TIMEOUT(delivery.request.isNull() && delivery.reply.isNull(), Patience);
    server.releaseAll();
}

void tst_Network::hungReplyTimesOutAsError()
{
    const int productionTimeout = QNetwork::TransferTimeout;
    QCOMPARE(productionTimeout, 60000);
    QNetwork::TransferTimeout = 300;
    server.enqueueReply("GET", "/hung", ScriptedReply::text("never").held());
    Delivery delivery;
    Send(new QMarkedRequest(server.url(QStringLiteral("/hung"))), QByteArray(), &delivery);
    QNetwork::TransferTimeout = productionTimeout;

    QTRY_VERIFY_WITH_TIMEOUT(!delivery.signalOrder.isEmpty(), Patience);
    QCOMPARE(delivery.result, QMarkedRequest::Error);
    QVERIFY2(delivery.error.startsWith(QLatin1String("Network error: ")), qPrintable(delivery.error));
    QCOMPARE(delivery.signalOrder, QList<QByteArray>({ "finishedOrCancelled", "finished" }));
    server.releaseAll();
}

void tst_Network::repliesReachTheirOwnRequests()
{
    const int count = 12;
    QVector<Delivery> deliveries(count);
    for (int i = 0; i < count; ++i) {
        const QString path = QStringLiteral("/own/%1").arg(i);
        // Later requests are answered sooner, so replies end out of order.
        server.enqueueReply("GET", path, ScriptedReply::text(path.toUtf8()).delayed((count - i) * 20));
        Send(new QMarkedRequest(server.url(path)), QByteArray(), &deliveries[i]);
    }
    for (int i = 0; i < count; ++i) {
        QTRY_VERIFY_WITH_TIMEOUT(!deliveries[i].signalOrder.isEmpty(), Patience);
        QCOMPARE(deliveries[i].body, QStringLiteral("/own/%1").arg(i).toUtf8());
        QCOMPARE(deliveries[i].signalOrder.size(), 2);
    }
}

void tst_Network::foreignRepliesAreOnlyDeleted_data()
{
    QTest::addColumn<bool>("plainOriginator");
    QTest::newRow("no originating object") << false;
    QTest::newRow("originator is not a marked request") << true;
}

void tst_Network::foreignRepliesAreOnlyDeleted()
{
    QFETCH(bool, plainOriginator);
    server.enqueueReply("GET", "/foreign", ScriptedReply::text("x"));

    QObject originator;
    QSignalSpy destroyed(&originator, &QObject::destroyed);
    QNetworkRequest request(QUrl(server.url(QStringLiteral("/foreign"))));
    if (plainOriginator)
        request.setOriginatingObject(&originator);
    QPointer<QNetworkReply> reply = QNetwork::Shared()->get(request);
    QSignalSpy finished(reply.data(), &QNetworkReply::finished);

    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, Patience);
    QTRY_VERIFY_WITH_TIMEOUT(reply.isNull(), Patience);
    QCOMPARE(destroyed.count(), 0);
}

void tst_Network::nullBodyIsGetOtherwisePost_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("method");
    QTest::newRow("null body") << QByteArray() << QByteArray("GET");
    QTest::newRow("empty body") << QByteArray("") << QByteArray("POST");
    QTest::newRow("body") << QByteArray("a=1&b=2") << QByteArray("POST");
}

void tst_Network::nullBodyIsGetOtherwisePost()
{
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, method);
    server.clearRequests();
    server.enqueueReply(method, "/method", ScriptedReply::text("ok"));

    Delivery delivery;
    auto* request = new QMarkedRequest(server.url(QStringLiteral("/method")));
    request->setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("text/plain"));
    Send(request, body, &delivery);
    QTRY_VERIFY_WITH_TIMEOUT(!delivery.signalOrder.isEmpty(), Patience);
    QCOMPARE(delivery.result, QMarkedRequest::Success);

    const RecordedRequest received = server.lastRequest();
    QCOMPARE(received.method, method);
    QCOMPARE(received.body, body.isNull() ? QByteArray() : body);
    if (method == "POST")
        QCOMPARE(received.header("Content-Length"), QByteArray::number(body.size()));
}

void tst_Network::untrustedCertificateFails()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const TestCertificate identity = TestCertificate::create(folder.path());
    QVERIFY2(identity.isValid(), qPrintable(identity.error));

    HttpTestServer tlsServer(identity.certificate, identity.key);
    QVERIFY(tlsServer.isListening());
    tlsServer.setReply("GET", "/secure", ScriptedReply::text("secret"));

    Delivery delivery;
    Send(new QMarkedRequest(tlsServer.url(QStringLiteral("/secure"))), QByteArray(), &delivery);
    QTRY_VERIFY_WITH_TIMEOUT(!delivery.signalOrder.isEmpty(), Patience);
    QCOMPARE(delivery.result, QMarkedRequest::Error);
    QVERIFY2(delivery.error.startsWith(QLatin1String("Network error: ")), qPrintable(delivery.error));
    QVERIFY2(delivery.error.contains(QLatin1String("SSL"), Qt::CaseInsensitive), qPrintable(delivery.error));
    QVERIFY(delivery.body.isEmpty());
    QVERIFY(tlsServer.connectionCount() >= 1);
    QCOMPARE(tlsServer.requestCount(), 0);
}

QTEST_GUILESS_MAIN(tst_Network)
#include "tst_network.moc"
