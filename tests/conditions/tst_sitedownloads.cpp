#include "LocalExchange.h"
#include "MyTemplates.h"
#include "QCatalog.h"
#include "QConfirm.h"
#include "QLog.h"
#include "TemplateArchive.h"
#include "TrustedHttpsServer.h"

#include "common/TestFiles.h"
#include "conditions/DataRows.h"

#include <QComboBox>
#include <QDirIterator>
#include <QLineEdit>
#include <QtEndian>
#include <private/qzipwriter_p.h>

#include <optional>

namespace {

const int Patience = 20000;
const QString CatalogPath = "/download/1/1/1/catalogs/countries.json";
const QString ArchivePath = "/download/1/1/1/templates.zip";
const QByteArray OldCatalog = R"({"data": [{"code": "OL", "en": "Old"}]})";
const QByteArray NewCatalog = R"({"data": [{"code": "NW", "en": "New"}]})";
const QByteArray Predefined = R"({"readOnly": true, "name": {"eng": "Favourites"}, "conditions": []})";
const QByteArray Mine = R"({"conditions": [{"A": "Market", "B": "Volume", "C": "GE", "V1": 1000}]})";
const QString CatalogUpdated = "I Catalog 'countries' updated.";
const QString NotACatalog = "E The downloaded catalog 'countries' is not a catalog; the file is left as it was.";
const QString Updated = "I Predefined templates were updated.";
const QString NoTemplate = "E The templates archive holds no template; nothing was installed.";
const QString NotAZip = "E The templates archive is not a zip file or is empty.";
const QString TooMuch = "E The templates archive unpacks to more than 16 MiB; 'q.twt' and the entries after it were not installed.";

// Archive entries: path and contents (deflated), "=path" and contents (stored), or "@path" and the target
// of a symbolic link.
using ZipEntry = QPair<QString, QByteArray>;
QByteArray makeZip(const QList<ZipEntry>& entries)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QZipWriter writer(&buffer);
    for (const auto& [path, data] : entries) {
        writer.setCompressionPolicy(
            path.startsWith('=') ? QZipWriter::NeverCompress : QZipWriter::AlwaysCompress);
        if (path.startsWith('@'))
            writer.addSymLink(path.mid(1), QString::fromUtf8(data));
        else
            writer.addFile(path.startsWith('=') ? path.mid(1) : path, data);
    }
    writer.close();
    return buffer.data();
}

// Where the n-th record (from 0) of the archive's directory starts; its flags lie at 8 and its method at
// 10 (2 bytes each), its compressed size at 20, its size at 24 and its local header's offset at 42.
int directoryRecord(const QByteArray& zip, int n)
{
    int at = -1;
    for (int i = 0; i <= n; ++i)
        at = zip.indexOf("PK\x01\x02", at + 1);
    return at;
}

quint32 fieldAt(const QByteArray& zip, int at)
{
    return qFromLittleEndian<quint32>(zip.constData() + at);
}

QByteArray patched(QByteArray zip, int at, quint32 value, int width = 4)
{
    width == 2 ? qToLittleEndian(quint16(value), zip.data() + at) : qToLittleEndian(value, zip.data() + at);
    return zip;
}

// The archive as common zip tools write it: extra fields (an extended timestamp and a Unix owner, longer
// in the local headers than in the directory) and a comment on every directory record.
QByteArray withExtraFields(const QByteArray& zip)
{
    const QByteArray local = QByteArray::fromHex("5554090003a0a0a065a0a0a06575780b000104e803000004e8030000");
    const QByteArray central = QByteArray::fromHex("5554050003a0a0a06575780b000104e803000004e8030000");
    const QByteArray comment = "a predefined template";
    QByteArray entries, directory;
    for (int n = 0, at; (at = directoryRecord(zip, n)) >= 0; ++n) {
        const QByteArray name = zip.mid(at + 46, fieldAt(zip, at + 28) & 0xffff);
        const int header = int(fieldAt(zip, at + 42));
        const int data = header + 30 + (fieldAt(zip, header + 26) & 0xffff) + (fieldAt(zip, header + 28) & 0xffff);
        const QByteArray record = patched(patched(zip.mid(at, 46), 30, central.size() | comment.size() << 16), 42, entries.size());
        directory += record + name + central + comment;
        entries += patched(zip.mid(header, 30), 28, local.size(), 2) + name + local + zip.mid(data, fieldAt(zip, at + 20));
    }
    const QByteArray end = zip.mid(zip.lastIndexOf("PK\x05\x06"), 22);
    return entries + directory + patched(patched(end, 12, directory.size()), 16, entries.size());
}

