#include "EmailAddress.h"
#include "MimeAttachment.h"
#include "MimeHeader.h"
#include "MimeHtml.h"
#include "MimeMessage.h"
#include "MimeMultiPart.h"
#include "QuotedPrintable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {

int boundariesDrawn = 0; // through the test seam
using Part = QSharedPointer<MimePart>;

Part made(MimePart* part, int encoding = -1)
{
    if (encoding >= 0)
        part->setTransferEncoding(MimePart::TransferEncoding(encoding));
    return Part(part);
}

// What Python's own mail parser makes of a message (see mail_referee.py).
QJsonObject referee(const QByteArray& message)
{
    QProcess python;
    python.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    python.start("/usr/bin/python3", { MAIL_REFEREE_SCRIPT });
    python.write(message);
    python.closeWriteChannel();
    python.waitForFinished(60000);
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

} // namespace

Q_DECLARE_METATYPE(QList<Part>)

class tst_Mime : public QObject
{
    Q_OBJECT

private slots:
    // Dates, also in every message below, stay English under any locale.
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }

    void quotedPrintable()
    {
        QCOMPARE(QuotedPrintable::encode("a=b c:d ~\r\n\xE9"), "a=3Db c:d ~=0D=0A=E9");
        // In a word only [A-Za-z0-9!*+-/] stay: the others would end it, read as a blank, or break the phrase.
        QCOMPARE(QuotedPrintable::encodeWord("Az09!*+-/?_\",.@ :~"), "Az09!*+-/=3F=5F=22=2C=2E=40_=3A=7E");
        // Lower-case digits and soft line breaks are read; malformed escapes stay as they stand.
        QCOMPARE(QuotedPrintable::decode("=e9ab=\r\ncd=G1 x="), QByteArray("\xE9" "abcd=G1 x="));
        MimeHtml blank("a=b "); // decoders strip a trailing blank
        blank.setTransferEncoding(MimePart::EncodingQuotedPrintable);
        QVERIFY2(blank.toMimeString().endsWith("\r\n\r\na=3Db=20\r\n"), qPrintable(blank.toMimeString()));
        QByteArray every; // folded, no escape is split
        for (int byte = 0; byte < 256; ++byte)
            every += char(byte);
        QCOMPARE(QuotedPrintable::decode(MimeContentFormatter(76).fold(QuotedPrintable::encode(every), true)), every);
    }

    void partHeaderValuesStayOnTheirLine()
    {
        MimeText part("a\rb\n\rc");
        part.setContentType("text/plain\r\nBcc: a@b");
        part.setCharset("utf-8\nX: 1");
        part.setContentId("id\r\nX: 2");
        part.setHeaderLines("X-A: 1\nX-B: 2");
        QCOMPARE(part.toMimeString(), "Content-Type: text/plain  Bcc: a@b; charset=utf-8 X: 1\r\nContent-Transfer-Encoding: 8bit\r\n"
                                      "Content-ID: <id  X: 2>\r\nX-A: 1\r\nX-B: 2\r\n\r\na\r\nb\r\n\r\nc\r\n");
    }

    void boundaries()
    {
        QSet<QString> seen; // 64 different boundaries of 128 random bits (256 possible ones would repeat)
        for (int i = 0; i < 64; ++i)
            seen.insert(MimeMultiPart().toMimeString().section("\r\n", 0, 0).section("; boundary=", 1) + ' ');
        const QString all = seen.values().join(QString());
        QVERIFY2(QRegularExpression("^([0-9a-f]{32} ){64}$").match(all).hasMatch(), qPrintable(all));

        // A boundary found in the content is drawn again; a rebuilt attachment says so once.
        MimeMultiPart::setBoundarySource([] { return QStringLiteral("B%1").arg(++boundariesDrawn); });
        MimeMultiPart multipart;
        MimeText text("--B1");
        MimeAttachment attachment("x", "f");
        multipart.appendPart(&text);
        multipart.appendPart(&attachment);
        multipart.buildMime();
        multipart.buildMime();
        const QString built = multipart.toMimeString();
        MimeMultiPart::setBoundarySource(nullptr);
        QVERIFY2(built.startsWith("Content-Type: multipart/related; boundary=B2\r\n") && built.count("attachment") == 1, qPrintable(built));
    }

    void singleOrMissingContent()
    {
        EmailAddress from("f@example.com"), to("t@example.org");
        MimeHtml html("<b>H</b>");
        MimeMessage message;
        message.setSender(&from);
        message.addTo(&to);
        message.setContent(&html);
        message.addPart(&html);
        QCOMPARE(message.parts(), QList<MimePart*> { &html });
        message.setContent(nullptr);
        message.addPart(&html);
        QVERIFY(!message.validationError().isEmpty() && message.toMimeString().isEmpty());
    }

    void unusableAddressesAreRefused_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("CR LF") << "a@x.org\r\nRCPT TO:<b@y>";
        QTest::newRow("angle bracket") << "a@x.org>, <b@y";
        QTest::newRow("no-break space") << QString("a\u00A0@x.org");
        QTest::newRow("too long") << QString(250, 'a') + "@x.org";
    }
    void unusableAddressesAreRefused()
    {
        QFETCH(QString, address);
        // As the sender, or as a To, Cc or Bcc recipient.
        for (int role = -1; role <= MimeMessage::Bcc; ++role) {
            EmailAddress good("good@x.org"), bad(address);
            MimeMessage message;
            message.setSender(role < 0 ? &bad : &good);
            message.addRecipient(role < 0 ? &good : &bad, MimeMessage::RecipientType(qMax(role, 0)));
            QVERIFY(!message.validationError().isEmpty() && message.toMimeString().isEmpty());
            bad.setAddress("fixed@x.org");
            QVERIFY(message.validationError().isEmpty() && !message.toMimeString().isEmpty());
        }
    }

    void dateIsInEnglish()
    {
        QCOMPARE(MimeHeader::date(QDateTime(QDate(2025, 7, 19), QTime(0, 0), Qt::OffsetFromUTC, -12600)), "Sat, 19 Jul 2025 00:00:00 -0330");
    }

    void refereeReadsWhatWasWritten_data()
    {
        QTest::addColumn<QString>("subject");
        QTest::addColumn<QString>("fromName");
        QTest::addColumn<QString>("toName");
        QTest::addColumn<int>("headerEncoding");
        QTest::addColumn<QList<Part>>("parts");

        const int plain = MimePart::Encoding8Bit, qp = MimePart::EncodingQuotedPrintable;
        const QString table = QStringLiteral("<table>\r\n<tr><td>Фаворит</td><td>a=b</td></tr>\n").repeated(60);
        // Content that 7bit or 8bit cannot carry as it stands goes quoted-printable.
        const Part notUtf8 = made(new MimePart, plain);
        notUtf8->setContentType("text/plain");
        notUtf8->setContent("caf\xE9");
        QTest::newRow("quoted-printable, content unfit for 8bit or 7bit")
            << "Prices" << "Sender" << "Receiver" << plain
            << QList<Part> { made(new MimeHtml(table + "<p>" + QString(300, 'x') + "</p>  "), qp), notUtf8,
                   made(new MimeText(QString(500, QChar(0x436)))), made(new MimeText(QString(999, 'y'))),
                   made(new MimeText(QString::fromLatin1("a\0b", 3))), made(new MimeText(QStringLiteral("café")), MimePart::Encoding7Bit) };
        QTest::newRow("text and attachments, injection in subject and names")
            << "Hi\r\nBcc: victim@example.com\r\n\r\nfake body" << "Eve\r\nX-Injected: 1" << "Bob\nCc: other@example.com" << plain
            << QList<Part> { made(new MimeText("Hello,\r\nthe files.\r\n.\r\nBye")),
                   made(new MimeAttachment(QByteArray("\0\r\n\r\xFF\n", 6).repeated(100), QStringLiteral("отчёт по ставкам.csv"))),
                   made(new MimeAttachment("a;b\r\n", "a \"quoted\\\" name\r\n.csv")) };
        QTest::newRow("Cyrillic subject and names, specials, a lookalike encoded word")
            << QStringLiteral("Ставки на сегодня: фавориты 😀 и аутсайдеры, ").repeated(6) + "=?utf-8?Q?x?="
            << "Smith, John (Betfair)" << QStringLiteral("Пётр, \"трейдер\" <boss>") << plain
            << QList<Part> { made(new MimeHtml(QStringLiteral("<p>Привет</p>"))) };
        QTest::newRow("Q header words") << QStringLiteral("a_b?=c: ünïcödé ").repeated(10) << "a b:c" << "x_y?=z, \"q\"" << qp
                                        << QList<Part> { made(new MimeText("x")) };
    }
    void refereeReadsWhatWasWritten()
    {
        QFETCH(QString, subject);
        QFETCH(QString, fromName);
        QFETCH(QString, toName);
        QFETCH(int, headerEncoding);
        QFETCH(QList<Part>, parts);
        EmailAddress from("sender@example.com", fromName), to("receiver@example.org", toName), to2("b@x.org"), bcc("hidden@x.org");
        MimeMessage message;
        message.setSender(&from);
        message.addTo(&to);
        message.addTo(nullptr);
        message.addTo(&to2);
        message.addBcc(&bcc);
        message.setSubject(subject);
        message.setHeaderEncoding(MimePart::TransferEncoding(headerEncoding));
        message.setContent(message.content());
        const auto flat = [](QString text) { return text.replace('\r', ' ').replace('\n', ' '); };
        QJsonArray tree { "multipart/related" }, leaves;
        for (const Part& part : parts) {
            message.addPart(part.data());
            tree.append(part->contentType());
        }

        const QJsonObject report = referee(message.toMimeString().toUtf8());
        QCOMPARE(report.value("problems").toString(), QString());
        // Whatever the texts held, no header field of their own (nor Bcc) got in, and line breaks read as blanks.
        QCOMPARE(report.value("headerNames").toArray(), QJsonArray({ "From", "To", "Subject", "Date", "Message-ID", "MIME-Version",
                                                            "Content-Type", "Content-Transfer-Encoding" }));
        QCOMPARE(report.value("subject").toString(), flat(subject));
        QCOMPARE(report.value("from").toArray(), QJsonArray({ QJsonArray({ flat(fromName), "sender@example.com" }) }));
        QCOMPARE(report.value("to").toArray(),
            QJsonArray({ QJsonArray({ flat(toName), "receiver@example.org" }), QJsonArray({ "", "b@x.org" }) }));
        QCOMPARE(report.value("tree").toArray(), tree);
        for (const Part& part : parts) { // file name and decoded payload of each, once built
            const QByteArray content = part->content();
            leaves.append(QJsonArray { flat(part->contentName()), QString::fromLatin1(content.constData(), content.size()) });
        }
        QCOMPARE(QJsonDocument(report.value("parts").toArray()).toJson(), QJsonDocument(leaves).toJson());
    }
};

QTEST_GUILESS_MAIN(tst_Mime)
#include "tst_mime.moc"
