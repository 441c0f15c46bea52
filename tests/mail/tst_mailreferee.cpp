#include "EmailAddress.h"
#include "MailReferee.h"
#include "MimeAttachment.h"
#include "MimeHtml.h"
#include "MimeMessage.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <QtTest>

#include <memory>

namespace {

// One body part of a test message: text, HTML or an attachment (with a name).
struct BodyPart
{
    BodyPart() = default;
    BodyPart(const QString &type, const QByteArray &content, MimePart::TransferEncoding encoding = MimePart::Encoding8Bit,
             const QString &fileName = QString())
        : type(type), content(content), encoding(encoding), fileName(fileName)
    {
    }

    QString type;
    QByteArray content;
    MimePart::TransferEncoding encoding = MimePart::Encoding8Bit;
    QString fileName;
};

QByteArray withCrLf(QByteArray bytes)
{
    return bytes.replace("\r\n", "\n").replace('\r', '\n').replace("\n", "\r\n");
}

std::unique_ptr<MimePart> makePart(const BodyPart &wanted)
{
    if (!wanted.fileName.isEmpty())
        return std::make_unique<MimeAttachment>(wanted.content, wanted.fileName);
    const QString text = QString::fromUtf8(wanted.content.constData(), wanted.content.size());
    std::unique_ptr<MimePart> part(wanted.type == "text/html" ? new MimeHtml(text) : new MimeText(text));
    part->setTransferEncoding(wanted.encoding);
    return part;
}

} // namespace

Q_DECLARE_METATYPE(QList<BodyPart>)

class tst_MailReferee : public QObject
{
    Q_OBJECT

private slots:
    void parsedAsSent_data();
    void parsedAsSent();
};

void tst_MailReferee::parsedAsSent_data()
{
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("fromName");
    QTest::addColumn<QString>("toName");
    QTest::addColumn<int>("headerEncoding");
    QTest::addColumn<QList<BodyPart>>("parts");
    QTest::addColumn<QStringList>("expected"); // subject, sender's name, recipient's name

    const int plain = MimePart::Encoding8Bit;
    const QList<BodyPart> oneLetter{{"text/plain", "x"}};
    const QString cyrillic = QStringLiteral("Ставки на сегодня: фавориты 😀 и аутсайдеры, ").repeated(6);
    const QString ivan = QStringLiteral("Иван Петров"), petr = QStringLiteral("Пётр, \"трейдер\"");
    const QByteArray table = QStringLiteral("<table>\r\n<tr><td>Фаворит</td><td>a=b</td></tr>\n").repeated(60).toUtf8();
    QByteArray everyByte;
    for (int i = 0; i < 2560; ++i)
        everyByte += char(i % 256);

    QTest::newRow("plain text") << "Selections for today" << "Tarnwickstone" << "" << plain
                                << QList<BodyPart>{{"text/plain", "Hello,\nthe market is open.\n.\nBye"}}
                                << QStringList{"Selections for today", "Tarnwickstone", ""};
    QTest::newRow("HTML quoted-printable")
        << "Prices" << "Sender" << "Receiver" << plain
        << QList<BodyPart>{{"text/html", table + "<p>" + QByteArray(300, 'x') + "</p>  ", MimePart::EncodingQuotedPrintable}}
        << QStringList{"Prices", "Sender", "Receiver"};
    QTest::newRow("multipart with attachments")
        << "Export" << "A" << "B" << plain
        << QList<BodyPart>{{"text/plain", "See the files.\n"},
                           {"application/octet-stream", everyByte, MimePart::EncodingBase64, QStringLiteral("отчёт по ставкам.csv")},
                           {"application/octet-stream", "a;b\r\n", MimePart::EncodingBase64, "a \"quoted\" name.csv"}}
        << QStringList{"Export", "A", "B"};
    QTest::newRow("Cyrillic subject and names")
        << cyrillic << ivan << petr << plain << QList<BodyPart>{{"text/html", QStringLiteral("<p>Привет</p>\n").toUtf8()}}
        << QStringList{cyrillic, ivan, petr};
    QTest::newRow("names with specials") << "Re: [bets] 50% off; (really)" << "Smith, John (Betfair)" << "O'Neil <boss>" << plain
                                         << oneLetter << QStringList{"Re: [bets] 50% off; (really)", "Smith, John (Betfair)", "O'Neil <boss>"};
    QTest::newRow("content unfit for 8bit")
        << QString(2000, 'w') << "A" << "B" << plain
        << QList<BodyPart>{{"text/html", "<p>" + QByteArray(5000, 'y') + "</p>\n" + QStringLiteral("ж").repeated(600).toUtf8()},
                           {"text/plain", QByteArray("nul\0inside", 10)}}
        << QStringList{QString(2000, 'w'), "A", "B"};
    QTest::newRow("Base64 header words") << QStringLiteral("Zoë's ").repeated(30) << QStringLiteral("Zoë") << "a_b?=c"
                                         << int(MimePart::EncodingBase64) << oneLetter
                                         << QStringList{QStringLiteral("Zoë's ").repeated(30), QStringLiteral("Zoë"), "a_b?=c"};
    QTest::newRow("Q header words") << QStringLiteral("a_b?=c: ünïcödé ").repeated(10) << "a b:c\nX: 1" << "x_y?=z, \"q\""
                                    << int(MimePart::EncodingQuotedPrintable) << oneLetter
                                    << QStringList{QStringLiteral("a_b?=c: ünïcödé ").repeated(10), "a b:c X: 1", "x_y?=z, \"q\""};
    QTest::newRow("injection in subject and names")
        << "Hi\r\nBcc: victim@example.com\r\n\r\nfake body" << "Eve\r\nX-Injected: 1" << "Bob\nCc: other@example.com" << plain << oneLetter
        << QStringList{"Hi  Bcc: victim@example.com    fake body", "Eve  X-Injected: 1", "Bob Cc: other@example.com"};
}