// A template of exactly size bytes.
QByteArray padded(const QByteArray& content, int size)
{
    return content + QByteArray(size - content.size(), ' ');
}

// The log records from construction on, each "I|W|E text".
struct LogRecords : QSignalSpy
{
    explicit LogRecords(QLog* log) : QSignalSpy(log, &QLog::Logged) { }
    QStringList all() const
    {
        QStringList records;
        for (const QList<QVariant>& call : *this)
            records << QString("IWE").at(int(call.at(0).value<QLog::QLogType>())) + ' ' + call.at(1).toString();
        return records;
    }
    QString last() const { return all().value(count() - 1); }
};

QStringList entriesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// Every file and link below the folder, relative to it.
QStringList treeOf(const QString& folder)
{
    QStringList found;
    QDirIterator it(folder, QDir::Files | QDir::System | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << QDir(folder).relativeFilePath(it.next());
    found.sort();
    return found;
}

} // namespace

// Catalogs and templates from the product site (a local https server); nothing lands outside the folders.
class tst_SiteDownloads : public QObject
{
    Q_OBJECT

    TrustedHttpsServer tls;
    HttpTestServer& server = tls.server();
    std::optional<LocalExchange> site;
    std::optional<QTemporaryDir> data;
    QTemporaryDir beside;
    const QString outside = beside.path();
    QString catalogs, templates;
    QStringList dataEntries;
    QLog log; // the program-wide log
    QStringList boxes;

    QString catalogFile() const { return catalogs + "/countries.json"; }

private slots:
    void initTestCase()
    {
        QVERIFY2(tls.error().isEmpty(), qPrintable(tls.error()));
        site.emplace(server);
        qRegisterMetaType<QLog::QLogType>();
        QConfirm::Init();
        SetInteractiveLevel(QConfirm::All);
        QConfirm::SetResponder([this](QMessageBox* box) { return boxes << box->text(), box->button(QMessageBox::No); });
    }

    void cleanupTestCase() { QConfirm::SetResponder({}); }

