#include "DownloadDialog.h"
#include "FakeUser.h"
#include "TestFiles.h"
#include "TrustedHttpsServer.h"

class tst_DownloadDialog : public QObject
{
    Q_OBJECT

    TrustedHttpsServer tls;
    HttpTestServer& server = tls.server();
    const ScriptedReply file = ScriptedReply::text("file", "application/octet-stream");
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
        server.setFallbackReply(file);
    }

    void init()
    {
        server.clearRequests();
        folder = top.filePath(QTest::currentTestFunction() + QString(QTest::currentDataTag()));
        QVERIFY(QDir().mkpath(folder));
    }

    void download_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<ScriptedReply>("answer"); // for /d/setup.exe
        QTest::addColumn<QString>("saved"); // name=content in the folder afterwards
        QTest::addColumn<QString>("box"); // empty: success
        const QByteArray large = QByteArray::number(1234567).repeated(100000);
        const QString setup = server.url("/d/setup.exe"), http = server.url("/").replace("https", "http");
        const ScriptedReply moved = ScriptedReply::text("moved", "text/html", 302);
        const QString older = "setup.exe=older";
        QTest::newRow("chunked, no length")
            << setup << ScriptedReply::text(large, "a/b").inChunks() << QString("setup.exe=" + large) << "";
        QTest::newRow("to https")
            << setup << moved.withHeader("Location", server.url("/o").toUtf8()) << "setup.exe=file" << "";
        QTest::newRow("to http")
            << setup << moved.withHeader("Location", (http + "o").toUtf8()) << older << "secure redirect";
        QTest::newRow("no content") << setup << ScriptedReply::text("", "a/b", 204) << older << "status 204";
        QTest::newRow("climbing") << server.url("/d/..%2F..%2FA%20b.exe") << file << "A b.exe=file" << "";
        QTest::newRow("http") << http + "setup.exe" << file << older << "not offered over";
        QTest::newRow("no name") << server.url("/d/%2E%2E") << file << older << "names no file";
        QTest::newRow("name taken")
            << server.url("/taken/setup.exe") << file << "setup.exe=<missing>" << "Unable to save file.";
    }

    // A failure taken for success, a file saved over http or outside the folder, a partial or stray file.
    void download()
    {
        QFETCH(QString, address);
        QFETCH(ScriptedReply, answer);
        QFETCH(QString, saved);
        QFETCH(QString, box);
        const QString name = saved.section('=', 0, 0), older = folder + "/setup.exe";
        server.setReply("GET", "/d/setup.exe", answer);
        server.setHandler("GET", "/taken/setup.exe", [this, older](const RecordedRequest&) {
            QFile::remove(older), QDir().mkpath(older);
            return file;
        });
        writeFile(older, "older");
        FakeUser user(folder);
        DownloadDialog dialog { QUrl(address) };
        QCOMPARE(dialog.exec(), box.isEmpty() ? QDialog::Accepted : QDialog::Rejected);
        QCOMPARE(dialog.FileName(), box.isEmpty() ? folder + "/" + name : QString());
        QCOMPARE(contentOf(folder + "/" + name), saved.section('=', 1).toUtf8());
        QCOMPARE(entries(folder).size(), name == "setup.exe" ? 1 : 2);
        QCOMPARE(user.boxes.size(), int(!box.isEmpty()));
        QVERIFY2(user.boxes.value(0).contains(box), qPrintable(user.boxes.value(0)));
        QCOMPARE(bool(user.asked), bool(server.requestCount()));
    }

    // The user's own cancel shown as an error, or the older file lost.
    void cancelled()
    {
        server.setReply("GET", "/d/setup.exe", file.held());
        writeFile(folder + "/setup.exe", "older");
        FakeUser user(folder);
        DownloadDialog dialog(QUrl(server.url("/d/setup.exe")));
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

    // A backslash climbing out of the folder; progress overflowing 32 bits.
    void nameAndProgress()
    {
        QCOMPARE(DownloadDialog::SaveName(QUrl("https://h/d/..%5C..%5Cevil.exe")), QString("evil.exe"));
        DownloadDialog dialog(QUrl("https://h/setup.exe"));
        dialog.Progress(1LL << 40, 1LL << 41);
        QCOMPARE(dialog.windowTitle(), QString("Downloading (50%)"));
    }
};

QTEST_MAIN(tst_DownloadDialog)
#include "tst_downloaddialog.moc"
