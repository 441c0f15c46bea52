#include "TemplateFile.h"

#include "conditions/InterfaceLanguage.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonValue>
#include <QtTest>

namespace {

const QString folder = QStringLiteral("/data/configtemplates");

} // namespace

class tst_TemplateFile : public QObject
{
    Q_OBJECT

private slots:
    // Typed names: whatever the user types, the file lies in the templates
    // folder, is not hidden and carries the extension, so the list shows it.
    void typedNames_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("file");
        // clang-format off
        QTest::newRow("plain") << "Football" << "Football.twt";
        QTest::newRow("forbidden characters") << "a<b>c:d|e?f*g\"h" << "a_b_c_d_e_f_g_h.twt";
        QTest::newRow("separators") << "a/b\\c" << "a_b_c.twt";
        QTest::newRow("control characters") << QString("a\nb\rc") + QChar(0) + "d\te" << "a_b_c_d_e.twt";
        QTest::newRow("climbing out") << "../../etc/passwd" << "_.._etc_passwd.twt";
        QTest::newRow("drive letter") << "C:\\Temp\\x" << "C_Temp_x.twt";
        QTest::newRow("hidden") << ".hidden" << "hidden.twt";
        QTest::newRow("two leading dots") << "..hidden" << "hidden.twt";
        QTest::newRow("double underscore") << "a__b" << "a_b.twt";
        QTest::newRow("three underscores") << "a___b" << "a__b.twt";
        QTest::newRow("empty") << "" << "blank.twt";
        QTest::newRow("lone dot") << "." << "blank.twt";
        QTest::newRow("ends with the letters") << "Newtwt" << "Newtwt.twt";
        QTest::newRow("the letters alone") << "twt" << "twt.twt";
        QTest::newRow("extension typed") << "My.twt" << "My.twt";
        QTest::newRow("extension in capitals") << "My.TWT" << "My.twt";
        QTest::newRow("extension alone") << ".twt" << "twt.twt";
        QTest::newRow("extension twice") << "x.twt.twt" << "x.twt.twt";
        QTest::newRow("other dots kept") << "v1.2 final" << "v1.2 final.twt";
        QTest::newRow("Cyrillic") << "Футбол" << "Футбол.twt";
        // clang-format on
    }

    void typedNames()
    {
        QFETCH(QString, typed);
        QFETCH(QString, file);
        const QString path = TemplateFile::FileName(folder, typed, true);
        QCOMPARE(path, folder + "/" + file);
        const QFileInfo info(path);
        QCOMPARE(info.absolutePath(), folder);
        QVERIFY(!info.fileName().startsWith('.'));
        QCOMPARE(info.suffix(), QStringLiteral("twt"));
        QCOMPARE(TemplateFile::PathOf(folder, info.completeBaseName()), path);
    }

    void unsanitisedNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::newRow("listed name") << "a__b" << folder + "/a__b.twt";
        QTest::newRow("full path") << "/elsewhere/x.twt" << "/elsewhere/x.twt";
        QTest::newRow("two slashes inside is no path") << "a//b" << folder + "/a//b.twt";
    }

    void unsanitisedNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, path);
        QCOMPARE(TemplateFile::FileName(folder, name, false), path);
    }

    void displayNames_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("names");
        QTest::addColumn<QString>("expected");
        const QString both = R"({"eng": "Football", "rus": "Футбол"})";
        // clang-format off
        QTest::newRow("English") << "en_GB" << both << "Football";
        QTest::newRow("Russian") << "ru_RU" << both << "Футбол";
        QTest::newRow("Russian, English only") << "ru_RU" << R"({"eng": "Football"})" << "Football";
        QTest::newRow("another language only") << "en_GB" << R"({"deu": "Fußball"})" << "fallback";
        QTest::newRow("no names") << "en_GB" << "{}" << "fallback";
        QTest::newRow("name that is no text") << "ru_RU" << R"({"rus": 5, "eng": "Football"})" << "Football";
        QTest::newRow("empty names") << "en_GB" << R"({"eng": ""})" << "fallback";
        // clang-format on
    }

    void displayNames()
    {
        QFETCH(QString, language);
        QFETCH(QString, names);
        QFETCH(QString, expected);
        const InterfaceLanguage installed(language);
        QVERIFY(installed.IsLoadedOrNone());
        const QJsonObject object = QJsonDocument::fromJson(names.toUtf8()).object();
        QCOMPARE(TemplateFile::LocalizedName(object, "fallback"), expected);
    }

    void parse_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("parses");
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("englishName");
        // clang-format off
        QTest::newRow("empty file") << QByteArray() << true << 0 << false << "";
        QTest::newRow("blank file") << QByteArray(" \n\t\r\n") << true << 0 << false << "";
        QTest::newRow("no rows") << QByteArray(R"({"conditions": []})") << true << 0 << false << "";
        QTest::newRow("two rows") << QByteArray(R"({"conditions": [{"A": "Event"}, {}]})") << true << 2 << false << "";
        QTest::newRow("preset") << QByteArray(R"({"readOnly": true, "name": {"eng": "Preset"}, "conditions": [{}]})")
            << true << 1 << true << "Preset";
        QTest::newRow("read-only as text") << QByteArray(R"({"readOnly": "yes"})") << true << 0 << false << "";
        QTest::newRow("rows that are no array") << QByteArray(R"({"conditions": {"A": "Event"}})") << true << 0 << false << "";
        QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF{\"conditions\": [{}]}") << true << 1 << false << "";
        QTest::newRow("not JSON") << QByteArray("conditions: none") << false << 0 << false << "";
        QTest::newRow("cut short") << QByteArray("{\"conditions\": [{\"A\": \"Ev") << false << 0 << false << "";
        QTest::newRow("an array") << QByteArray(R"([{"A": "Event"}])") << false << 0 << false << "";
        QTest::newRow("a number") << QByteArray("42") << false << 0 << false << "";
        // clang-format on
    }

    void parse()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, parses);
        QFETCH(int, rows);
        QFETCH(bool, readOnly);
        QFETCH(QString, englishName);
        TemplateFile::Content content;
        content.readOnly = true; // left over from an earlier file
        QString error;
        QCOMPARE(TemplateFile::Parse(bytes, content, error), parses);
        QCOMPARE(error.isEmpty(), parses);
        QCOMPARE(content.conditions.size(), rows);
        QCOMPARE(content.readOnly, readOnly);
        QCOMPARE(content.names.value("eng").toString(), englishName);
    }

    // A value as typed, through the file's JSON text and back into its edit.
    void valuesComeBackAsTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("shown");
        // clang-format off
        QTest::newRow("a million") << "1000000" << QByteArray("1000000") << "1000000";
        QTest::newRow("open end") << "1000000000000000" << QByteArray("1000000000000000") << "1000000000000000";
        QTest::newRow("price") << "1.13" << QByteArray("1.13") << "1.13";
        QTest::newRow("tenth") << "0.1" << QByteArray("0.1") << "0.1";
        QTest::newRow("small") << "0.00025" << QByteArray("0.00025") << "0.00025";
        QTest::newRow("negative") << "-2" << QByteArray("-2") << "-2";
        QTest::newRow("exponent") << "1e3" << QByteArray("1000") << "1000";
        QTest::newRow("empty stays empty") << "" << QByteArray(R"("")") << "";
        QTest::newRow("text stays text") << "abc" << QByteArray(R"("abc")") << "abc";
        QTest::newRow("decimal comma stays text") << "1,5" << QByteArray(R"("1,5")") << "1,5";
        // clang-format on
    }

    void valuesComeBackAsTyped()
    {
        QFETCH(QString, typed);
        QFETCH(QByteArray, stored);
        QFETCH(QString, shown);
        const QJsonObject record { { "V1", TemplateFile::NumberValue(typed) } };
        const QByteArray text = QJsonDocument(record).toJson(QJsonDocument::Compact);
        QCOMPARE(text, "{\"V1\":" + stored + "}");
        const QJsonValue read = QJsonDocument::fromJson(text).object().value("V1");
        QCOMPARE(TemplateFile::ValueText(read), shown);
    }

    void valueTexts_data()
    {
        QTest::addColumn<QString>("json");
        QTest::addColumn<QString>("shown");
        QTest::newRow("whole") << "3" << "3";
        QTest::newRow("fraction") << "1.5" << "1.5";
        QTest::newRow("text") << R"("1000")" << "1000";
        QTest::newRow("true") << "true" << "true";
        QTest::newRow("false") << "false" << "false";
        QTest::newRow("null") << "null" << "";
        QTest::newRow("array") << "[1]" << "";
    }

    void valueTexts()
    {
        QFETCH(QString, json);
        QFETCH(QString, shown);
        const QJsonObject record = QJsonDocument::fromJson(("{\"V\": " + json + "}").toUtf8()).object();
        QCOMPARE(TemplateFile::ValueText(record.value("V")), shown);
        QCOMPARE(TemplateFile::ValueText(record.value("missing")), QString());
    }
};

QTEST_GUILESS_MAIN(tst_TemplateFile)
#include "tst_templatefile.moc"
