#include "QLog.h"
#include "TemplateArchive.h"

#include "common/TestFiles.h"
#include "conditions/LogRecords.h"
#include "conditions/ZipBuilder.h"

#include <QDir>
#include <QDirIterator>
#include <QtTest>

namespace {

const QByteArray Predefined = R"({"readOnly": true, "name": {"eng": "Favourites"}, "conditions": []})";
const QByteArray Users = R"({"conditions": [{"A": "Market"}]})";
const QString Updated = QStringLiteral("Predefined templates were updated.");
const QString NoTemplate = QStringLiteral("The templates archive holds no template; nothing was installed.");
const QString NotAZip = QStringLiteral("The templates archive is not a zip file or is empty.");

// Every file and link below folder, relative to it, sorted.
QStringList treeOf(const QString& folder)
{
    QStringList found;
    QDirIterator it(folder, QDir::Files | QDir::System | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        found.append(QDir(folder).relativeFilePath(it.next()));
    found.sort();
    return found;
}

} // namespace

class tst_TemplateArchive : public QObject
{
    Q_OBJECT

    QTemporaryDir top;
    QLog* log = nullptr;
    // Per case: "<case>/templates" receives, "<case>/outside" must stay empty.
    QString base;
    QString folder;
    QString outside;

    // The text with "@OUT@" standing for the outside folder.
    QString placed(const QString& text) const { return QString(text).replace(QLatin1String("@OUT@"), outside); }

private slots:
    void initTestCase()
    {
        QVERIFY(top.isValid());
        qRegisterMetaType<QLog::QLogType>();
        log = new QLog;
    }

    void cleanupTestCase() { delete log; }

    void init()
    {
        static int serial = 0;
        base = top.filePath(QStringLiteral("case%1").arg(++serial));
        folder = base + QStringLiteral("/templates");
        outside = base + QStringLiteral("/outside");
        QVERIFY(QDir().mkpath(folder) && QDir().mkpath(outside));
    }

    void cleanup()
    {
        // Nothing ever lands beside the templates folder.
        QCOMPARE(treeOf(outside), QStringList());
        QCOMPARE(QDir(base).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            (QStringList { "outside", "templates" }));
    }

    void entries_data()
    {
        QTest::addColumn<ZipEntries>("entries");
        QTest::addColumn<QStringList>("installed"); // each with its archive content
        QTest::addColumn<int>("skipped");
        QTest::addColumn<QString>("outcome");

        const ZipEntry good = ZipEntry::file("a.twt", Predefined);
        // clang-format off
        QTest::newRow("templates, one in a subfolder")
            << ZipEntries { good, ZipEntry::folder("sub"), ZipEntry::file("sub/b.twt", Predefined) }
            << QStringList { "a.twt", "sub/b.twt" } << 0 << Updated;
        QTest::newRow("parent folder") << ZipEntries { good, ZipEntry::file("../up.twt", Predefined) }
                                       << QStringList { "a.twt" } << 1 << Updated;
        QTest::newRow("parent folder inside the path") << ZipEntries { good, ZipEntry::file("sub/../../up.twt", Predefined) }
                                                      << QStringList { "a.twt" } << 1 << Updated;
        QTest::newRow("absolute path") << ZipEntries { good, ZipEntry::file("@OUT@/abs.twt", Predefined) }
                                       << QStringList { "a.twt" } << 1 << Updated;
        QTest::newRow("backslashes") << ZipEntries { good, ZipEntry::file("..\\..\\up.twt", Predefined) }
                                     << QStringList { "a.twt" } << 1 << Updated;
        QTest::newRow("drive letter") << ZipEntries { good, ZipEntry::file("c:up.twt", Predefined) }
                                      << QStringList { "a.twt" } << 1 << Updated;
        QTest::newRow("link to a file outside") << ZipEntries { ZipEntry::link("link.twt", "@OUT@/x.twt"), good }
                                                << QStringList { "a.twt" } << 1 << Updated;
        // Were the link made, the file would be written through it.
        QTest::newRow("link to a folder outside, then a file in it")
            << ZipEntries { ZipEntry::link("evil", "@OUT@"), ZipEntry::file("evil/x.twt", Predefined) }
            << QStringList { "evil/x.twt" } << 1 << Updated;
        QTest::newRow("other files") << ZipEntries { good, ZipEntry::file("readme.txt", Predefined), ZipEntry::file("b.TWT", Predefined) }
                                     << QStringList { "a.twt" } << 2 << Updated;
        QTest::newRow("not a template") << ZipEntries { good, ZipEntry::file("page.twt", "<html>404</html>"), ZipEntry::file("empty.twt", "") }
                                        << QStringList { "a.twt" } << 2 << Updated;
        QTest::newRow("oversized") << ZipEntries { good, ZipEntry::file("big.twt", "{\"x\": \"" + QByteArray(TemplateArchive::MaxTemplateSize, 'x') + "\"}") }
                                   << QStringList { "a.twt" } << 1 << Updated;
        QTest::newRow("no template at all") << ZipEntries { ZipEntry::file("readme.txt", "hello"), ZipEntry::file("../up.twt", Predefined) }
                                            << QStringList() << 2 << NoTemplate;
        // clang-format on
    }

