#include "FileDialog.h"
#include "LogExporter.h"
#include "LogWidgetItem.h"
#include "QConfirm.h"
#include "QLog.h"
#include "common/TestFiles.h"

#include <QAbstractButton>
#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include <memory>
#include <optional>

using Format = LogExporter::Format;
using Records = QVector<LogExporter::Record>;

Q_DECLARE_METATYPE(LogExporter::Record)
Q_DECLARE_METATYPE(Format)

namespace {

const QByteArray Bom("\xEF\xBB\xBF");
const QString XmlStart = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<records>\n");

// Two records just before midnight of one day, two on the next.
const QDateTime Morning(QDate(2024, 3, 9), QTime(9, 5, 7, 250));
const QDateTime Midnight(QDate(2024, 3, 9), QTime(23, 59, 58));
const QDateTime NextDay(QDate(2024, 3, 10), QTime(0, 0, 1));
const QDateTime NextMorning(QDate(2024, 3, 10), QTime(8, 0, 0));
const QString Awkward
    = QStringLiteral("say \"hi\" <b>&amp; ]]> \u041f\u0440\u0438\u0432\u0435\u0442 caf\u00e9");

// Records "beta" and "gamma" (rows 1 and 2 of the panel) in each format.
const QString TwoDaysText = QStringLiteral("23:59:58: Current date is Sat Mar 9 2024\n"
                                           "23:59:58: beta\n"
                                           "00:00:01: Current date is Sun Mar 10 2024\n"
                                           "00:00:01: gamma\n");
const QString TwoDaysCsv = QStringLiteral("23:59:58,\"Current date isSat Mar 9 2024\"\n"
                                          "23:59:58,\"beta\"\n"
                                          "00:00:01,\"Current date isSun Mar 10 2024\"\n"
                                          "00:00:01,\"gamma\"\n");
const QString TwoDaysXml = XmlStart
    + QStringLiteral("<day date=\"Sat Mar 9 2024\">\n"
                     "<record time=\"23:59:58\"><![CDATA[beta]]></record>\n"
                     "</day>\n<day date=\"Sun Mar 10 2024\">\n"
                     "<record time=\"00:00:01\"><![CDATA[gamma]]></record>\n"
                     "</day>\n</records>");

const Records PanelRecords { { Morning, "alpha" }, { Midnight, "beta" }, { NextDay, "gamma" },
    { NextMorning, Awkward } };

// The panel as the main window's form places it, holding PanelRecords in rows 0 to 3.
std::unique_ptr<QLog> makePanel()
{
    auto log = std::make_unique<QLog>();
    log->setSortingEnabled(true);
    log->setSelectionMode(QAbstractItemView::ContiguousSelection);
    for (const LogExporter::Record& record : PanelRecords)
        log->addTopLevelItem(new LogWidgetItem(record.moment, QIcon(), record.message));
    return log;
}

void select(QLog& log, const QList<int>& rows)
{
    log.clearSelection();
    for (int row : rows)
        log.topLevelItem(row)->setSelected(true);
}

QString lastRecord(const QLog& log)
{
    const int count = log.topLevelItemCount();
    return count ? static_cast<LogWidgetItem*>(log.topLevelItem(count - 1))->Message() : QString();
}

// Stands in for the user at the file dialog and at the message boxes.
struct FakeUser
{
    QString answer;
    std::function<void()> whileAsked;
    QList<FileDialog::Request> requests;
    QStringList boxes; // "<icon>: <text>", "+Help" appended when the box offers help
    bool pressHelp = false;

    FakeUser()
    {
        FileDialog::SetResponder([this](const FileDialog::Request& request) {
            requests << request;
            if (whileAsked)
                whileAsked();
            return answer;
        });
        QConfirm::SetResponder([this](QMessageBox* box) -> QAbstractButton* {
            QAbstractButton* help = nullptr;
            for (QAbstractButton* button : box->buttons()) {
                if (box->buttonRole(button) == QMessageBox::HelpRole)
                    help = button;
            }
            const char* icon = QMetaEnum::fromType<QMessageBox::Icon>().valueToKey(box->icon());
            boxes << QString("%1: %2%3").arg(icon, box->text(), help ? " +Help" : "");
            return pressHelp && help ? help : box->button(QMessageBox::Ok);
        });
    }
    ~FakeUser()
    {
        FileDialog::SetResponder({});
        QConfirm::SetResponder({});
    }
    Q_DISABLE_COPY(FakeUser)
};

enum class Failure { MissingFolder, TargetIsFolder, ReadOnlyFolder, DiskFull, RenameRefused };

} // namespace

Q_DECLARE_METATYPE(Failure)

