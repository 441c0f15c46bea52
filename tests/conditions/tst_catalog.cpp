#include "QCatalog.h"
#include "QLog.h"
#include "QSportsCatalog.h"

#include "conditions/DataRows.h"
#include "support/ProgramTranslation.h"

namespace {

// Items for the lookups: a duplicate code, one without a Russian name, a code that is not a string.
const QByteArray lookupCatalog = R"({"data": [{"code": "A", "en": "Alpha", "ru": "Альфа"}, {"code": "B", "en": "Beta"},
    {"code": "C", "en": "Gamma", "ru": "Гамма"}, {"code": "A", "en": "Alpha two", "ru": "Альфа два"}, {"code": 7, "en": "Number"}]})";

QStringList list(const QString& commaSeparated)
{
    return commaSeparated.isEmpty() ? QStringList() : commaSeparated.split(',');
}

} // namespace

class tst_Catalog : public QObject
{
    Q_OBJECT

    QTemporaryDir folder;
    QLog log; // the program-wide log
    QCatalog lookup;

    void write(const QString& name, const QByteArray& contents)
    {
        QFile file(folder.filePath(name + ".json"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size());
    }

private slots:
    void initTestCase()
    {
        qRegisterMetaType<QLog::QLogType>();
        QCatalog::Init(folder.path());
        write("lookup", lookupCatalog);
        lookup.Load("lookup", false);
    }

    void cleanup()
    {
        for (const QString& name : QDir(folder.path()).entryList({ "countries.json", "sports.json" }, QDir::Files))
            QVERIFY(QFile::remove(folder.filePath(name)));
    }

    // The countries file ("none": missing), the first code: a file that is no catalog gives the built-in one, with
    // a warning; a missing one is no fault.
    void loading_data()
    {
        textRows({ R"({"data": [{"code": "ZZ"}]} | ZZ)", "none | AD", "<html>502 Bad Gateway</html> | AD",
            R"([{"code": "ZZ"}] | AD)", R"({"data": {"code": "ZZ"}} | AD)", R"({"data": []} | AD)" });
    }
    void loading()
    {
        const QStringList row = fields(" | ");
        if (row.at(0) != "none")
            write("countries", row.at(0).toUtf8());
        QSignalSpy logged(&log, &QLog::Logged);
        QCatalog::Init(folder.path());
        QCOMPARE(QCatalog::countries->Data().first()["code"].toString(), row.at(1));
        const bool unusable = row.at(0) != "none" && row.at(1) == "AD";
        QCOMPARE(logged.count(), unusable ? 1 : 0);
        if (unusable)
            QVERIFY(logged.first().at(0).value<QLog::QLogType>() == QLog::QLogType::Warning
                && logged.first().at(1).toString().contains("countries.json"));
    }

    // Chosen, their codes, the others, their names: catalog order, duplicates kept, unknown codes dropped.
    void codesAndNames_data()
    {
        textRows({ "C,B | B,C | A,A, | Beta,Gamma", "Q,A | A,A | B,C, | Alpha,Alpha two", "- | - | A,B,C,A, | -" });
    }
    void codesAndNames()
    {
        const QStringList row = fields(" | ");
        QCOMPARE(lookup.Codes(list(row.at(0)), false), list(row.at(1)));
        QCOMPARE(lookup.Codes(list(row.at(0)), true), list(row.at(2)));
        QCOMPARE(lookup.Names(list(row.at(0))), row.at(3));
    }

    // Only a boolean true marks a team sport. Init again keeps the catalogs and forgets the flags of the last file.
    void teamSports()
    {
        QCatalog::Init(folder.path());
        QSportsCatalog* const sports = QCatalog::sports;
        QCatalog* const countries = QCatalog::countries;
        write("sports", R"({"data": [{"code": "1", "team": true}, {"code": "2", "team": 1}, {"code": "3", "team": "true"},
            {"code": "4", "team": false}, {"code": "x9", "team": true}]})");
        QCatalog::Init(folder.path());
        QVERIFY(QCatalog::sports == sports && QCatalog::countries == countries);
        QStringList teams;
        for (const int id : { 0, 1, 2, 3, 4, 9 })
            if (sports->IsTeamSport(id))
                teams << QString::number(id);
        QCOMPARE(teams.join(' '), "0 1");
        cleanup();
        QCatalog::Init(folder.path());
        QVERIFY(!sports->IsTeamSport(0) && sports->IsTeamSport(1) && !sports->IsTeamSport(7)); // soccer, horse racing
    }
};

QTEST_MAIN(tst_Catalog)
#include "tst_catalog.moc"
