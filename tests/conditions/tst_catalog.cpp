#include "QCatalog.h"
#include "QLog.h"
#include "QSportsCatalog.h"

#include "conditions/InterfaceLanguage.h"

#include <QJsonObject>
#include <QRegularExpression>
#include <QtTest>

namespace {

// A catalog for the lookups: a duplicate code, an item without a Russian
// name, and a code that is not a string.
const QByteArray lookupCatalog = R"({"data": [
    {"code": "A", "en": "Alpha", "ru": "Альфа"},
    {"code": "B", "en": "Beta"},
    {"code": "C", "en": "Gamma", "ru": "Гамма"},
    {"code": "A", "en": "Alpha two", "ru": "Альфа два"},
    {"code": 7, "en": "Number", "ru": "Число"}
]})";

} // namespace

class tst_Catalog : public QObject
{
    Q_OBJECT

    QTemporaryDir folder;
    QLog* log = nullptr;

    void writeCatalogFile(const QString& name, const QByteArray& contents)
    {
        QFile file(folder.filePath(name + QStringLiteral(".json")));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(contents), contents.size());
    }

    void removeCatalogFiles()
    {
        for (const QString& name : QDir(folder.path()).entryList(QDir::Files))
            QVERIFY(QFile::remove(folder.filePath(name)));
    }

    void loadLookup(QCatalog& catalog)
    {
        QCatalog::Init(folder.path());
        writeCatalogFile(QStringLiteral("lookup"), lookupCatalog);
        catalog.Load(QStringLiteral("lookup"), false);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(folder.isValid());
        qRegisterMetaType<QLog::QLogType>();
        log = new QLog; // the program-wide log
    }

    void cleanupTestCase() { delete log; }

    void cleanup() { removeCatalogFiles(); }

    void loading_data()
    {
        QTest::addColumn<QByteArray>("contents"); // null: no file
        QTest::addColumn<QString>("firstCode");
        QTest::addColumn<bool>("warned");
        const QString fromFile = QStringLiteral("ZZ");
        const QString builtIn = QStringLiteral("AD");
        const QByteArray ours = R"({"data": [{"code": "ZZ", "en": "Zedland", "ru": "Зедландия"}]})";
        // clang-format off
        QTest::newRow("file") << ours << fromFile << false;
        QTest::newRow("other root keys are ignored") << QByteArray(R"({"version": 3, "data": [{"code": "ZZ"}]})") << fromFile << false;
        QTest::newRow("no file: built in") << QByteArray() << builtIn << false;
        QTest::newRow("not JSON") << QByteArray("<html>502 Bad Gateway</html>") << builtIn << true;
        QTest::newRow("cut short") << ours.left(30) << builtIn << true;
        QTest::newRow("empty file") << QByteArray("") << builtIn << true;
        QTest::newRow("root is an array") << QByteArray(R"([{"code": "ZZ"}])") << builtIn << true;
        QTest::newRow("no data key") << QByteArray(R"({"items": [{"code": "ZZ"}]})") << builtIn << true;
        QTest::newRow("data is an object") << QByteArray(R"({"data": {"code": "ZZ"}})") << builtIn << true;
        QTest::newRow("data is empty") << QByteArray(R"({"data": []})") << builtIn << true;
        // clang-format on
    }

    void loading()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, firstCode);
        QFETCH(bool, warned);
        if (!contents.isNull())
            writeCatalogFile(QStringLiteral("countries"), contents);
        QSignalSpy logged(log, &QLog::Logged);
        QCatalog::Init(folder.path());

        const QCatalog* countries = QCatalog::countries;
        QVERIFY(countries);
        QCOMPARE(countries->CatalogName(), QStringLiteral("countries"));
        QVERIFY(countries->IsSorted());
        QVERIFY(!countries->Data().isEmpty());
        QCOMPARE(countries->Data().first().toObject().value("code").toString(), firstCode);

        QCOMPARE(logged.count(), warned ? 1 : 0);
        if (warned) {
            QCOMPARE(logged.first().at(0).value<QLog::QLogType>(), QLog::QLogType::Warning);
            QVERIFY(logged.first().at(1).toString().contains(QStringLiteral("countries.json")));
        }
    }

    void initKeepsTheSingletons()
    {
        QCatalog::Init(folder.path());
        QCatalog* const countries = QCatalog::countries;
        QSportsCatalog* const sports = QCatalog::sports;
        QCatalog* const sexTypes = QCatalog::sexTypes;
        writeCatalogFile(
            QStringLiteral("sports"), R"({"data": [{"code": "99", "en": "Quidditch", "team": true}]})");
        QCatalog::Init(folder.path());
        QCOMPARE(QCatalog::countries, countries);
        QCOMPARE(QCatalog::sports, sports);
        QCOMPARE(QCatalog::sexTypes, sexTypes);
        // ...but the file catalogs are read again.
        QCOMPARE(sports->Name(QStringLiteral("99"), false), QStringLiteral("Quidditch"));
        QVERIFY(sports->IsTeamSport(99));
        QVERIFY(!QCatalog::marketTypes->IsSorted());
        QCOMPARE(QCatalog::sexTypes->CatalogName(), QString());
        QCOMPARE(QCatalog::sexTypes->Codes({}, true), (QStringList { "g", "f", "c" }));
    }

    // The default files are ours: every entry must be usable in both languages.
    void builtInCatalogs_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("codePattern");
        QTest::addColumn<QString>("knownCode");
        QTest::addColumn<QString>("knownName");
        QTest::newRow("countries") << "countries"
                                   << "^[A-Z]{2}$"
                                   << "IE"
                                   << "Ireland";
        QTest::newRow("sports") << "sports"
                                << "^[1-9][0-9]*$"
                                << "7"
                                << "Horse Racing";
        QTest::newRow("market types") << "marketTypes"
                                      << "^[A-Z][A-Z0-9_]*$"
                                      << "OVER_UNDER_25"
                                      << "Over/Under 2.5 Goals";
    }

    void builtInCatalogs()
    {
        QFETCH(QString, name);
        QFETCH(QString, codePattern);
        QFETCH(QString, knownCode);
        QFETCH(QString, knownName);
        QCatalog::Init(folder.path());
        QCatalog catalog;
        catalog.Load(name, false);
        const QRegularExpression codeForm(codePattern);
        QSet<QString> codes;
        for (const QJsonValue item : catalog.Data()) {
            const QJsonObject entry = item.toObject();
            const QString code = entry.value("code").toString();
            QVERIFY2(codeForm.match(code).hasMatch(), qPrintable(code));
            QVERIFY2(!codes.contains(code), qPrintable(code));
            codes.insert(code);
            QVERIFY2(!entry.value("en").toString().trimmed().isEmpty(), qPrintable(code));
            QVERIFY2(!entry.value("ru").toString().trimmed().isEmpty(), qPrintable(code));
        }
        QCOMPARE(catalog.Name(knownCode, false), knownName);
    }

    void name_data()
    {
        QTest::addColumn<bool>("builtIn"); // the horse sexes, else the lookup catalog
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("translated");
        QTest::addColumn<QString>("name");
        // clang-format off
        QTest::newRow("English") << false << "" << "C" << false << "Gamma";
        QTest::newRow("English UI, translated") << false << "en_GB" << "C" << true << "Gamma";
        QTest::newRow("Russian UI, translated") << false << "ru_RU" << "C" << true << "Гамма";
        QTest::newRow("Russian UI, untranslated") << false << "ru_RU" << "C" << false << "Gamma";
        QTest::newRow("no Russian name") << false << "ru_RU" << "B" << true << "";
        QTest::newRow("first of two") << false << "ru_RU" << "A" << true << "Альфа";
        QTest::newRow("unknown code") << false << "ru_RU" << "Q" << true << "Q";
        QTest::newRow("case matters") << false << "" << "c" << false << "c";
        QTest::newRow("non-string code reads as empty") << false << "" << "" << false << "Number";
        QTest::newRow("sex, English UI") << true << "en_GB" << "c" << true << "Colt";
        QTest::newRow("sex, Russian UI") << true << "ru_RU" << "c" << true << "Жеребец";
        QTest::newRow("sex, Russian UI, untranslated") << true << "ru_RU" << "c" << false << "Colt";
        QTest::newRow("sex, filly") << true << "ru_RU" << "f" << true << "Молодая кобыла";
        QTest::newRow("unknown sex") << true << "ru_RU" << "m" << true << "m";
        // clang-format on
    }

    void name()
    {
        QFETCH(bool, builtIn);
        QFETCH(QString, language);
        QFETCH(QString, code);
        QFETCH(bool, translated);
        QFETCH(QString, name);
        QCatalog lookup;
        loadLookup(lookup);
        const InterfaceLanguage ui(language);
        QVERIFY(ui.IsLoadedOrNone());
        QCOMPARE((builtIn ? QCatalog::sexTypes : &lookup)->Name(code, translated), name);
    }

    void names_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<QString>("names");
        // clang-format off
        QTest::newRow("catalog order, no space") << "" << QStringList{"C", "B"} << "Beta,Gamma";
        QTest::newRow("duplicates both named") << "" << QStringList{"A"} << "Alpha,Alpha two";
        QTest::newRow("unknown dropped") << "" << QStringList{"Q", "C"} << "Gamma";
        QTest::newRow("only unknown") << "" << QStringList{"Q"} << "";
        QTest::newRow("none") << "" << QStringList{} << "";
        QTest::newRow("Russian") << "ru_RU" << QStringList{"C", "A"} << "Альфа,Гамма,Альфа два";
        // clang-format on
    }

    void names()
    {
        QFETCH(QString, language);
        QFETCH(QStringList, codes);
        QFETCH(QString, names);
        QCatalog catalog;
        loadLookup(catalog);
        const InterfaceLanguage ui(language);
        QCOMPARE(catalog.Names(codes), names);
    }

    void codes_data()
    {
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<bool>("exclude");
        QTest::addColumn<QStringList>("codes");
        // clang-format off
        QTest::newRow("catalog order") << QStringList{"C", "B"} << false << QStringList{"B", "C"};
        QTest::newRow("complement") << QStringList{"C", "B"} << true << QStringList{"A", "A", ""};
        QTest::newRow("duplicates") << QStringList{"A"} << false << QStringList{"A", "A"};
        QTest::newRow("unknown in neither") << QStringList{"Q", "B"} << false << QStringList{"B"};
        QTest::newRow("unknown, complement") << QStringList{"Q"} << true << QStringList{"A", "B", "C", "A", ""};
        QTest::newRow("case matters") << QStringList{"b"} << false << QStringList{};
        // clang-format on
    }

    void codes()
    {
        QFETCH(QStringList, chosen);
        QFETCH(bool, exclude);
        QFETCH(QStringList, codes);
        QCatalog catalog;
        loadLookup(catalog);
        QCOMPARE(catalog.Codes(chosen, exclude), codes);
    }

    void teamSports_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<bool>("team");
        QTest::newRow("boolean true") << 1 << true;
        QTest::newRow("number 1") << 2 << false;
        QTest::newRow("text true") << 3 << false;
        QTest::newRow("no flag") << 4 << false;
        QTest::newRow("boolean false") << 5 << false;
        QTest::newRow("code not a number counts as 0") << 0 << true;
        QTest::newRow("not in the catalog") << 6 << false;
    }

    void teamSports()
    {
        QFETCH(int, id);
        QFETCH(bool, team);
        writeCatalogFile(QStringLiteral("sports"), R"({"data": [
            {"code": "1", "team": true}, {"code": "2", "team": 1}, {"code": "3", "team": "true"},
            {"code": "4"}, {"code": "5", "team": false}, {"code": "x9", "team": true}]})");
        QCatalog::Init(folder.path());
        QCOMPARE(QCatalog::sports->IsTeamSport(id), team);
    }

    void teamSportsOfTheBuiltInCatalog()
    {
        writeCatalogFile(QStringLiteral("sports"), R"({"data": [{"code": "x", "team": true}]})");
        QCatalog::Init(folder.path());
        removeCatalogFiles();
        QCatalog::Init(folder.path()); // forgets the sports of the earlier load
        QVERIFY(!QCatalog::sports->IsTeamSport(0));
        QVERIFY(QCatalog::sports->IsTeamSport(1)); // soccer
        QVERIFY(!QCatalog::sports->IsTeamSport(7)); // horse racing
    }
};

QTEST_MAIN(tst_Catalog)
#include "tst_catalog.moc"
