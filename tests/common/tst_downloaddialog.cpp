#include "DownloadDialog.h"
#include "FakeUser.h"
#include "TestFiles.h"
#include "TrustedHttpsServer.h"

class tst_DownloadDialog : public QObject
{
    Q_OBJECT

    TrustedHttpsServer tls;
    HttpTestServer& server = tls.server();
    QTemporaryDir top;
    QString folder;

    static QStringList entries(const QString& path)
    {
        return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(tls.error().isEmpty(), qPrintable(tls.error()));
        QConfirm::Init();
        server.setFallbackReply(ScriptedReply::text("file", "application/octet-stream"));
    }

    void init()
    {
        server.clearRequests();
        folder = top.filePath(QTest::currentTestFunction() + QString(QTest::currentDataTag()));
        QVERIFY(QDir().mkpath(folder));
    }

    void download_data()
    {
        QTest::addColumn<ScriptedReply>("answer");
        QTest::addColumn<QByteArray>("saved");
        QTest::addColumn<QString>("box"); // empty: success
        const QByteArray large = QByteArray::number(1234567).repeated(100000);
        const QByteArray http = QString("http://127.0.0.1:%1/other").arg(server.port()).toUtf8(), none;
        const ScriptedReply moved = ScriptedReply::text("moved", "text/html", 302);
        const QByteArray https = server.url("/other").toUtf8();
        QTest::newRow("chunked, no length") << ScriptedReply::text(large, "a/b").inChunks() << large << "";
        QTest::newRow("to https") << moved.withHeader("Location", https) << QByteArray("file") << "";
        QTest::newRow("to http") << moved.withHeader("Location", http) << none << "secure redirect";
        QTest::newRow("not found") << ScriptedReply::error(404) << none << "Not Found";
        QTest::newRow("no content") << ScriptedReply::text("", "a/b", 204) << none << "HTTP status 204";
    }

    // Accepted with the whole file under the URL's name, or one error box, Rejected and an older file of
    // that name kept and never offered; no temporary file is left behind.
    void download()
    {
        QFETCH(ScriptedReply, answer);
        QFETCH(QByteArray, saved);
        QFETCH(QString, box);
        server.setReply("GET", "/download/setup.exe", answer);
        writeFile(folder + "/setup.exe", "older");
        FakeUser user(folder);
        DownloadDialog dialog(QUrl(server.url("/download/setup.exe")));
        QCOMPARE(dialog.exec(), box.isEmpty() ? QDialog::Accepted : QDialog::Rejected);
        QCOMPARE(dialog.FileName(), box.isEmpty() ? folder + "/setup.exe" : QString());
        QCOMPARE(contentOf(folder + "/setup.exe"), box.isEmpty() ? saved : QByteArray("older"));
        QCOMPARE(user.boxes.size(), box.isEmpty() ? 0 : 1);
        QVERIFY2(user.boxes.value(0).contains(box), qPrintable(user.boxes.value(0)));
        QCOMPARE(user.topics, box.isEmpty() ? "" : "NetworkError");
        QCOMPARE(entries(folder), QStringList { "setup.exe" });
    }

    // The user's cancel while the file is on its way is no error: no box, the older file kept, nothing left behind.
    void cancelled()
    {
        server.setReply("GET", "/download/setup.exe", ScriptedReply::text("file", "application/octet-stream").held());
        writeFile(folder + "/setup.exe", "older");
        FakeUser user(folder);
        DownloadDialog dialog(QUrl(server.url("/download/setup.exe")));
        QTimer poll;
        connect(&poll, &QTimer::timeout, &dialog, [&] {
            if (server.heldCount() == 1)
                dialog.reject();
        });
        poll.start(10);
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        server.releaseAll();
        QCOMPARE(user.boxes, QStringList());
        QCOMPARE(contentOf(folder + "/setup.exe"), QByteArray("older"));
        QCOMPARE(entries(folder), QStringList { "setup.exe" });
    }

    // Refused before any folder is asked for or anything is requested; a cancelled folder choice; a folder
    // that cannot be written; one of the file's name appearing while it is on its way. At most one box, with
    // its help topic, Rejected, nothing offered; only the last asks the server.
    void refused()
    {
        const QString target = folder + "/setup.exe";
        server.setHandler("GET", "/setup.exe", [target](const RecordedRequest&) {
            QDir().mkpath(target);
            return ScriptedReply::text("file", "application/octet-stream");
        });
        const QString http = "http://127.0.0.1:%1/", https = "https://127.0.0.1:%1/";
        const QString unwritable = "Critical: Unable to save file. ";
        // address, folder chosen (null: never asked, empty: cancelled), box, topic
        const QStringList rows[] = {
            { http + "setup.exe", QString(), "Critical: The file is not offered over", "NetworkError" },
            { http + "a&amp;b.exe", QString(), "a&amp;amp;b.exe", "NetworkError" },
            { https + "download/%2E%2E", QString(), "Critical: The address names no file", "SaveFile" },
            { https + "setup.exe", "", "", "" }, { https + "setup.exe", folder, unwritable, "SaveFile" },
            { https + "setup.exe", folder + "/missing", unwritable, "SaveFile" } };
        for (const QStringList& row : rows) {
            FakeUser user(row[1]);
            DownloadDialog dialog(QUrl(QString(row[0]).arg(server.port()), QUrl::TolerantMode));
            QCOMPARE(dialog.exec(), int(QDialog::Rejected));
            QCOMPARE(dialog.FileName() + QString::number(user.asked), QString::number(!row[1].isNull()));
            QCOMPARE(user.boxes.size(), int(!row[2].isEmpty()));
            QVERIFY2(user.boxes.value(0).contains(row[2]), qPrintable(user.boxes.value(0)));
            QCOMPARE(user.topics, row[3]);
        }
        QCOMPARE(server.requestCount(), 1);
    }

    // Only the last part of the decoded name, and never "..": a name that tries to climb out of the folder
    // is saved inside it. Progress is computed in 64 bits and kept within 100.
    void nameAndProgress()
    {
        QCOMPARE(DownloadDialog::SaveName(QUrl("https://h/d/..%5C..%5Cevil.exe")), QString("evil.exe"));
        FakeUser user(folder + "/inner");
        QVERIFY(QDir().mkpath(user.answer));
        DownloadDialog dialog(QUrl(server.url("/download/..%2F..%2FSetup%20v2.exe")));
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(dialog.FileName(), user.answer + "/Setup v2.exe");
        QCOMPARE(entries(user.answer), QStringList { "Setup v2.exe" });
        QCOMPARE(entries(folder) + entries(top.path()).filter("Setup"), QStringList { "inner" });
        const qlonglong rows[][3] = { { 50, 200, 25 }, { 1LL << 40, 1LL << 41, 50 }, { 300, 200, 100 } };
        for (const auto& row : rows) {
            dialog.Progress(row[0], row[1]);
            QCOMPARE(dialog.windowTitle(), QString("Downloading (%1%)").arg(row[2]));
        }
    }

};

QTEST_MAIN(tst_DownloadDialog)
#include "tst_downloaddialog.moc"
