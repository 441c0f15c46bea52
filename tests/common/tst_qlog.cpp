#include "FakeUser.h"
#include "LogExporter.h"
#include "LogWidgetItem.h"
#include "QLog.h"
#include "TestFiles.h"

#include <QAction>

using LogType = QLog::QLogType;
using Format = LogExporter::Format;

const QDateTime Night(QDate(2024, 3, 9), QTime(23, 59, 58, 250)), Day(QDate(2024, 3, 10), QTime(0, 0, 1));
const QString Saved = "23:59:58: Current date is Sat Mar 9 2024\n23:59:58: beta\n"
                      "00:00:01: Current date is Sun Mar 10 2024\n00:00:01: gamma\n00:01:01: delta\n";

// The panel as the main window's form places it, with the given records.
static std::unique_ptr<QLog> makePanel(const QList<QDateTime>& moments = {}, const QStringList& texts = {})
{
    auto log = std::make_unique<QLog>();
    log->setSortingEnabled(true);
    log->setSelectionMode(QAbstractItemView::ContiguousSelection);
    for (int i = 0; i < moments.size(); ++i)
        log->addTopLevelItem(new LogWidgetItem(moments[i], QIcon(), texts[i]));
    return log;
}

static QStringList messages(const QLog& log)
{
    QStringList result;
    for (int row = 0; row < log.topLevelItemCount(); ++row)
        result << static_cast<LogWidgetItem*>(log.topLevelItem(row))->Message();
    return result;
}

class tst_QLog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QConfirm::Init(); }

    // Records lost (or a null call) with no panel or after a second one; copy and export with no selection.
    void records()
    {
        QLog::Write(LogType::Warning, "early");
        auto log = makePanel();
        for (const int type : { 2, 0, 7, -1 })
            QLog::Write(LogType(type), QString::number(type));
        QCOMPARE(makePanel()->topLevelItemCount(), 0);
        QCOMPARE(QLog::Instance(), log.get());
        QCOMPARE(messages(*log), QStringList({ "early", "2", "0", "7", "-1" }));
        const auto enabled = [&log] { return log->copyAction->isEnabled() + log->exportAction->isEnabled(); };
        QCOMPARE(enabled(), 0);
        log->selectAllAction->trigger();
        QCOMPARE(log->selectedItems().size() + enabled(), 7);
        log->clearAction->trigger();
        QCOMPARE(log->topLevelItemCount() + enabled(), 0);
        log.reset();
        QVERIFY(!QLog::Instance());
        QLog::Write(LogType::Error, "late");
        QCOMPARE(messages(*makePanel()), QStringList { "late" });
    }

    // A record lost through a slot, or counted under another type.
    void slotsCountByType()
    {
        auto log = makePanel();
        log->Warning("w");
        log->Error("e1");
        log->Info("i");
        log->Error("e2");
        QCOMPARE(messages(*log), QStringList({ "w", "e1", "i", "e2" }));
        QCOMPARE(log->property("warnings").toInt() * 10 + log->property("errors").toInt(), 12);
    }

    // Quotes and CDATA ends breaking the exported file.
    void rendersTheFormats()
    {
        const QString awkward = QString::fromUtf8("say \"hi\" <b>&amp; ]]> Привет");
        QCOMPARE(LogExporter::Render(Format::Csv, { { Night, awkward } }),
            "23:59:58,\"Current date isSat Mar 9 2024\"\n23:59:58,\"" + QString(awkward).replace('"', '\'')
                + "\"\n");
        QCOMPARE(LogExporter::Render(Format::Xml, { { Night, "beta" }, { Day, awkward } }),
            QString::fromUtf8(
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<records>\n<day date=\"Sat Mar 9 2024\">\n"
                "<record time=\"23:59:58\"><![CDATA[beta]]></record>\n</day>\n"
                "<day date=\"Sun Mar 10 2024\">\n<record time=\"00:00:01\"><![CDATA[say &quot;hi&quot; "
                "&lt;b&gt;&amp;amp; ]]&gt; Привет]]></record>\n</day>\n</records>"));
    }

    // A failed export reported as saved or leaving a truncated file or a temporary one; an unescaped name.
    void exports()
    {
        const QString done = "Information: File '%1 saved", failed = "Critical: Unable to save file: ";
        // Mode 0: a full disk. Sticky and writable by all: nobody may add files, not replace root's.
        const struct { QString fileName; int mode; QString box, saved; } rows[] = {
            { "a<i>&b.txt", 0755, done, Saved }, { "log.xml", 0555, failed + "Permission denied", "" },
            { "log.xml", 0, failed + "File too large", "" },
            { "log.xml", 01777, failed + "Operation not permitted", "" } };
        for (const auto& [fileName, mode, box, saved] : rows) {
            if (mode == 01777 && geteuid() != 0)
                continue;
            QTemporaryDir base;
            chmod(QFile::encodeName(base.path()).constData(), 0755);
            const QString folder = base.filePath("out"), path = folder + "/" + fileName;
            QVERIFY(QDir().mkpath(folder));
            writeFile(path, "old content", 0666);
            chmod(QFile::encodeName(folder).constData(), mode_t(mode ? mode : 0755));
            auto log = makePanel({ Night, Day, Day.addSecs(60) }, { "beta", "gamma", "delta" });
            log->selectAll();
            FakeUser user(path);
            {
                std::optional<Unprivileged> nobody;
                std::optional<FileSizeLimit> limit;
                mode == 0 ? void(limit.emplace()) : mode != 0755 ? void(nobody.emplace()) : void();
                log->exportAction->trigger();
            }
            chmod(QFile::encodeName(folder).constData(), 0755);
            QCOMPARE(user.boxes, QStringList { QString(box).replace("%1", path.toHtmlEscaped()) });
            QCOMPARE(user.topics, saved.isEmpty() ? "SaveFile" : "");
            QCOMPARE(messages(*log).value(3), box.section(": ", 1).replace("%1", path));
            QCOMPARE(contentOf(path), saved.isEmpty() ? "old content" : "\xEF\xBB\xBF" + saved.toUtf8());
            QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                QStringList { fileName });
        }
    }
};

QTEST_MAIN(tst_QLog)
#include "tst_qlog.moc"
