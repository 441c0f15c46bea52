#include "EmailAddress.h"
#include "MimeHeader.h"
#include "MimeHtml.h"
#include "MimeMessage.h"
#include "MimeMultiPart.h"

#include <QRegularExpression>
#include <QtTest>

namespace {

QString fixedBoundary()
{
    return QStringLiteral("B");
}

// The header block of a message, with its Date and Message-ID lines taken
// out once they have been found well-formed.
QString headerOf(MimeMessage &message)
{
    static const QRegularExpression date("Date: (Mon|Tue|Wed|Thu|Fri|Sat|Sun), \\d\\d (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
                                         "\\d{4} \\d\\d:\\d\\d:\\d\\d [+-]\\d{4}\r\n");
    static const QRegularExpression id("Message-ID: <[0-9a-f]{32}@[A-Za-z0-9.-]+>\r\n");
    const QString mime = message.toMimeString();
    QString header = mime.left(mime.indexOf("MIME-Version: 1.0\r\n"));
    if (!date.match(header).hasMatch() || !id.match(header).hasMatch())
        return "no Date or Message-ID in: " + header;
    return header.remove(date).remove(id);
}

} // namespace

class tst_MimeMessage : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void rendersTheWorkedExample();
    void recipientLines();
    void headerWords_data();
    void headerWords();
    void unusableAddressesAreRefused_data();
    void unusableAddressesAreRefused();
    void contentAndParts();
    void dateIsInEnglish_data();
    void dateIsInEnglish();
};

void tst_MimeMessage::cleanup()
{
    MimeMultiPart::setBoundarySource(nullptr);
    QLocale::setDefault(QLocale::c());
}

void tst_MimeMessage::rendersTheWorkedExample()
{
    MimeMultiPart::setBoundarySource(fixedBoundary);
    EmailAddress from("f@example.com", "N");
    EmailAddress to("t@example.org", QString());
    MimeHtml html;
    html.setHtml("<b>H</b>");
    MimeMessage message(true);
    message.setSender(&from);
    message.setSubject("S");
    message.addRecipient(&to, MimeMessage::To);
    message.addPart(&html);

    const QString expected = QStringList{"From: N <f@example.com>", "To: <t@example.org>", "Subject: S", "MIME-Version: 1.0",
                                         "Content-Type: multipart/related; boundary=B", "Content-Transfer-Encoding: 8bit", "", "--B",
                                         "Content-Type: text/html; charset=utf-8", "Content-Transfer-Encoding: 8bit", "", "<b>H</b>",
                                         "--B--", "", ""}
                                 .join("\r\n");
    for (int rendering = 0; rendering < 2; ++rendering) {
        const QString mime = message.toMimeString();
        const int headerEnd = mime.indexOf("MIME-Version");
        QCOMPARE(headerOf(message) + mime.mid(headerEnd), expected);
    }
}

void tst_MimeMessage::recipientLines()
{
    EmailAddress from("f@x.org");
    EmailAddress a1("a1@x.org", "N1"), a2("a2@x.org", "N2"), c("c@x.org"), hidden("hidden@x.org", "Hidden");
    MimeMessage message;
    message.setSender(&from);
    message.addTo(&a1);
    message.addRecipient(&a2, MimeMessage::To);
    message.addBcc(&hidden);
    QCOMPARE(headerOf(message), QString("From: <f@x.org>\r\nTo: N1 <a1@x.org>, N2 <a2@x.org>\r\nSubject: \r\n"));
    QVERIFY(!message.toMimeString().contains("hidden", Qt::CaseInsensitive));

    a1.setName(QString());
    a2.setName(QString());
    message.addRecipient(&c, MimeMessage::Cc);
    QCOMPARE(headerOf(message), QString("From: <f@x.org>\r\nTo: <a1@x.org>, <a2@x.org>\r\nCc: <c@x.org>\r\nSubject: \r\n"));
}

void tst_MimeMessage::headerWords_data()
{
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("subject");
    const int plain = MimePart::Encoding8Bit;
    QTest::newRow("atoms") << plain << "John Smith" << "John Smith" << "John Smith";
    QTest::newRow("specials quoted") << plain << "Smith, J. \"Jr\"" << "\"Smith, J. \\\"Jr\\\"\"" << "Smith, J. \"Jr\"";
    QTest::newRow("double blank quoted") << plain << "a  b" << "\"a  b\"" << "a  b";
    QTest::newRow("line breaks") << plain << "Eve\r\nBcc: v@x.org\rX" << "\"Eve  Bcc: v@x.org X\"" << "Eve  Bcc: v@x.org X";
    QTest::newRow("Cyrillic") << plain << QStringLiteral("Пётр") << "=?utf-8?B?0J/RkdGC0YA=?=" << "=?utf-8?B?0J/RkdGC0YA=?=";
    QTest::newRow("lookalike encoded word") << plain << "=?utf-8?Q?x?=" << "=?utf-8?B?PT91dGYtOD9RP3g/PQ==?=" << "=?utf-8?B?PT91dGYtOD9RP3g/PQ==?=";
    QTest::newRow("7bit as 8bit") << int(MimePart::Encoding7Bit) << QStringLiteral("ё") << "=?utf-8?B?0ZE=?=" << "=?utf-8?B?0ZE=?=";
    QTest::newRow("Base64") << int(MimePart::EncodingBase64) << QStringLiteral("Zoë") << "=?utf-8?B?Wm/Dqw==?=" << "=?utf-8?B?Wm/Dqw==?=";
    QTest::newRow("Q") << int(MimePart::EncodingQuotedPrintable) << "a b:c" << "=?utf-8?Q?a_b=3Ac?=" << "=?utf-8?Q?a_b=3Ac?=";
    QTest::newRow("Q, word breakers") << int(MimePart::EncodingQuotedPrintable) << "x_y?=\nz" << "=?utf-8?Q?x=5Fy=3F=3D_z?="
                                      << "=?utf-8?Q?x=5Fy=3F=3D_z?=";
}