    void entries()
    {
        QFETCH(ZipEntries, entries);
        QFETCH(QStringList, installed);
        QFETCH(int, skipped);
        QFETCH(QString, outcome);
        for (ZipEntry& entry : entries) {
            entry.path = placed(entry.path);
            if (entry.kind == ZipEntry::Kind::Link)
                entry.data = placed(QString::fromUtf8(entry.data)).toUtf8();
        }

        LogRecords records(log);
        const TemplateArchive::Result result = TemplateArchive::Install(makeZip(entries), folder);
        QCOMPARE(treeOf(folder), installed);
        for (const QString& name : installed)
            QCOMPARE(contentOf(folder + '/' + name), Predefined);
        QCOMPARE(result.written, installed.size());
        QCOMPARE(result.complete, outcome == Updated);
        QCOMPARE(records.last(), outcome);
        int warnings = 0;
        for (const LogRecord& record : records.all())
            warnings += record.first == QLog::QLogType::Warning;
        QCOMPARE(warnings, skipped);
    }

    void notAnArchive_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("outcome");
        const int tooMany = TemplateArchive::MaxEntries + 1;
        ZipEntries many;
        for (int i = 0; i < tooMany; ++i)
            many.append(ZipEntry::file(QStringLiteral("t%1.twt").arg(i), Predefined));
        // clang-format off
        QTest::newRow("HTML page") << QByteArray("<html><body>Not here</body></html>") << NotAZip;
        QTest::newRow("empty body") << QByteArray() << NotAZip;
        QTest::newRow("cut short") << makeZip({ ZipEntry::file("a.twt", Predefined) }).left(40) << NotAZip;
        QTest::newRow("empty archive") << makeZip({}) << NotAZip;
        QTest::newRow("too many entries") << makeZip(many)
            << QStringLiteral("The templates archive holds %1 entries, more than a templates archive can; nothing was installed.").arg(tooMany);
        // clang-format on
    }

    void notAnArchive()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, outcome);
        LogRecords records(log);
        const TemplateArchive::Result result = TemplateArchive::Install(body, folder);
        QCOMPARE(records.all(), QList<LogRecord> { qMakePair(QLog::QLogType::Error, outcome) });
        QCOMPARE(result.written, 0);
        QVERIFY(!result.complete);
        QCOMPARE(treeOf(folder), QStringList());
    }

    // What is already in the folder under an archive entry's name: a file,
    // "<link>" to a file outside or "<folder>". The log records are written
    // "I|W|E text", with @ for the file's path.
    void existingFiles_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QStringList>("logged");
        const QString kept = QStringLiteral("W Your template '@' was kept; the predefined template of that name was not installed.");
        const QString updated = QStringLiteral("I ") + Updated;
        const QByteArray readOnlyText = R"({"readOnly": "true", "conditions": []})";
        // clang-format off
        QTest::newRow("user's own template") << Users << Users << QStringList { kept, updated };
        QTest::newRow("user's, readOnly not a bool") << readOnlyText << readOnlyText << QStringList { kept, updated };
        QTest::newRow("older predefined") << QByteArray(R"({"readOnly": true, "conditions": [{"A": "old"}]})") << Predefined << QStringList { updated };
        QTest::newRow("unreadable") << QByteArray("\x01\x02 not json") << Predefined << QStringList { updated };
        QTest::newRow("link to a file outside") << QByteArray("<link>") << QByteArray("outside stays")
            << QStringList { "W 'a.twt' in the templates archive is not a template file and was skipped.", "E " + NoTemplate };
        QTest::newRow("folder in the way") << QByteArray("<folder>") << QByteArray("<missing>")
            << QStringList { "E Unable to save template file @: Filename refers to a directory", "E There is a problem with extracting templates zip: 4" };
        // clang-format on
    }

    void existingFiles()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(QStringList, logged);
        const QString target = folder + QStringLiteral("/a.twt");
        const QString linked = outside + QStringLiteral("/x.twt");
        if (before == "<link>") {
            writeFile(linked, after);
            QVERIFY(QFile::link(linked, target));
        } else if (before == "<folder>") {
            QVERIFY(QDir(folder).mkdir(QStringLiteral("a.twt")));
        } else {
            writeFile(target, before);
        }

        LogRecords records(log);
        TemplateArchive::Install(makeZip({ ZipEntry::file("a.twt", Predefined) }), folder);
        QStringList written;
        for (const LogRecord& record : records.all())
            written.append(QStringLiteral("IWE").at(int(record.first)) + QLatin1Char(' ')
                + QString(record.second).replace(QDir::toNativeSeparators(target), QStringLiteral("@")));
        QCOMPARE(written, logged);
        QCOMPARE(contentOf(target), after);
        if (before == "<link>") {
            QVERIFY(QFileInfo(target).isSymLink());
            QVERIFY(QFile::remove(linked));
        }
    }

    void subfolderLinkedOutside()
    {
        QVERIFY(QFile::link(outside, folder + QStringLiteral("/sub")));
        LogRecords records(log);
        TemplateArchive::Install(
            makeZip({ ZipEntry::file("sub/x.twt", Predefined), ZipEntry::file("sub/deeper/y.twt", Predefined) }),
            folder);
        QCOMPARE(records.last(), NoTemplate);
        QCOMPARE(records.count(), 3);
    }
};

QTEST_MAIN(tst_TemplateArchive)
#include "tst_templatearchive.moc"
