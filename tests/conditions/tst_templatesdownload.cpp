#include "MyTemplates.h"
#include "QConfirm.h"
#include "QLog.h"
#include "TrustedHttpsServer.h"

#include "common/TestFiles.h"
#include "conditions/LocalProductSite.h"
#include "conditions/LogRecords.h"
#include "conditions/ZipBuilder.h"

#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

#include <optional>

namespace {

const int Patience = 20000;
const QString ArchivePath = QStringLiteral("/download/1/1/1/templates.zip");
const QByteArray Favourites = R"({"readOnly": true, "name": {"eng": "Favourites"}, "conditions": []})";
const QByteArray Mine = R"({"conditions": [{"A": "Market", "B": "Volume", "C": "GE", "V1": 1000}]})";
const QByteArray PredefinedMine = R"({"readOnly": true, "conditions": []})";

QStringList entries(MyTemplates& panel)
{
    auto* list = panel.findChild<QComboBox*>(QStringLiteral("TemplatesList"));
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->itemText(i);
    return texts;
}

QString shownEntry(MyTemplates& panel)
{
    return panel.findChild<QComboBox*>(QStringLiteral("TemplatesList"))->currentText();
}

QStringList tree(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class tst_TemplatesDownload : public QObject
{
    Q_OBJECT

    TrustedHttpsServer tls;
    HttpTestServer& server = tls.server();
    std::optional<QTemporaryDir> data;
    QString templates;
    QLog* log = nullptr;
    QStringList boxes;

    // The panel with the user's own template "Mine" open and edited.
    void openEdited(MyTemplates& panel)
    {
        panel.ReloadTemplates(QStringLiteral("Mine"));
        QCOMPARE(panel.CurrentTemplate(), QStringLiteral("Mine"));
        auto* value = panel.findChild<QLineEdit*>(QStringLiteral("Value1"));
        QVERIFY(value);
        QTest::keyClicks(value, QStringLiteral("5"));
        QVERIFY(panel.IsChanged());
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(tls.error().isEmpty(), qPrintable(tls.error()));
        qRegisterMetaType<QLog::QLogType>();
        log = new QLog;
        QConfirm::Init();
        SetInteractiveLevel(QConfirm::All);
        QConfirm::SetResponder([this](QMessageBox* box) {
            boxes << box->text();
            return box->button(QMessageBox::No);
        });
    }

    void cleanupTestCase()
    {
        QConfirm::SetResponder({});
        delete log;
    }

    void init()
    {
        server.clearRequests();
        boxes.clear();
        data.emplace();
        QVERIFY(data->isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(data->filePath(QStringLiteral("config"))));
        templates = data->filePath(QStringLiteral("configtemplates"));
        QVERIFY(QDir().mkpath(templates));
        writeFile(templates + QStringLiteral("/Mine.twt"), Mine);
    }

    // Installed while the user works: nothing asked, nothing reloaded, the
    // open template still chosen, the user's file of the same name kept.
    void installedInTheBackground()
    {
        LocalProductSite site(server);
        server.setReply("GET", ArchivePath,
            ScriptedReply::text(makeZip({ ZipEntry::file("Favourites.twt", Favourites),
                                    ZipEntry::file("Mine.twt", PredefinedMine) }),
                "application/zip"));
        MyTemplates panel;
        openEdited(panel);
        QSignalSpy loaded(&panel, &MyTemplates::TemplateLoaded);
        LogRecords records(log);

        panel.UpdateFromInternet();
        QTRY_COMPARE_WITH_TIMEOUT(records.last(), QStringLiteral("Predefined templates were updated."), Patience);
        QCOMPARE(server.lastRequest().path(), ArchivePath);
        QCOMPARE(records.all().first(), qMakePair(QLog::QLogType::Info, QStringLiteral("Updating predefined templates...")));
        QCOMPARE(records.count(), 3); // and the warning that "Mine" was kept
        QCOMPARE(entries(panel), (QStringList { "[Unsaved]", "Favourites", "Mine" }));
        QCOMPARE(shownEntry(panel), QStringLiteral("Mine"));
        QCOMPARE(panel.CurrentTemplate(), QStringLiteral("Mine"));
        QVERIFY(panel.IsChanged());
        QCOMPARE(loaded.count(), 0);
        QCOMPARE(boxes, QStringList());
        QCOMPARE(contentOf(templates + QStringLiteral("/Mine.twt")), Mine);
        QCOMPARE(contentOf(templates + QStringLiteral("/Favourites.twt")), Favourites);
    }

    void failures_data()
    {
        QTest::addColumn<ScriptedReply>("answer");
        QTest::addColumn<QString>("outcome");
        // clang-format off
        QTest::newRow("404") << ScriptedReply::error(404)
            << QStringLiteral("Error transferring %1 - server replied: Not Found").arg(server.url(ArchivePath));
        QTest::newRow("HTML page") << ScriptedReply::text("<html>Maintenance</html>", "text/html")
            << "The templates archive is not a zip file or is empty.";
        QTest::newRow("only entries leading out")
            << ScriptedReply::text(makeZip({ ZipEntry::file("../../x.twt", Favourites), ZipEntry::link("y.twt", "/etc/passwd") }), "application/zip")
            << "The templates archive holds no template; nothing was installed.";
        // clang-format on
    }

    void failures()
    {
        QFETCH(ScriptedReply, answer);
        QFETCH(QString, outcome);
        LocalProductSite site(server);
        server.setReply("GET", ArchivePath, answer);
        MyTemplates panel;
        openEdited(panel);
        const QStringList before = tree(data->path());
        LogRecords records(log);

        panel.UpdateFromInternet();
        QTRY_COMPARE_WITH_TIMEOUT(records.last(), outcome, Patience);
        QCOMPARE(records.all().last().first, QLog::QLogType::Error);
        QCOMPARE(entries(panel), (QStringList { "[Unsaved]", "Mine" }));
        QCOMPARE(shownEntry(panel), QStringLiteral("Mine"));
        QCOMPARE(tree(templates), QStringList { "Mine.twt" });
        QCOMPARE(tree(data->path()), before);
        QCOMPARE(boxes, QStringList());
    }
};

QTEST_MAIN(tst_TemplatesDownload)
#include "tst_templatesdownload.moc"
