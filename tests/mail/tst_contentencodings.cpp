#include "MimeContentFormatter.h"
#include "QuotedPrintable.h"

#include <QtTest>

class tst_ContentEncodings : public QObject
{
    Q_OBJECT

private slots:
    void encode_data();
    void encode();
    void decode_data();
    void decode();
    void everyByteSurvives();
    void fold_data();
    void fold();
};

void tst_ContentEncodings::encode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("word");
    QTest::newRow("equals sign") << QByteArray("a=b") << "a=3Db" << "a=3Db";
    QTest::newRow("CR LF") << QByteArray("\r\n") << "=0D=0A" << "=0D=0A";
    QTest::newRow("tab, e acute, delete") << QByteArray("\t\xE9\x7F") << "=09=E9=7F" << "=09=E9=7F";
    QTest::newRow("blank and tilde") << QByteArray(" ~") << " ~" << "_=7E";
    QTest::newRow("empty") << QByteArray() << "" << "";
    QTest::newRow("NUL") << QByteArray(1, '\0') << "=00" << "=00";
    QTest::newRow("name with colon") << QByteArray("a b:c") << "a b:c" << "a_b=3Ac";
    QTest::newRow("safe in a word") << QByteArray("Az09!*+-/") << "Az09!*+-/" << "Az09!*+-/";
    // In a word these would end it, read as a blank, or break the phrase.
    QTest::newRow("unsafe in a word") << QByteArray("?_\",.@") << "?_\",.@" << "=3F=5F=22=2C=2E=40";
}

void tst_ContentEncodings::encode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, body);
    QFETCH(QString, word);
    QCOMPARE(QuotedPrintable::encode(bytes), body);
    QCOMPARE(QuotedPrintable::encodeWord(bytes), word);
}

void tst_ContentEncodings::decode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("escaped equals") << "=3D" << QByteArray("=");
    QTest::newRow("escape between letters") << "A=42C" << QByteArray("ABC");
    QTest::newRow("beyond Latin-1") << QStringLiteral("Ж") << QByteArray(1, '\0');
    QTest::newRow("digits between 9 and A") << "=@1" << QByteArray("\x01");
    QTest::newRow("lower-case digits") << "=e9" << QByteArray("\xE9");
    QTest::newRow("soft line break") << "ab=\r\ncd" << QByteArray("abcd");
    QTest::newRow("malformed escapes kept") << "=G1 ab=" << QByteArray("=G1 ab=");
}

void tst_ContentEncodings::decode()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, expected);
    QCOMPARE(QuotedPrintable::decode(text), expected);
}

void tst_ContentEncodings::everyByteSurvives()
{
    QByteArray every;
    for (int byte = 0; byte < 256; ++byte)
        every += char(byte);
    const QString encoded = QuotedPrintable::encode(every);
    QCOMPARE(encoded.size(), 256 + 2 * (256 - 94));
    QCOMPARE(QuotedPrintable::decode(MimeContentFormatter(76).fold(encoded, true)), every);
}

void tst_ContentEncodings::fold_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("quotedPrintable");
    QTest::addColumn<QString>("expected");
    const QString x76(76, 'x');
    QTest::newRow("base64, 76 unchanged") << x76 << false << x76;
    QTest::newRow("base64, 77") << x76 + "y" << false << x76 + "\r\ny";
    QTest::newRow("base64, 152") << x76 + x76 << false << x76 + "\r\n" + x76;
    QTest::newRow("base64, empty") << QString() << false << QString();
    QTest::newRow("qp, 75 unchanged") << QString(75, 'a') << true << QString(75, 'a');
    QTest::newRow("qp, 80") << QString(80, 'a') << true << QString(75, 'a') + "=\r\n" + QString(5, 'a');
    QTest::newRow("qp, equals 74th") << QString(73, 'a') + "=3Dbb" << true << QString(73, 'a') + "=\r\n=3Dbb";
    QTest::newRow("qp, equals 73rd") << QString(72, 'a') + "=3Dbb" << true << QString(72, 'a') + "=3D=\r\nbb";
    QTest::newRow("qp, count restarts after LF") << QString(70, 'a') + "\n" + QString(70, 'b') << true
                                                 << QString(70, 'a') + "\n" + QString(70, 'b');
}

void tst_ContentEncodings::fold()
{
    QFETCH(QString, text);
    QFETCH(bool, quotedPrintable);
    QFETCH(QString, expected);
    QCOMPARE(MimeContentFormatter(76).fold(text, quotedPrintable), expected);
}

QTEST_GUILESS_MAIN(tst_ContentEncodings)
#include "tst_contentencodings.moc"
