#include "MimeAttachment.h"
#include "MimeHtml.h"
#include "MimeInlineFile.h"
#include "MimeMultiPart.h"
#include "QuotedPrintable.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QStringList boundaryQueue;

QString nextBoundary()
{
    return boundaryQueue.isEmpty() ? QStringLiteral("fallback") : boundaryQueue.takeFirst();
}

QString lines(const QStringList &list)
{
    return list.join("\r\n") + "\r\n";
}

const QString textHeader = "Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: 8bit\r\n";

QSharedPointer<MimePart> part(MimePart *made, MimePart::TransferEncoding encoding = MimePart::TransferEncoding(-1))
{
    if (encoding >= 0)
        made->setTransferEncoding(encoding);
    return QSharedPointer<MimePart>(made);
}

} // namespace

Q_DECLARE_METATYPE(QSharedPointer<MimePart>)

class tst_MimeParts : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void renders_data();
    void renders();
    void unsafePlainContentGoesQuotedPrintable_data();
    void unsafePlainContentGoesQuotedPrintable();
    void boundaries();
    void multipartBuildsItsPartsAgain();
    void fileIsReadWhenBuilt();
};

void tst_MimeParts::cleanup()
{
    MimeMultiPart::setBoundarySource(nullptr);
    boundaryQueue.clear();
}

void tst_MimeParts::renders_data()
{
    QTest::addColumn<QSharedPointer<MimePart>>("part");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty text") << part(new MimeText) << textHeader + "\r\n\r\n";
    QTest::newRow("bare LF") << part(new MimeText("a\nb\n")) << textHeader + "\r\na\r\nb\r\n\r\n";
    QTest::newRow("bare CR, LF CR") << part(new MimeText("a\rb\n\rc")) << textHeader + "\r\na\r\nb\r\n\r\nc\r\n";
    QTest::newRow("line of 998 octets") << part(new MimeText(QString(998, 'x'))) << textHeader + "\r\n" + QString(998, 'x') + "\r\n";

    QSharedPointer<MimePart> extras = part(new MimeText("T"));
    extras->setContentId("logo@x");
    extras->addHeaderLine("X-Extra: 1");
    QTest::newRow("content id and extra line") << extras << textHeader + "Content-ID: <logo@x>\r\nX-Extra: 1\r\n\r\nT\r\n";

    QSharedPointer<MimePart> injected = part(new MimeText("x"));
    injected->setContentType("text/plain\r\nBcc: a@b");
    injected->setCharset("utf-8\nX: 1");
    injected->setContentId("id\r\nX: 2");
    injected->setHeaderLines("X-A: 1\nX-B: 2");
    QTest::newRow("header values stay on their line")
        << injected << lines({"Content-Type: text/plain  Bcc: a@b; charset=utf-8 X: 1", "Content-Transfer-Encoding: 8bit",
                              "Content-ID: <id  X: 2>", "X-A: 1", "X-B: 2", "", "x"});

    const QString attachmentHeader = "Content-Transfer-Encoding: base64\r\nContent-disposition: attachment\r\n\r\n";
    const QString base64 = QByteArray(58, 'z').toBase64();
    QTest::newRow("attachment of 57 bytes") << part(new MimeAttachment(QByteArray(57, 'z'), "N.bin"))
                                            << "Content-Type: application/octet-stream; name=\"N.bin\"\r\n" + attachmentHeader + base64.left(76) + "\r\n";
    QTest::newRow("attachment of 58 bytes") << part(new MimeAttachment(QByteArray(58, 'z'), "N.bin"))
                                            << "Content-Type: application/octet-stream; name=\"N.bin\"\r\n" + attachmentHeader
            + base64.left(76) + "\r\n" + base64.mid(76) + "\r\n";
    QTest::newRow("name with quote, backslash, line break")
        << part(new MimeAttachment("x", "a\"b\\c\r\n.txt"))
        << "Content-Type: application/octet-stream; name=\"a\\\"b\\\\c  .txt\"\r\n" + attachmentHeader + "eA==\r\n";
    QTest::newRow("name beyond ASCII")
        << part(new MimeAttachment("x", QStringLiteral("отчёт.csv")))
        << "Content-Type: application/octet-stream; name*=utf-8''%D0%BE%D1%82%D1%87%D1%91%D1%82.csv\r\n" + attachmentHeader + "eA==\r\n";

    QTest::newRow("html quoted-printable") << part(new MimeHtml("<p>a=b</p>"), MimePart::EncodingQuotedPrintable)
                                           << lines({"Content-Type: text/html; charset=utf-8", "Content-Transfer-Encoding: quoted-printable", "", "<p>a=3Db</p>"});
    QTest::newRow("trailing blank survives quoted-printable") << part(new MimeText("end "), MimePart::EncodingQuotedPrintable)
                                                              << lines({"Content-Type: text/plain; charset=utf-8", "Content-Transfer-Encoding: quoted-printable", "", "end=20"});
}