void tst_MimeMessage::headerWords()
{
    QFETCH(int, encoding);
    QFETCH(QString, text);
    QFETCH(QString, name);
    QFETCH(QString, subject);
    EmailAddress from("f@x.org", text);
    MimeMessage message;
    message.setSender(&from);
    message.setSubject(text);
    message.setHeaderEncoding(MimePart::TransferEncoding(encoding));
    const QString header = headerOf(message);
    QCOMPARE(header.section("\r\nTo:", 0, 0), "From: " + name + " <f@x.org>");
    QCOMPARE(header.section("\r\nSubject: ", 1).chopped(2), subject);
}

void tst_MimeMessage::unusableAddressesAreRefused_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("error");
    const QString forbidden = "The e-mail address \"%1\" contains a line break, a blank, a control character or an angle bracket.";
    QTest::newRow("CR LF in sender") << "a@x.org\r\nRCPT TO:<b@y>" << -1 << forbidden.arg("a@x.org  RCPT TO:<b@y>");
    QTest::newRow("LF in To") << "a@x.org\nBcc: b@y" << int(MimeMessage::To) << forbidden.arg("a@x.org Bcc: b@y");
    QTest::newRow("NUL in Cc") << QString::fromLatin1("a@x.org\0b", 9) << int(MimeMessage::Cc) << forbidden.arg("a@x.org b");
    QTest::newRow("angle bracket in Bcc") << "a@x.org>, <b@y" << int(MimeMessage::Bcc) << forbidden.arg("a@x.org>, <b@y");
    QTest::newRow("no-break space") << QString("a\u00A0@x.org") << int(MimeMessage::To) << forbidden.arg(QString("a\u00A0@x.org"));
    QTest::newRow("empty") << QString() << int(MimeMessage::To) << "The e-mail address is empty.";
    QTest::newRow("too long") << QString(250, 'a') + "@x.org" << -1 << "The e-mail address \"" + QString(40, 'a') + "...\" is longer than 254 characters.";
}

void tst_MimeMessage::unusableAddressesAreRefused()
{
    QFETCH(QString, address);
    QFETCH(int, role);
    QFETCH(QString, error);
    EmailAddress good("good@x.org", "Good");
    EmailAddress bad(address, "Bad");
    MimeMessage message;
    message.setSender(role < 0 ? &bad : &good);
    message.addTo(&good);
    if (role >= 0)
        message.addRecipient(&bad, MimeMessage::RecipientType(role));
    QCOMPARE(message.validationError(), error);
    QCOMPARE(message.toMimeString(), QString());

    bad.setAddress("fixed@x.org");
    QCOMPARE(message.validationError(), QString());
    QCOMPARE(message.toMimeString().contains("<fixed@x.org>"), role != MimeMessage::Bcc);
}

void tst_MimeMessage::contentAndParts()
{
    EmailAddress from("f@x.org");
    MimeMessage message(true);
    QCOMPARE(message.validationError(), QString("The message has no sender."));
    message.setSender(&from);
    QPointer<MimePart> own = message.content();
    MimeHtml html("H");
    message.addPart(&html);
    QCOMPARE(message.parts(), QList<MimePart *>{&html});

    // Only a plain multipart takes parts through the message.
    class Special : public MimeMultiPart
    {
    } special;
    message.setContent(&special);
    QVERIFY(own.isNull());
    message.addPart(&html);
    QVERIFY(special.parts().isEmpty());
    message.setContent(&html);
    message.addPart(&html);
    QCOMPARE(message.parts(), QList<MimePart *>{&html});
    QVERIFY(message.toMimeString().endsWith("MIME-Version: 1.0\r\nContent-Type: text/html; charset=utf-8\r\nContent-Transfer-Encoding: 8bit\r\n\r\nH\r\n"));

    EmailAddress to("t@x.org");
    message.addRecipient(&to, MimeMessage::RecipientType(7));
    QVERIFY(message.recipients(MimeMessage::To).isEmpty());
    message.addTo(&to);
    QCOMPARE(message.recipients(MimeMessage::RecipientType(7)), QList<EmailAddress *>{&to});

    MimeMessage empty(false);
    empty.setSender(&from);
    QVERIFY(empty.parts().isEmpty());
    QCOMPARE(empty.validationError(), QString("The message has no content."));
    QCOMPARE(empty.toMimeString(), QString());
}

void tst_MimeMessage::dateIsInEnglish_data()
{
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<QString>("expected");
    QTest::newRow("UTC") << QDateTime(QDate(2024, 3, 5), QTime(14, 3, 7), Qt::UTC) << "Tue, 05 Mar 2024 14:03:07 +0000";
    QTest::newRow("east") << QDateTime(QDate(2023, 12, 31), QTime(23, 59, 59), Qt::OffsetFromUTC, 3 * 3600) << "Sun, 31 Dec 2023 23:59:59 +0300";
    QTest::newRow("west, half hour") << QDateTime(QDate(2025, 7, 19), QTime(0, 0), Qt::OffsetFromUTC, -(3 * 3600 + 1800))
                                     << "Sat, 19 Jul 2025 00:00:00 -0330";
}

void tst_MimeMessage::dateIsInEnglish()
{
    QFETCH(QDateTime, when);
    QFETCH(QString, expected);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QCOMPARE(MimeHeader::date(when), expected);
}

QTEST_GUILESS_MAIN(tst_MimeMessage)
#include "tst_mimemessage.moc"
