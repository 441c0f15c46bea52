#include "EmailAddress.h"
#include "MimeAttachment.h"
#include "MimeHeader.h"
#include "MimeHtml.h"
#include "MimeMessage.h"
#include "MimeMultiPart.h"
#include "QuotedPrintable.h"
#include "ScriptedSmtp.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QtTest>

namespace {

using Part = QSharedPointer<MimePart>;

Part made(MimePart* part, int encoding = -1)
{
    if (encoding >= 0)
        part->setTransferEncoding(MimePart::TransferEncoding(encoding));
    return Part(part);
}

} // namespace

Q_DECLARE_METATYPE(QList<Part>)

class tst_Mime : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;

private slots:
    // Dates, in every message below, stay English under any locale.
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }

    // Bytes changed on the way: split escapes, a trailing blank decoders strip, bare line ends servers refuse.
    void bodiesArriveIntact()
    {
        QCOMPARE(QuotedPrintable::encode("a=b c:d ~\r\n\xE9"), "a=3Db c:d ~=0D=0A=E9");
        QByteArray every;
        for (int byte = 0; byte < 256; ++byte)
            every += char(byte);
        const QString folded = MimeContentFormatter(76).fold(QuotedPrintable::encode(every), true);
        QCOMPARE(QuotedPrintable::decode(folded), every);
        QCOMPARE(QuotedPrintable::decode("=G1 x=4"), QByteArray("=G1 x=4")); // malformed escapes stay as they came
        int longest = 0; // soft breaks included: the standard allows 76
        for (const QString& line : folded.split("\r\n"))
            longest = qMax(longest, line.size());
        QCOMPARE(longest, 76);
        MimeHtml blank("a=b ");
        blank.setTransferEncoding(MimePart::EncodingQuotedPrintable);
        QVERIFY2(blank.toMimeString().endsWith("\r\n\r\na=3Db=20\r\n"), qPrintable(blank.toMimeString()));
        QVERIFY(MimeText("a\rb\n\rc").toMimeString().endsWith("\r\n\r\na\r\nb\r\n\r\nc\r\n"));
    }

    // A boundary found in the content would end its part early: drawn again until no part holds it
    // (B1, B2, … in turn); a rebuild must not add a second disposition.
    void boundaries_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("boundary");
        QTest::newRow("one collision") << "--B1" << "B2";
        QTest::newRow("two in a row") << "--B1 --B2" << "B3";
    }

    void boundaries()
    {
        QFETCH(QString, content);
        QFETCH(QString, boundary);
        static int drawn;
        drawn = 0;
        MimeMultiPart::setBoundarySource([] { return QStringLiteral("B%1").arg(++drawn); });
        MimeMultiPart multipart;
        MimeText text(content);
        MimeAttachment attachment("x", "f");
        multipart.appendPart(&text);
        multipart.appendPart(&attachment);
        const QString header = "Content-Type: multipart/related; boundary=" + boundary + "\r\n";
        multipart.buildMime();
        const QString first = multipart.toMimeString();
        multipart.buildMime();
        const QString built = multipart.toMimeString();
        MimeMultiPart::setBoundarySource(nullptr);
        QVERIFY2(first.startsWith(header), qPrintable(first));
        QVERIFY2(built.startsWith(header) && built.count("attachment") == 1, qPrintable(built));
    }

    // A single part must not take others (bad downcast); a message without content is refused, not sent empty.
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

    // An address that would add commands of its own, or longer than SMTP carries, is refused as sender and as
    // every kind of recipient.
    void unusableAddressesAreRefused()
    {
        // 254 characters, the most SMTP carries, still pass.
        QVERIFY(EmailAddress(QString(242, 'a') + "@example.org").validationError().isEmpty());
        for (const QString& address : QStringList { "a@x.org\r\nRCPT TO:<b@y>", "a@x.org>, <b@y",
                 "a@x.org\x1b", QString(243, 'a') + "@example.org", "a b@x.org", "<a@x.org", "a@x.org>" })
            for (int role = -1; role <= MimeMessage::Bcc; ++role) {
                EmailAddress good("good@x.org"), bad(address);
                MimeMessage message;
                message.setSender(role < 0 ? &bad : &good);
                message.addRecipient(role < 0 ? &good : &bad, MimeMessage::RecipientType(qMax(role, 0)));
                QVERIFY(!message.validationError().isEmpty() && message.toMimeString().isEmpty());
            }
    }

    // Texts known to the character: dates in any zone, fields folded at 78 columns, long or non-ASCII parameters,
    // characters outside the basic plane, set names and charsets, file parts read when built (57 bytes fill one line).
    void fixedTexts_data()
    {
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("expected");

        const auto date = [](int offset) { return MimeHeader::date(QDateTime({ 2026, 3, 5 }, { 14, 7, 9 }, Qt::OffsetFromUTC, offset)); };
        QTest::newRow("date east of UTC") << date(5 * 3600 + 30 * 60) << "Thu, 05 Mar 2026 14:07:09 +0530";
        QTest::newRow("date west of UTC") << date(-(3 * 3600 + 30 * 60)) << "Thu, 05 Mar 2026 14:07:09 -0330";

        const auto subject = [](const QString& text) {
            return MimeHeader::field("Subject", MimeHeader::unstructured(text, MimePart::Encoding8Bit));
        };
        const QString word = " abcdefghi", seven = word.repeated(7);
        QTest::newRow("78 columns stay, each folded line refilled")
            << subject(word.repeated(30).mid(1)) << "Subject:" + (seven + "\r\n").repeated(4) + word.repeated(2) + "\r\n";
        QTest::newRow("79 columns fold")
            << subject("abcdefghij" + word.repeated(6)) << "Subject: abcdefghij" + word.repeated(5) + "\r\n" + word + "\r\n";
        QTest::newRow("emoji at the end") << subject(QStringLiteral("€😀")) << "Subject: =?utf-8?B?4oKs8J+YgA==?=\r\n";
        QTest::newRow("half an emoji at the end") << subject(QStringLiteral("€") + QChar(0xD83D)) << "Subject: =?utf-8?B?4oKsPw==?=\r\n";

        const QString a180(180, 'a');
        QTest::newRow("name of 180 characters") << MimeHeader::parameter("name", a180) << "; name=\"" + a180 + "\"";
        QTest::newRow("name of 181 characters")
            << MimeHeader::parameter("name", a180 + 'a')
            << ";\r\n name*0*=utf-8''" + QString(53, 'a') + ";\r\n name*1*=" + QString(60, 'a') + ";\r\n name*2*=" + QString(60, 'a')
                + ";\r\n name*3*=" + QString(8, 'a');
        QTest::newRow("name beyond ASCII") << MimeHeader::parameter("name", QStringLiteral("отчёт.csv"))
                                           << "; name*=utf-8''%D0%BE%D1%82%D1%87%D1%91%D1%82.csv";

        MimeText named;
        named.setContentName("a.txt");
        named.setCharset("us-ascii");
        QTest::newRow("name and charset set")
            << named.toMimeString()
            << "Content-Type: text/plain; name=\"a.txt\"; charset=us-ascii\r\nContent-Transfer-Encoding: 8bit\r\n\r\n\r\n";
        QTest::newRow("text ending in a line break")
            << MimeText("a\r\n").toMimeString() << "Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: 8bit\r\n\r\na\r\n\r\n";

        const auto file = [this](int size) {
            auto* file = new QFile(m_folder.filePath(QString::number(size)));
            if (file->open(QIODevice::WriteOnly))
                file->write(QByteArray(size, 'a'));
            file->close();
            return MimeAttachment(file).toMimeString();
        };
        const QString oneLine = "Content-Type: application/octet-stream; name=\"%1\"\r\nContent-Transfer-Encoding: base64\r\n"
                             "Content-disposition: attachment\r\n\r\n" + QString("YWFh").repeated(19);
        QTest::newRow("file of 57 bytes") << file(57) << oneLine.arg(57) + "\r\n";
        QTest::newRow("file of 58 bytes") << file(58) << oneLine.arg(58) + "\r\nYQ==\r\n";
    }

    void fixedTexts()
    {
        QFETCH(QString, written);
        QFETCH(QString, expected);
        QCOMPARE(written, expected);
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
        QTest::newRow("content unfit for 8bit or 7bit, Cyrillic subject, specials and a lookalike encoded word in names")
            << QStringLiteral("Ставки на сегодня: фавориты 😀 и аутсайдеры, ").repeated(6) + "=?utf-8?Q?x?="
            << "Smith, John (Betfair)" << QStringLiteral("Пётр, \"трейдер\" <boss>") << plain
            << QList<Part> { made(new MimeHtml(table + "<p>" + QString(300, 'x') + "</p>  "), qp),
                   made(new MimeText(QString(500, QChar(0x436)))), made(new MimeText(QString::fromLatin1("a\0b", 3))),
                   made(new MimeText(QStringLiteral("café")), MimePart::Encoding7Bit) };
        QTest::newRow("injection in subject and names, attachments, Q words")
            << "Hi\r\nBcc: victim@example.com\r\n\r\nfake body" << "Eve\nX-Injected: 1" << QStringLiteral("Bob\nCc: a_b?=c, \"ü\"") << qp
            << QList<Part> { made(new MimeText("Hello,\r\nthe files.\r\n.\r\nBye")),
                   made(new MimeAttachment(QByteArray("\0\r\n\r\xFF\n", 6).repeated(100), QStringLiteral("отчёт по ставкам.csv"))),
                   made(new MimeAttachment("a;b\r\n", "a \"quoted\\\" name\r\n.csv")) };
    }
    // Whatever the texts hold: no header field of their own (nor Bcc) gets in, and every text and byte reads back.
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

        const QJsonObject report = MailReferee(MAIL_REFEREE_SCRIPT, message.toMimeString().toUtf8());
        QCOMPARE(report.value("problems").toString(), QString());
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
