#include "QCatalog.h"
#include "QLog.h"
#include "QSportsCatalog.h"

#include "common/TestFiles.h"
#include "conditions/DataRows.h"

class tst_Catalog : public QObject
{
    Q_OBJECT

    QTemporaryDir folder;
    QLog log; // the program-wide log

    void write(const QString& name, const QByteArray& contents) { writeFile(folder.filePath(name + ".json"), contents); }

private slots:
    void initTestCase() { qRegisterMetaType<QLog::QLogType>(); }

    void cleanup()
    {
        for (const QString& name : QDir(folder.path()).entryList(QDir::Files))
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