    void init()
    {
        server.clearRequests();
        boxes.clear();
        data.emplace();
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(data->filePath("config")));
        catalogs = data->filePath("configcatalogs");
        templates = data->filePath("configtemplates");
        QVERIFY(QDir().mkpath(catalogs) && QDir().mkpath(templates));
        QCatalog::Init(catalogs);
        writeFile(catalogFile(), OldCatalog);
        dataEntries = entriesIn(data->path());
    }

    void cleanup()
    {
        QCOMPARE(treeOf(outside), QStringList());
        QCOMPARE(entriesIn(data->path()), dataEntries);
    }

    void catalogReplies_data()
    {
        QTest::addColumn<ScriptedReply>("answer");
        QTest::addColumn<QString>("outcome");
        const QByteArray plainMirror = server.url("/mirror.json").toLatin1().replace("https:", "http:");
        // clang-format off
        QTest::newRow("catalog") << ScriptedReply::text(NewCatalog, "application/json") << CatalogUpdated;
        QTest::newRow("204") << ScriptedReply::text("", "text/plain", 204) << "E The server did not send the file (HTTP status 204).";
        QTest::newRow("redirect to http") << ScriptedReply::text("", "text/plain", 302).withHeader("Location", plainMirror)
                                          << "E Insecure redirect";
        QTest::newRow("larger than 16 MiB") << ScriptedReply::text(QByteArray(16 * 1024 * 1024 + 1, ' '), "application/json")
                                            << "E The download stalled or grew too large and was given up.";
        QTest::newRow("HTML page") << ScriptedReply::text("<html><body>Maintenance</body></html>", "text/html") << NotACatalog;
        // clang-format on
    }
    void catalogReplies()
    {
        QFETCH(ScriptedReply, answer);
        QFETCH(QString, outcome);
        server.setReply("GET", CatalogPath, answer);
        server.setReply("GET", "/mirror.json", ScriptedReply::text(NewCatalog, "application/json"));
        LogRecords records(&log);
        QCatalog countries;
        countries.Load("countries", true);
        countries.UpdateFromInternet();
        QTRY_COMPARE_WITH_TIMEOUT(records.count(), 2, Patience);
        QCOMPARE(records.all(), QStringList({ "I Updating catalog 'countries'...", outcome }));
        QCOMPARE(contentOf(catalogFile()), outcome == CatalogUpdated ? NewCatalog : OldCatalog);
        QCOMPARE(entriesIn(catalogs), QStringList { "countries.json" });
    }

    // A write cut short keeps the old catalog and is no update.
    void catalogOnAFullDisk()
    {
        const QByteArray large = "{\"data\": [" + QByteArray(4096, ' ') + NewCatalog.mid(10);
        server.setReply("GET", CatalogPath, ScriptedReply::text(large, "application/json").held());
        LogRecords records(&log);
        QCatalog countries;
        countries.Load("countries", true);
        countries.UpdateFromInternet();
        QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 1, Patience);
        {
            FileSizeLimit full;
            server.release();
            QTRY_COMPARE_WITH_TIMEOUT(records.count(), 2, Patience);
        }
        QCOMPARE(records.last(), "E Unable to save countries file: File too large");
        QCOMPARE(contentOf(catalogFile()), OldCatalog);
        QCOMPARE(entriesIn(catalogs), QStringList { "countries.json" });
    }

    // The built-in catalog is never fetched, and nothing from a site that a translation made plain http.
    void notFetched()
    {
        LogRecords records(&log);
        QCatalog::sexTypes->UpdateFromInternet();
        const QString kept = ProductSite::English;
        ProductSite::English = QString("http://127.0.0.1:%1").arg(server.port());
        QCatalog countries;
        countries.Load("countries", true);
        countries.UpdateFromInternet();
        MyTemplates().UpdateFromInternet();
        ProductSite::English = kept;
        const QString refused = QString("E The download address is not secure: http://127.0.0.1:%1").arg(server.port());
        QCOMPARE(records.all(), QStringList({ refused + CatalogPath, refused + ArchivePath }));
        QCOMPARE(server.requestCount(), 0);
        QCOMPARE(contentOf(catalogFile()), OldCatalog);
    }

    // Installed while the user works: nothing asked or reloaded, the user's edits and same-named file kept.
    void templatesInstalledInTheBackground()
    {
        server.setReply("GET", ArchivePath,
            ScriptedReply::text(makeZip({ { "Favourites.twt", Predefined }, { "Mine.twt", R"({"readOnly": true, "conditions": []})" } }),
                "application/zip"));
        writeFile(templates + "/Mine.twt", Mine);
        MyTemplates panel;
        panel.ReloadTemplates("Mine");
        QTest::keyClicks(panel.findChild<QLineEdit*>("Value1"), "5");
        QSignalSpy loaded(&panel, &MyTemplates::TemplateLoaded);
        LogRecords records(&log);
        panel.UpdateFromInternet();
        QTRY_COMPARE_WITH_TIMEOUT(records.last(), Updated, Patience);
        QCOMPARE(panel.findChild<QComboBox*>("TemplatesList")->count(), 3);
        QVERIFY(panel.CurrentTemplate() == "Mine" && panel.IsChanged() && loaded.isEmpty() && boxes.isEmpty());
        QCOMPARE(contentOf(templates + "/Mine.twt"), Mine);
        QCOMPARE(contentOf(templates + "/Favourites.twt"), Predefined);
    }

    // The archive, the files installed, the entries skipped (named as the archive holds them), the outcome.
    void archives_data()
    {
        QTest::addColumn<QByteArray>("zip");
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QStringList>("skipped");
        QTest::addColumn<QString>("outcome");
        const ZipEntry good { "a.twt", Predefined };
        const QByteArray oversized = "{\"x\": \"" + QByteArray(TemplateArchive::MaxTemplateSize, 'x') + "\"}";
        const int limit = 1024 * 1024;
        const QByteArray atLimit = makeZip({ { "big.twt", padded(Predefined, limit) } });
        const QByteArray pastLimit = makeZip({ good, { "big.twt", padded(Predefined, limit + 1) } });
        const QByteArray fourMiB = makeZip({ good, { "big.twt", padded(Predefined, 4 * limit) } });
        const QByteArray storedPast = makeZip({ good, { "=big.twt", padded(Predefined, limit + 1) } });
        const QByteArray two = makeZip({ good, { "b.twt", Predefined } });
        const QByteArray twoStored = makeZip({ good, { "=b.twt", Predefined } });
        const int second = directoryRecord(two, 1);
        // Sixteen templates at the size limit fill what an archive may unpack to.
        QList<ZipEntry> full;
        QStringList fullNames;
        for (char letter = 'a'; letter < 'a' + 16; ++letter) {
            fullNames << QString("%1.twt").arg(letter);
            full << ZipEntry { fullNames.last(), padded(Predefined, limit) };
        }
        const QList<ZipEntry> overfull = full + QList<ZipEntry> { { "q.twt", Predefined }, { "r.twt", Predefined } };
        const QByteArray reproducer = QByteArray::fromHex("504b03041400000008004319875d43bfa6a304000000020000"
                                                          "0005000000612e747774abae0500504b0102140314000000"
                                                          "08004319875d43bfa6a3000000800200000005000000000000"
                                                          "0000000000800100000000612e747774504b050600000000"
                                                          "0100010033000000270000000000");
        // clang-format off
        QTest::newRow("templates") << makeZip({good, {"sub/b.twt", Predefined}}) << QStringList{"a.twt", "sub/b.twt"} << QStringList() << Updated;
        QTest::newRow("extra fields") << withExtraFields(makeZip({good, {"=b.twt", Predefined}, {"sub/c.twt", Predefined}}))
            << QStringList{"a.twt", "b.twt", "sub/c.twt"} << QStringList() << Updated;
        QTest::newRow("leading out") << makeZip({good, {"../up.twt", Predefined}, {"sub/../../up.twt", Predefined}, {outside + "/abs.twt", Predefined}})
            << QStringList{"a.twt"} << QStringList{"../up.twt", "sub/../../up.twt", outside + "/abs.twt"} << Updated;
        // Were a link made, the next file would be written through it.
        QTest::newRow("links") << makeZip({{"@link.twt", (outside + "/x.twt").toUtf8()}, {"@evil", outside.toUtf8()}, {"evil/x.twt", Predefined}})
            << QStringList{"evil/x.twt"} << QStringList{"link.twt", "evil"} << Updated;
        QTest::newRow("no templates") << makeZip({good, {"readme.txt", Predefined}, {"page.twt", "<html>404</html>"}, {"big.twt", oversized}})
            << QStringList{"a.twt"} << QStringList{"readme.txt", "page.twt", "big.twt"} << Updated;
        QTest::newRow("nothing usable") << makeZip({{"readme.txt", "hello"}, {"../up.twt", Predefined}})
            << QStringList() << QStringList{"readme.txt", "../up.twt"} << NoTemplate;
        QTest::newRow("cut short") << makeZip({good}).left(40) << QStringList() << QStringList() << NotAZip;
        QTest::newRow("last byte missing") << makeZip({good}).chopped(1) << QStringList() << QStringList() << NotAZip;
        QTest::newRow("directory past the end") << patched(two, two.size() - 6, two.size()) << QStringList() << QStringList() << NotAZip;
        // Entry data is read within the archive and the size limit, whatever size the directory declares.
        QTest::newRow("declares 2 GiB of data") << reproducer << QStringList() << QStringList{"a.twt"} << NoTemplate;
        QTest::newRow("deflated at the size limit") << atLimit << QStringList{"big.twt"} << QStringList() << Updated;
        QTest::newRow("deflated one past") << pastLimit << QStringList{"a.twt"} << QStringList{"big.twt"} << Updated;
        QTest::newRow("stored at the size limit") << makeZip({{"=big.twt", padded(Predefined, limit)}}) << QStringList{"big.twt"} << QStringList() << Updated;
        QTest::newRow("stored one past") << patched(storedPast, directoryRecord(storedPast, 1) + 24, 100) << QStringList{"a.twt"} << QStringList{"big.twt"} << Updated;
        QTest::newRow("declares 100 bytes, inflates to the limit") << patched(atLimit, directoryRecord(atLimit, 0) + 24, 100)
            << QStringList{"big.twt"} << QStringList() << Updated;
        QTest::newRow("declares 100 bytes, inflates one past") << patched(pastLimit, directoryRecord(pastLimit, 1) + 24, 100)
            << QStringList{"a.twt"} << QStringList{"big.twt"} << Updated;
        QTest::newRow("declares 100 bytes, inflates to 4 MiB") << patched(fourMiB, directoryRecord(fourMiB, 1) + 24, 100)
            << QStringList{"a.twt"} << QStringList{"big.twt"} << Updated;
        QTest::newRow("16 MiB in all") << makeZip(full) << fullNames << QStringList() << Updated;
        QTest::newRow("past 16 MiB in all") << makeZip(overfull) << fullNames << QStringList() << TooMuch;
        QTest::newRow("data running into the directory") << patched(two, second + 20, fieldAt(two, second + 20) + 1)
            << QStringList{"a.twt"} << QStringList{"b.twt"} << Updated;
        QTest::newRow("deflated data cut short") << patched(two, second + 20, fieldAt(two, second + 20) - 1)
            << QStringList{"a.twt"} << QStringList{"b.twt"} << Updated;
        QTest::newRow("local header past the end") << patched(two, second + 42, two.size()) << QStringList{"a.twt"} << QStringList{"b.twt"} << Updated;
        QTest::newRow("neither stored nor deflated") << patched(twoStored, directoryRecord(twoStored, 1) + 10, 12, 2)
            << QStringList{"a.twt"} << QStringList{"b.twt"} << Updated;
        QTest::newRow("encrypted") << patched(twoStored, directoryRecord(twoStored, 1) + 8, 1, 2) << QStringList{"a.twt"} << QStringList{"b.twt"} << Updated;
        // clang-format on
    }
    void archives()
    {
        QFETCH(QByteArray, zip);
        QFETCH(QStringList, installed);
        QFETCH(QStringList, skipped);
        QFETCH(QString, outcome);
        LogRecords records(&log);
        const TemplateArchive::Result result = TemplateArchive::Install(zip, templates);
        QCOMPARE(treeOf(templates), installed);
        for (const QString& name : installed)
            QCOMPARE(contentOf(templates + '/' + name).trimmed(), Predefined);
        QVERIFY(result.written == installed.size() && result.complete == (outcome == Updated));
        QCOMPARE(records.last(), outcome);
        QCOMPARE(records.all().filter(QRegularExpression("^W")),
            skipped.replaceInStrings(QRegularExpression("^(.*)$"),
                "W '\\1' in the templates archive is not a template file and was skipped."));
    }

    // Names taken by a link outside, a folder or a subfolder linked to a sibling whose name starts with the
    // folder's: nothing written through them, no success.
    void namesInTheWay()
    {
        const QString linked = outside + "/x.twt", sibling = templates + "2";
        writeFile(linked, "outside");
        QVERIFY(QFile::link(linked, templates + "/a.twt") && QDir(templates).mkdir("b.twt"));
        QVERIFY(QDir().mkdir(sibling) && QFile::link(sibling, templates + "/sub"));
        LogRecords records(&log);
        const TemplateArchive::Result result = TemplateArchive::Install(
            makeZip({ { "a.twt", Predefined }, { "b.twt", Predefined }, { "sub/x.twt", Predefined } }), templates);
        QVERIFY(!result.complete && result.written == 0 && records.last().startsWith("E "));
        QCOMPARE(treeOf(outside), QStringList { "x.twt" });
        QCOMPARE(treeOf(sibling), QStringList());
        QVERIFY(contentOf(linked) == "outside" && QFileInfo(templates + "/a.twt").isSymLink() && QFile::remove(linked));
        QVERIFY(QDir(sibling).removeRecursively());
    }
};

QTEST_MAIN(tst_SiteDownloads)
#include "tst_sitedownloads.moc"
