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

using Part = QSharedPointer<MimePart>;

Part made(MimePart* part, int encoding = -1)
{
    if (encoding >= 0)
        part->setTransferEncoding(MimePart::TransferEncoding(encoding));
    return Part(part);
}

QString crlf(const QStringList& lines)
{
    return lines.join("\r\n") + "\r\n";
}

// Boundaries handed out in turn while the test seam is set; "B" when none is left.
QStringList boundaryQueue;

QString nextBoundary()
{
    return boundaryQueue.isEmpty() ? QStringLiteral("B") : boundaryQueue.takeFirst();
}

// The message text without its Date and Message-ID lines, once found well-formed before MIME-Version.
QString withoutDateAndId(QString mime)
{
    static const QRegularExpression lines("Date: [A-Z][a-z]{2}, \\d\\d [A-Z][a-z]{2} \\d{4} \\d\\d:\\d\\d:\\d\\d [+-]\\d{4}\r\n"
                                          "Message-ID: <[0-9a-f]{32}@[A-Za-z0-9.-]+>\r\n(?=MIME-Version: 1.0\r\n)");
    return mime.count(lines) == 1 ? mime.remove(lines) : "no Date and Message-ID in: " + mime;
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

Q_DECLARE_METATYPE(Part)
Q_DECLARE_METATYPE(QList<Part>)

class tst_Mime : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { MimeMultiPart::setBoundarySource(nullptr); QLocale::setDefault(QLocale::c()); }

    void quotedPrintable_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("word");
        QTest::newRow("equals, blank, colon, tilde") << QByteArray("a=b c:d ~") << "a=3Db c:d ~" << "a=3Db_c=3Ad_=7E";
        QTest::newRow("CR LF, tab, e acute, delete") << QByteArray("\r\n\t\xE9\x7F") << "=0D=0A=09=E9=7F" << "=0D=0A=09=E9=7F";
        // In a word, only the first nine stay: the others would end it, read as a blank, or break the phrase.
        QTest::newRow("word characters") << QByteArray("Az09!*+-/?_\",.@") << "Az09!*+-/?_\",.@" << "Az09!*+-/=3F=5F=22=2C=2E=40";
    }
    void quotedPrintable()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, body);
        QFETCH(QString, word);
        QCOMPARE(QuotedPrintable::encode(bytes), body);
        QCOMPARE(QuotedPrintable::encodeWord(bytes), word);
    }

    void decode()
    {
        QCOMPARE(QuotedPrintable::decode("=3DA=42C"), QByteArray("=ABC"));
        QCOMPARE(QuotedPrintable::decode(QStringLiteral("Ж")), QByteArray(1, '\0'));
        // Lower-case digits and soft line breaks are read; malformed escapes stay as they stand.
        QCOMPARE(QuotedPrintable::decode("=e9ab=\r\ncd=G1 x="), QByteArray("\xE9" "abcd=G1 x="));
        QByteArray every;
        for (int byte = 0; byte < 256; ++byte)
            every += char(byte);
        QCOMPARE(QuotedPrintable::decode(MimeContentFormatter(76).fold(QuotedPrintable::encode(every), true)), every);
    }

    void fold_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("quotedPrintable");
        QTest::addColumn<QString>("expected");
        const QString x76(76, 'x'), a70(70, 'a');
        QTest::newRow("base64, 76") << x76 << false << x76;
        QTest::newRow("base64, 77") << x76 + "y" << false << x76 + "\r\ny";
        QTest::newRow("base64, 152") << x76 + x76 << false << x76 + "\r\n" + x76;
        QTest::newRow("qp, 80") << QString(80, 'a') << true << QString(75, 'a') + "=\r\n" + QString(5, 'a');
        QTest::newRow("qp, equals 74th") << QString(73, 'a') + "=3Dbb" << true << QString(73, 'a') + "=\r\n=3Dbb";
        QTest::newRow("qp, equals 73rd") << QString(72, 'a') + "=3Dbb" << true << QString(72, 'a') + "=3D=\r\nbb";
        QTest::newRow("qp, count restarts after LF") << a70 + "\n" + a70 << true << a70 + "\n" + a70;
    }
    void fold()
    {
        QFETCH(QString, text);
        QFETCH(bool, quotedPrintable);
        QFETCH(QString, expected);
        QCOMPARE(MimeContentFormatter(76).fold(text, quotedPrintable), expected);
    }

    void parts_data()
    {
        QTest::addColumn<Part>("part");
        QTest::addColumn<QString>("expected");
        const QString attached = "Content-Transfer-Encoding: base64\r\nContent-disposition: attachment\r\n\r\neA==\r\n";
        const QString text = "Content-Type: text/plain; charset=utf-8", plain = "Content-Transfer-Encoding: 8bit";
        QTest::newRow("bare CR and LF") << made(new MimeText("a\rb\n\rc")) << crlf({ text, plain, "", "a", "b", "", "c" });
        const Part injected = made(new MimeText("x"));
        injected->setContentType("text/plain\r\nBcc: a@b");
        injected->setCharset("utf-8\nX: 1");
        injected->setContentId("id\r\nX: 2");
        injected->setHeaderLines("X-A: 1\nX-B: 2");
        QTest::newRow("header values stay on their line")
            << injected << crlf({ "Content-Type: text/plain  Bcc: a@b; charset=utf-8 X: 1", plain,
                                  "Content-ID: <id  X: 2>", "X-A: 1", "X-B: 2", "", "x" });
        QTest::newRow("name with quote, backslash, line break") << made(new MimeAttachment("x", "a\"b\\c\r\n.txt"))
            << "Content-Type: application/octet-stream; name=\"a\\\"b\\\\c  .txt\"\r\n" + attached;
        QTest::newRow("quoted-printable HTML ending in a blank")
            << made(new MimeHtml("<p>a=b</p> "), MimePart::EncodingQuotedPrintable)
            << crlf({ "Content-Type: text/html; charset=utf-8", "Content-Transfer-Encoding: quoted-printable", "", "<p>a=3Db</p>=20" });
    }
    void parts()
    {
        QFETCH(Part, part);
        QFETCH(QString, expected);
        QCOMPARE(part->toMimeString(), expected);
    }

    void boundaries()
    {
        QSet<QString> seen; // 32 different boundaries of 128 random bits
        for (int i = 0; i < 32; ++i)
            seen.insert(MimeMultiPart().toMimeString().section("\r\n", 0, 0).section("; boundary=", 1) + ' ');
        const QString all = seen.values().join(QString());
        QVERIFY2(QRegularExpression("^([0-9a-f]{32} ){32}$").match(all).hasMatch(), qPrintable(all));

        // A boundary found in the content is drawn again; a rebuilt attachment says so once.
        MimeMultiPart::setBoundarySource(nextBoundary);
        boundaryQueue = QStringList { "B1", "B2" };
        MimeMultiPart multipart;
        MimeText text("--B1");
        MimeAttachment attachment("x", "f");
        multipart.appendPart(&text);
        multipart.appendPart(&attachment);
        multipart.buildMime();
        multipart.buildMime();
        const QString built = multipart.toMimeString();
        QVERIFY2(built.startsWith("Content-Type: multipart/related; boundary=B2\r\n") && built.count("attachment") == 1, qPrintable(built));
    }

    void message()
    {
        MimeMultiPart::setBoundarySource(nextBoundary);
        EmailAddress from("f@example.com", "N"), to("t@example.org"), to2("u@x.org", "U"), cc("c@x.org"), bcc("hidden@x.org");
        MimeHtml html("<b>H</b>");
        MimeMessage message;
        QVERIFY(!message.validationError().isEmpty());
        message.setSender(&from);
        message.setSubject("S");
        message.addRecipient(&to, MimeMessage::To);
        message.setContent(message.content());
        message.addPart(&html);
        const QString content = crlf({ "MIME-Version: 1.0", "Content-Type: multipart/related; boundary=B", "Content-Transfer-Encoding: 8bit",
            "", "--B", "Content-Type: text/html; charset=utf-8", "Content-Transfer-Encoding: 8bit", "", "<b>H</b>", "--B--", "" });
        QCOMPARE(withoutDateAndId(message.toMimeString()), crlf({ "From: N <f@example.com>", "To: <t@example.org>", "Subject: S" }) + content);

        message.addTo(&to2);
        message.addCc(&cc);
        message.addBcc(&bcc);
        message.addTo(nullptr);
        QCOMPARE(withoutDateAndId(message.toMimeString()),
            crlf({ "From: N <f@example.com>", "To: <t@example.org>, U <u@x.org>", "Cc: <c@x.org>", "Subject: S" }) + content);

        // The message's own container goes; a single part takes no others.
        message.setContent(&html);
        message.addPart(&html);
        QCOMPARE(message.parts(), QList<MimePart*> { &html });
        message.setContent(nullptr);
        message.addPart(&html);
        QVERIFY(message.parts().isEmpty());
        QCOMPARE(message.toMimeString(), QString());
    }

    void unusableAddressesAreRefused_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("CR LF") << "a@x.org\r\nRCPT TO:<b@y>";
        QTest::newRow("NUL") << QString::fromLatin1("a@x.org\0b", 9);
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
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        QCOMPARE(MimeHeader::date(QDateTime(QDate(2024, 3, 5), QTime(14, 3, 7), Qt::UTC)), "Tue, 05 Mar 2024 14:03:07 +0000");
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
        QTest::newRow("text and attachments")
            << "Selections for today" << "Tarnwickstone" << "" << plain
            << QList<Part> { made(new MimeText("Hello,\r\nthe files.\r\n.\r\nBye")),
                   made(new MimeAttachment(QByteArray("\0\r\n\r\xFF\n", 6).repeated(100), QStringLiteral("отчёт по ставкам.csv"))),
                   made(new MimeAttachment("a;b\r\n", "a \"quoted\" name.csv")) };
        QTest::newRow("Cyrillic subject and names, specials, a lookalike encoded word")
            << QStringLiteral("Ставки на сегодня: фавориты 😀 и аутсайдеры, ").repeated(6) + "=?utf-8?Q?x?="
            << "Smith, John (Betfair)" << QStringLiteral("Пётр, \"трейдер\" <boss>") << plain
            << QList<Part> { made(new MimeHtml(QStringLiteral("<p>Привет</p>"))) };
        QTest::newRow("Q header words") << QStringLiteral("a_b?=c: ünïcödé ").repeated(10) << "a b:c" << "x_y?=z, \"q\"" << qp
                                        << QList<Part> { made(new MimeText("x")) };
        QTest::newRow("injection in subject and names")
            << "Hi\r\nBcc: victim@example.com\r\n\r\nfake body" << "Eve\r\nX-Injected: 1" << "Bob\nCc: other@example.com" << plain
            << QList<Part> { made(new MimeText("x")) };
    }
    void refereeReadsWhatWasWritten()
    {
        QFETCH(QString, subject);
        QFETCH(QString, fromName);
        QFETCH(QString, toName);
        QFETCH(int, headerEncoding);
        QFETCH(QList<Part>, parts);
        EmailAddress from("sender@example.com", fromName), to("receiver@example.org", toName);
        MimeMessage message;
        message.setSender(&from);
        message.addTo(&to);
        message.setSubject(subject);
        message.setHeaderEncoding(MimePart::TransferEncoding(headerEncoding));
        QJsonArray tree { "multipart/related" }, leaves;
        for (const Part& part : parts) {
            message.addPart(part.data());
            tree.append(part->contentType());
        }

        const QJsonObject report = referee(message.toMimeString().toUtf8());
        QCOMPARE(report.value("problems").toVariant().toStringList().join('|'), QString());
        // Whatever the texts held, no header field of their own got in, and line breaks read as blanks.
        QCOMPARE(report.value("headerNames").toArray(), QJsonArray({ "From", "To", "Subject", "Date", "Message-ID", "MIME-Version",
                                                            "Content-Type", "Content-Transfer-Encoding" }));
        const auto flat = [](QString text) { return text.replace('\r', ' ').replace('\n', ' '); };
        QCOMPARE(report.value("subject").toString(), flat(subject));
        QCOMPARE(report.value("from").toArray(), QJsonArray({ QJsonArray({ flat(fromName), "sender@example.com" }) }));
        QCOMPARE(report.value("to").toArray(), QJsonArray({ QJsonArray({ flat(toName), "receiver@example.org" }) }));
        QCOMPARE(report.value("tree").toArray(), tree);
        for (const Part& part : parts) // file name and decoded payload of each, once built
            leaves.append(QJsonArray { part->contentName(), QString(part->content().toBase64()) });
        QCOMPARE(QJsonDocument(report.value("parts").toArray()).toJson(), QJsonDocument(leaves).toJson());
    }
};

QTEST_GUILESS_MAIN(tst_Mime)
#include "tst_mime.moc"