void tst_MimeParts::renders()
{
    QFETCH(QSharedPointer<MimePart>, part);
    QFETCH(QString, expected);
    QCOMPARE(part->toMimeString(), expected);
}

void tst_MimeParts::unsafePlainContentGoesQuotedPrintable_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("encoding");
    QTest::newRow("line of 999 octets") << QByteArray(999, 'x') << int(MimePart::Encoding8Bit);
    QTest::newRow("line of 500 two-octet letters") << QString(500, QChar(0x416)).toUtf8() << int(MimePart::Encoding8Bit);
    QTest::newRow("NUL in the middle") << QByteArray("before\0after", 12) << int(MimePart::Encoding8Bit);
    QTest::newRow("not UTF-8") << QByteArray("caf\xE9") << int(MimePart::Encoding8Bit);
    QTest::newRow("7bit beyond ASCII") << QByteArray("caf\xC3\xA9") << int(MimePart::Encoding7Bit);
}

void tst_MimeParts::unsafePlainContentGoesQuotedPrintable()
{
    QFETCH(QByteArray, content);
    QFETCH(int, encoding);
    MimePart part;
    part.setTransferEncoding(MimePart::TransferEncoding(encoding));
    part.setContent(content);
    const QStringList parts = part.toMimeString().split("\r\n\r\n");
    QCOMPARE(parts.value(0), QString("Content-Type: \r\nContent-Transfer-Encoding: quoted-printable"));
    const QString body = parts.value(1).chopped(2);
    for (const QString &line : body.split("\r\n"))
        QVERIFY(line.size() <= 76);
    QCOMPARE(QuotedPrintable::decode(body), content);
}

void tst_MimeParts::boundaries()
{
    QSet<QString> seen;
    for (int i = 0; i < 32; ++i) {
        const QString type = MimeMultiPart().toMimeString().section("\r\n", 0, 0);
        QVERIFY2(QRegularExpression("^Content-Type: multipart/related; boundary=[0-9a-f]{32}$").match(type).hasMatch(), qPrintable(type));
        seen.insert(type);
    }
    QCOMPARE(seen.size(), 32);

    // A boundary found in the content is drawn again.
    MimeMultiPart::setBoundarySource(nextBoundary);
    boundaryQueue = QStringList{"B1", "B2"};
    MimeMultiPart multipart(MimeMultiPart::Mixed);
    MimeText text("a line\n--B1\nanother");
    multipart.appendPart(&text);
    QCOMPARE(multipart.toMimeString(), lines({"Content-Type: multipart/mixed; boundary=B2", "Content-Transfer-Encoding: 8bit", "",
                                              "--B2", textHeader, "a line", "--B1", "another", "--B2--", ""}));
}

void tst_MimeParts::multipartBuildsItsPartsAgain()
{
    MimeMultiPart::setBoundarySource(nextBoundary);
    boundaryQueue = QStringList{"B"};
    MimeMultiPart multipart(MimeMultiPart::Related);
    const QString header = "Content-Type: multipart/related; boundary=B\r\nContent-Transfer-Encoding: 8bit\r\n\r\n";
    QCOMPARE(multipart.toMimeString(), header + "--B--\r\n\r\n");

    MimeHtml html("T");
    MimeAttachment attachment("x", "f");
    multipart.appendPart(&html);
    multipart.buildMime();
    QCOMPARE(multipart.toMimeString(), header + lines({"--B", "Content-Type: text/html; charset=utf-8", "Content-Transfer-Encoding: 8bit",
                                                       "", "T", "--B--", ""}));
    multipart.appendPart(&attachment);
    multipart.buildMime();
    const QString first = multipart.toMimeString();
    html.setHtml("U");
    QVERIFY(html.toMimeString().endsWith("\r\n\r\nT\r\n"));
    QCOMPARE(multipart.toMimeString(), first);
    multipart.buildMime();
    QVERIFY(multipart.toMimeString().contains("\r\n\r\nU\r\n--B\r\n"));
    QCOMPARE(multipart.toMimeString().count("Content-disposition: attachment"), 1);
}

void tst_MimeParts::fileIsReadWhenBuilt()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("report.csv");
    const auto write = [&path](const QByteArray &bytes) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    };
    QVERIFY(write("old"));
    QPointer<QFile> file = new QFile(path);
    {
        MimeInlineFile part(file);
        QVERIFY(write("a;b\n1;2\n"));
        QCOMPARE(part.toMimeString(), lines({"Content-Type: application/octet-stream; name=\"report.csv\"", "Content-Transfer-Encoding: base64",
                                             "Content-Disposition: inline", "", "YTtiCjE7Mgo="}));
    }
    QVERIFY(file.isNull());
}

QTEST_GUILESS_MAIN(tst_MimeParts)
#include "tst_mimeparts.moc"