class tst_LogExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QConfirm::Init();
        SetInteractiveLevel(QConfirm::All);
    }

    void rendersTheFormats_data()
    {
        QTest::addColumn<Format>("format");
        QTest::addColumn<Records>("records");
        QTest::addColumn<QString>("expected");

        const Records oneDay { { Morning, "alpha" }, { Midnight, "beta" } };
        const Records twoDays { { Midnight, "beta" }, { NextDay, "gamma" } };
        const Records dayReturns { { NextDay, "gamma" }, { Midnight, "beta" }, { NextMorning, "delta" } };
        const Records sameDayOtherYear { { Morning, "alpha" }, { Morning.addYears(1), "later" } };
        const Records awkward { { Morning, Awkward }, { Morning, "tab\there" } };

        QTest::newRow("text, two days") << Format::Text << twoDays << TwoDaysText;
        QTest::newRow("text, a day returns") << Format::Text << dayReturns
                                             << "00:00:01: Current date is Sun Mar 10 2024\n"
                                                "00:00:01: gamma\n"
                                                "23:59:58: Current date is Sat Mar 9 2024\n"
                                                "23:59:58: beta\n"
                                                "08:00:00: Current date is Sun Mar 10 2024\n"
                                                "08:00:00: delta\n";
        QTest::newRow("text, same day a year later") << Format::Text << sameDayOtherYear
                                                     << "09:05:07: Current date is Sat Mar 9 2024\n"
                                                        "09:05:07: alpha\n"
                                                        "09:05:07: Current date is Sun Mar 9 2025\n"
                                                        "09:05:07: later\n";
        QTest::newRow("text, written as given") << Format::Text << awkward
                                                << "09:05:07: Current date is Sat Mar 9 2024\n"
                                                   "09:05:07: "
                + Awkward
                + "\n"
                  "09:05:07: tab\there\n";

        QTest::newRow("csv, two days") << Format::Csv << twoDays << TwoDaysCsv;
        QTest::newRow("csv, quotes become apostrophes")
            << Format::Csv << awkward
            << "09:05:07,\"Current date isSat Mar 9 2024\"\n"
               "09:05:07,\"say 'hi' <b>&amp; ]]> "
               "\u041f\u0440\u0438\u0432\u0435\u0442 caf\u00e9\"\n"
               "09:05:07,\"tab\there\"\n";

        QTest::newRow("xml, one day") << Format::Xml << oneDay
                                      << XmlStart
                + "<day date=\"Sat Mar 9 2024\">\n"
                  "<record time=\"09:05:07\"><![CDATA[alpha]]></record>\n"
                  "<record time=\"23:59:58\"><![CDATA[beta]]></record>\n"
                  "</day>\n</records>";
        QTest::newRow("xml, two days") << Format::Xml << twoDays << TwoDaysXml;
        QTest::newRow("xml, a day returns") << Format::Xml << dayReturns
                                            << XmlStart
                + "<day date=\"Sun Mar 10 2024\">\n"
                  "<record time=\"00:00:01\"><![CDATA[gamma]]></record>\n"
                  "</day>\n<day date=\"Sat Mar 9 2024\">\n"
                  "<record time=\"23:59:58\"><![CDATA[beta]]></record>\n"
                  "</day>\n<day date=\"Sun Mar 10 2024\">\n"
                  "<record time=\"08:00:00\"><![CDATA[delta]]></record>\n"
                  "</day>\n</records>";
        QTest::newRow("xml, escaped inside CDATA") << Format::Xml << Records { { Morning, Awkward } }
                                                   << XmlStart
                + "<day date=\"Sat Mar 9 2024\">\n"
                  "<record time=\"09:05:07\"><![CDATA[say &quot;hi&quot; "
                  "&lt;b&gt;&amp;amp; ]]&gt; "
                  "\u041f\u0440\u0438\u0432\u0435\u0442 caf\u00e9]]>"
                  "</record>\n</day>\n</records>";
        QTest::newRow("xml, nothing") << Format::Xml << Records {} << XmlStart + "</records>";
    }

    // The device gets the byte-order mark and the UTF-8 text with line feeds only.
    void rendersTheFormats()
    {
        QFETCH(Format, format);
        QFETCH(Records, records);
        QFETCH(QString, expected);

        QCOMPARE(LogExporter::Render(format, records), expected);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(LogExporter::Write(buffer, format, records));
        QCOMPARE(buffer.data(), Bom + expected.toUtf8());
    }

    // The day headers are the log panel's texts, translated with it.
    void translatesTheDayHeaders()
    {
        QTranslator russian;
        QVERIFY(russian.load(":/Translations/Tarnwickstone_ru_RU.qm"));
        QCoreApplication::installTranslator(&russian);
        const Records records { { Morning, "alpha" } };
        const QString text = LogExporter::Render(Format::Text, records);
        const QString csv = LogExporter::Render(Format::Csv, records);
        QCoreApplication::removeTranslator(&russian);

        QCOMPARE(text,
            QString("09:05:07: \u0422\u0435\u043a\u0443\u0449\u0430\u044f \u0434\u0430\u0442\u0430: "
                    "Sat Mar 9 2024\n09:05:07: alpha\n"));
        QCOMPARE(csv,
            QString("09:05:07,\"\u0422\u0435\u043a\u0443\u0449\u0430\u044f \u0434\u0430\u0442\u0430: "
                    "Sat Mar 9 2024\"\n09:05:07,\"alpha\"\n"));
    }

    void formatBySuffix_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<int>("format"); // -1: refused

        QTest::newRow("txt") << "/tmp/log.txt" << int(Format::Text);
        QTest::newRow("csv") << "log.csv" << int(Format::Csv);
        QTest::newRow("xml") << "log.xml" << int(Format::Xml);
        QTest::newRow("last dot counts") << "/tmp/log.2024.xml" << int(Format::Xml);
        QTest::newRow("dot in a folder name") << "/tmp/old.txt/log" << -1;
        QTest::newRow("capitals") << "log.TXT" << -1;
        QTest::newRow("no suffix") << "log" << -1;
        QTest::newRow("another suffix after") << "log.txt.bak" << -1;
    }

    void formatBySuffix()
    {
        QFETCH(QString, fileName);
        QFETCH(int, format);

        const std::optional<Format> found = LogExporter::FormatOf(fileName);
        QCOMPARE(found ? int(*found) : -1, format);
    }

    void copiesTheSelection_data()
    {
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<QString>("expected");

        QTest::newRow("across midnight") << QList<int> { 1, 2 } << TwoDaysText;
        QTest::newRow("in the order selected") << QList<int> { 2, 0, 3 }
                                               << "00:00:01: Current date is Sun Mar 10 2024\n"
                                                  "00:00:01: gamma\n"
                                                  "09:05:07: Current date is Sat Mar 9 2024\n"
                                                  "09:05:07: alpha\n"
                                                  "08:00:00: Current date is Sun Mar 10 2024\n"
                                                  "08:00:00: "
                + Awkward + "\n";
    }

    // Copying replaces the clipboard, shows nothing and logs nothing.
    void copiesTheSelection()
    {
        QFETCH(QList<int>, rows);
        QFETCH(QString, expected);

        FakeUser user;
        auto log = makePanel();
        QClipboard* clipboard = QGuiApplication::clipboard();

        select(*log, { 0 });
        log->copyAction->trigger();
        select(*log, rows);
        log->copyAction->trigger();
        QCOMPARE(clipboard->text(), expected);
        QCOMPARE(log->topLevelItemCount(), PanelRecords.size());
        QVERIFY(user.boxes.isEmpty());
    }

    void copyWithoutSelectionKeepsTheClipboard()
    {
        auto log = makePanel();
        QGuiApplication::clipboard()->setText("held before");
        log->Copy();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("held before"));
    }

    void exportsTheChosenFormat_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("expected");

        QTest::newRow("text") << "log.txt" << TwoDaysText;
        QTest::newRow("csv") << "log.csv" << TwoDaysCsv;
        QTest::newRow("xml") << "log.xml" << TwoDaysXml;
        QTest::newRow("name that looks like markup") << "a<i>&b.txt" << TwoDaysText;
    }

    // The dialog is asked as the panel's own; an existing file is replaced as a
    // whole, and the user is told the name as typed.
    void exportsTheChosenFormat()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, expected);

        QTemporaryDir dir;
        const QString path = dir.filePath(fileName);
        writeFile(path, QByteArray(4096, 'x'));
        auto log = makePanel();
        select(*log, { 1, 2 });
        FakeUser user;
        user.answer = path;

        log->exportAction->trigger();
        QCOMPARE(contentOf(path), Bom + expected.toUtf8());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList { fileName });

        QCOMPARE(user.requests.size(), 1);
        const FileDialog::Request& request = user.requests.first();
        QCOMPARE(request.parent, log.get());
        QCOMPARE(request.caption, QString("Where to save the file to?"));
        QCOMPARE(request.directory, QString());
        QCOMPARE(request.filter, QString("Text (*.txt);;CSV (*.csv);;XML (*.xml)"));

        QCOMPARE(user.boxes, QStringList { "Information: File '" + path.toHtmlEscaped() + " saved" });
        QCOMPARE(lastRecord(*log), "File '" + path + " saved");
    }

    // The selection is read once the dialog has closed.
    void exportsTheSelectionAfterTheDialog()
    {
        QTemporaryDir dir;
        auto log = makePanel();
        select(*log, { 0 });
        FakeUser user;
        user.answer = dir.filePath("log.txt");
        user.whileAsked = [&log] {
            log->Info("while asked");
            select(*log, { 1 });
        };

        log->Export();
        QCOMPARE(contentOf(user.answer), Bom + "23:59:58: Current date is Sat Mar 9 2024\n23:59:58: beta\n");
    }

    void refusesWithoutWriting_data()
    {
        QTest::addColumn<QString>("fileName"); // empty: the dialog was cancelled
        QTest::addColumn<QStringList>("boxes");

        const QStringList refused { "Critical: Unable to save file in such format +Help" };
        QTest::newRow("cancelled") << QString() << QStringList();
        QTest::newRow("capitals") << "old.TXT" << refused;
        QTest::newRow("no suffix") << "old" << refused;
        QTest::newRow("unknown suffix") << "old.json" << refused;
    }

    void refusesWithoutWriting()
    {
        QFETCH(QString, fileName);
        QFETCH(QStringList, boxes);

        QTemporaryDir dir;
        const QString path = fileName.isEmpty() ? QString() : dir.filePath(fileName);
        if (!path.isEmpty())
            writeFile(path, "old content");
        auto log = makePanel();
        select(*log, { 0 });
        FakeUser user;
        user.answer = path;
        user.pressHelp = true;
        QSignalSpy help(QConfirm::Instance(), &QConfirm::showHelp);

        log->Export();
        QCOMPARE(user.boxes, boxes);
        if (!path.isEmpty()) {
            QCOMPARE(contentOf(path), QByteArray("old content"));
            QCOMPARE(help.size(), 1);
            QCOMPARE(help.first().first().toString(), QString("ExportFormat"));
            QCOMPARE(lastRecord(*log), QString("Unable to save file in such format"));
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), path.isEmpty() ? 0 : 1);
    }

    void failedSaveKeepsTheOldFile_data()
    {
        QTest::addColumn<Failure>("failure");
        QTest::addColumn<QString>("reason");

        QTest::newRow("missing folder") << Failure::MissingFolder << "No such file or directory";
        QTest::newRow("target is a folder") << Failure::TargetIsFolder << "Filename refers to a directory";
        QTest::newRow("read-only folder") << Failure::ReadOnlyFolder << "Permission denied";
        QTest::newRow("disk full") << Failure::DiskFull << "File too large";
        QTest::newRow("commit refused") << Failure::RenameRefused << "Operation not permitted";
    }

    // One error box with the file's own error text; the old file stays as it
    // was and no temporary file is left behind.
    void failedSaveKeepsTheOldFile()
    {
        QFETCH(Failure, failure);
        QFETCH(QString, reason);

        const bool asNobody = failure == Failure::ReadOnlyFolder || failure == Failure::RenameRefused;
        if (failure == Failure::RenameRefused && geteuid() != 0)
            QSKIP("needs a file of another user");
        QTemporaryDir base;
        QCOMPARE(chmod(QFile::encodeName(base.path()).constData(), 0755), 0);
        const QString folder = base.filePath("out");
        QVERIFY(QDir().mkpath(folder));
        QString path = folder + "/log.xml";
        if (failure == Failure::MissingFolder)
            path = base.filePath("missing/log.xml");
        else if (failure == Failure::TargetIsFolder)
            QVERIFY(QDir().mkpath(path));
        else
            writeFile(path, "old content", asNobody ? 0666 : 0644);
        // Read-only for everyone; writable by all but sticky, so nobody may
        // create files there but not replace root's.
        if (asNobody)
            QCOMPARE(chmod(QFile::encodeName(folder).constData(),
                         failure == Failure::ReadOnlyFolder ? 0555 : 01777),
                0);
        const QStringList before
            = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

        auto log = makePanel();
        select(*log, { 0, 1, 2, 3 });
        FakeUser user;
        user.answer = path;
        user.pressHelp = true;
        QSignalSpy help(QConfirm::Instance(), &QConfirm::showHelp);
        {
            std::optional<Unprivileged> nobody;
            std::optional<FileSizeLimit> limit;
            if (asNobody)
                nobody.emplace();
            if (failure == Failure::DiskFull)
                limit.emplace();
            log->Export();
        }
        chmod(QFile::encodeName(folder).constData(), 0755);

        QCOMPARE(user.boxes, QStringList { "Critical: Unable to save file: " + reason + " +Help" });
        QCOMPARE(help.size(), 1);
        QCOMPARE(help.first().first().toString(), QString("SaveFile"));
        QCOMPARE(lastRecord(*log), "Unable to save file: " + reason);

        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
        if (QFileInfo(path).isFile())
            QCOMPARE(contentOf(path), QByteArray("old content"));
    }
};

QTEST_MAIN(tst_LogExport)
#include "tst_logexport.moc"