void tst_MailReferee::parsedAsSent()
{
    QFETCH(QString, subject);
    QFETCH(QString, fromName);
    QFETCH(QString, toName);
    QFETCH(int, headerEncoding);
    QFETCH(QList<BodyPart>, parts);
    QFETCH(QStringList, expected);

    EmailAddress from("sender@example.com", fromName);
    EmailAddress to("receiver@example.org", toName);
    MimeMessage message;
    message.setSender(&from);
    message.addTo(&to);
    message.setSubject(subject);
    message.setHeaderEncoding(MimePart::TransferEncoding(headerEncoding));
    std::vector<std::unique_ptr<MimePart>> made;
    for (const BodyPart &wanted : parts) {
        made.push_back(makePart(wanted));
        message.addPart(made.back().get());
    }

    const QJsonObject report = referee(message.toMimeString().toUtf8());
    QVERIFY2(!report.contains("error"), qPrintable(report.value("error").toString()));
    QCOMPARE(report.value("bareLineEnds").toInt(-1), 0);
    QVERIFY(report.value("longestLine").toInt() <= 998);
    QVERIFY(report.value("longestEncodedWord").toInt() <= 75);
    QVERIFY(report.value("headerIsAscii").toBool());
    QCOMPARE(report.value("defects").toArray(), QJsonArray());
    // Whatever the texts held, no header field of their own got in.
    QCOMPARE(report.value("headerNames").toArray(),
             QJsonArray({"From", "To", "Subject", "Date", "Message-ID", "MIME-Version", "Content-Type", "Content-Transfer-Encoding"}));

    QCOMPARE(report.value("subject").toString(), expected.at(0));
    QCOMPARE(report.value("compat32Subject").toString().remove(QRegularExpression("\r?\n(?=[ \t])")), expected.at(0));
    QCOMPARE(report.value("from").toArray(), QJsonArray{QJsonArray({expected.at(1), "sender@example.com"})});
    QCOMPARE(report.value("to").toArray(), QJsonArray{QJsonArray({expected.at(2), "receiver@example.org"})});
    const QDateTime date = QDateTime::fromString(report.value("date").toString(), Qt::ISODate);
    QVERIFY(qAbs(date.secsTo(QDateTime::currentDateTimeUtc())) < 3600);
    QVERIFY(QRegularExpression("^<[0-9a-f]{32}@example\\.com>$").match(report.value("messageId").toString()).hasMatch());

    QJsonArray tree{"multipart/related"};
    for (const BodyPart &wanted : parts)
        tree.append(wanted.type);
    QCOMPARE(report.value("tree").toArray(), tree);
    const QJsonArray leaves = report.value("parts").toArray();
    const QJsonArray oldPayloads = report.value("compat32Payloads").toArray();
    QCOMPARE(leaves.size(), parts.size());
    for (int i = 0; i < parts.size(); ++i) {
        const BodyPart &wanted = parts.at(i);
        const QJsonObject leaf = leaves.at(i).toObject();
        const QByteArray payload = QByteArray::fromBase64(leaf.value("payload").toString().toLatin1());
        QCOMPARE(QByteArray::fromBase64(oldPayloads.at(i).toString().toLatin1()), payload);
        if (!wanted.fileName.isEmpty()) {
            QCOMPARE(payload, wanted.content);
            QCOMPARE(leaf.value("filename").toString(), wanted.fileName);
            QCOMPARE(leaf.value("disposition").toString(), QString("attachment"));
        } else {
            // Line ends travel as CR LF; everything else arrives as written.
            QCOMPARE(withCrLf(payload), withCrLf(wanted.content));
            QCOMPARE(withCrLf(leaf.value("text").toString().toUtf8()), withCrLf(wanted.content));
        }
    }
}

QTEST_GUILESS_MAIN(tst_MailReferee)
#include "tst_mailreferee.moc"
