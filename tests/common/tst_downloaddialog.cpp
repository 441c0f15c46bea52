#include "DownloadDialog.h"
#include "FileDialog.h"
#include "QConfirm.h"
#include "TrustedHttpsServer.h"

#include <QAbstractButton>
#include <QDir>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const int Patience = 20000;

QByteArray Pattern(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xff);
    return bytes;
}

QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Stands in for the user: picks the folder and answers every error box with
// its Help button, so the help topic can be seen.
struct FakeUser
{
    QString folder;
    int folderQuestions = 0;
    QString caption;
    QString start;
    QStringList boxes;
    QSignalSpy topics { QConfirm::Instance(), &QConfirm::showHelp };

    explicit FakeUser(const QString& folder)
        : folder(folder)
    {
        FileDialog::SetResponder([this](const FileDialog::Request& request) {
            ++folderQuestions;
            caption = request.caption;
            start = request.directory;
            return this->folder;
        });
        QConfirm::SetResponder([this](QMessageBox* box) -> QAbstractButton* {
            boxes.append(box->text());
            for (QAbstractButton* button : box->buttons()) {
                if (box->buttonRole(button) == QMessageBox::HelpRole)
                    return button;
            }
            return box->button(QMessageBox::Ok);
        });
    }
    ~FakeUser()
    {
        FileDialog::SetResponder({});
        QConfirm::SetResponder({});
    }

    QStringList helpTopics() const
    {
        QStringList shown;
        for (const QList<QVariant>& call : topics)
            shown.append(call.first().toString());
        return shown;
    }

    Q_DISABLE_COPY(FakeUser)
};

} // namespace

class tst_DownloadDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void download_data();
    void download();
    void olderFileOfTheSameName_data();
    void olderFileOfTheSameName();
    void refusedAddress_data();
    void refusedAddress();
    void saveName_data();
    void saveName();
    void traversalStaysInTheFolder();
    void folderChoice();
    void saveFails_data();
    void saveFails();
    void progress_data();
    void progress();

private:
    TrustedHttpsServer tls;
    HttpTestServer& server = tls.server();
    QTemporaryDir top;
    QString folder;
};

void tst_DownloadDialog::initTestCase()
{
    QVERIFY2(tls.error().isEmpty(), qPrintable(tls.error()));
    QConfirm::Init();
}

void tst_DownloadDialog::init()
{
    server.clearRequests();
    static int serial = 0;
    folder = top.filePath(QStringLiteral("case%1").arg(++serial));
    QVERIFY(QDir().mkpath(folder));
}

void tst_DownloadDialog::download_data()
{
    QTest::addColumn<ScriptedReply>("answer");
    QTest::addColumn<QByteArray>("saved");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("topic");

    const QByteArray small = Pattern(200);
    const QByteArray large = Pattern(700 * 1024 + 13);
    const QString secureTarget = server.url(QStringLiteral("/mirror/other.bin"));
    const QString plainTarget = QStringLiteral("http://127.0.0.1:%1/mirror/other.bin").arg(server.port());

    QTest::newRow("with a length") << ScriptedReply::text(small, "application/octet-stream") << small
                                   << "Downloading (100%)" << QString() << QString();
    QTest::newRow("chunked without a length")
        << ScriptedReply::text(large, "application/octet-stream").inChunks() << large << "Downloading (100%)"
        << QString() << QString();
    QTest::newRow("redirect to https")
        << ScriptedReply::text("", "text/html", 302).withHeader("Location", secureTarget.toUtf8())
        << QByteArray("mirrored") << "Downloading (100%)" << QString() << QString();
    QTest::newRow("redirect to http")
        << ScriptedReply::text("moved", "text/html", 302).withHeader("Location", plainTarget.toUtf8())
        << QByteArray() << ""
        << "[Ii]nsecure redirect"
        << "NetworkError";
    QTest::newRow("not found") << ScriptedReply::error(404) << QByteArray() << ""
                               << "Not Found"
                               << "NetworkError";
    QTest::newRow("no content") << ScriptedReply::text("", "text/plain", 204) << QByteArray() << ""
                                << "HTTP status 204"
                                << "NetworkError";
}

// Accepted with the whole file under the URL's name, or an error box,
// Rejected and an untouched folder.
void tst_DownloadDialog::download()
{
    QFETCH(ScriptedReply, answer);
    QFETCH(QByteArray, saved);
    QFETCH(QString, title);
    QFETCH(QString, box);
    QFETCH(QString, topic);
    server.setReply("GET", "/download/setup.exe", answer);
    server.setReply("GET", "/mirror/other.bin", ScriptedReply::text("mirrored", "application/octet-stream"));

    FakeUser user(folder);
    {
        DownloadDialog dialog(QUrl(server.url(QStringLiteral("/download/setup.exe"))));
        const int result = dialog.exec();
        QCOMPARE(user.folderQuestions, 1);
        if (box.isEmpty()) {
            QCOMPARE(user.boxes, QStringList());
            QCOMPARE(result, int(QDialog::Accepted));
            QCOMPARE(dialog.FileName(), folder + QStringLiteral("/setup.exe"));
            QCOMPARE(Contents(dialog.FileName()), saved);
            QCOMPARE(dialog.windowTitle(), title);
        } else {
            QCOMPARE(result, int(QDialog::Rejected));
            QCOMPARE(dialog.FileName(), QString());
            QCOMPARE(user.boxes.size(), 1);
            QVERIFY2(
                QRegularExpression(box).match(user.boxes.first()).hasMatch(), qPrintable(user.boxes.first()));
            QCOMPARE(user.helpTopics(), QStringList { topic });
        }
    }
    // No temporary file is left behind either.
    QCOMPARE(Entries(folder), box.isEmpty() ? QStringList { "setup.exe" } : QStringList());
}

void tst_DownloadDialog::olderFileOfTheSameName_data()
{
    QTest::addColumn<ScriptedReply>("answer");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("download fails") << ScriptedReply::error(500) << false;
    QTest::newRow("download succeeds") << ScriptedReply::text("new", "application/octet-stream") << true;
}

// A failed download leaves an older file alone and never offers it as the
// one just downloaded; a successful one replaces it.
void tst_DownloadDialog::olderFileOfTheSameName()
{
    QFETCH(ScriptedReply, answer);
    QFETCH(bool, accepted);
    server.setReply("GET", "/setup.exe", answer);
    const QString target = folder + QStringLiteral("/setup.exe");
    {
        QFile older(target);
        QVERIFY(older.open(QIODevice::WriteOnly));
        older.write("old");
    }

    FakeUser user(folder);
    DownloadDialog dialog(QUrl(server.url(QStringLiteral("/setup.exe"))));
    QCOMPARE(dialog.exec(), accepted ? int(QDialog::Accepted) : int(QDialog::Rejected));
    QCOMPARE(dialog.FileName(), accepted ? target : QString());
    QCOMPARE(Contents(target), accepted ? QByteArray("new") : QByteArray("old"));
}

void tst_DownloadDialog::refusedAddress_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("topic");

    QTest::newRow("plain http") << "http://127.0.0.1:%1/setup.exe"
                                << "not offered over a secure connection"
                                << "NetworkError";
    QTest::newRow("entity in the address") << "http://127.0.0.1:%1/a&amp;b.exe"
                                           << "a&amp;amp;b.exe"
                                           << "NetworkError";
    QTest::newRow("folder") << "https://127.0.0.1:%1/download/"
                            << "names no file"
                            << "SaveFile";
    QTest::newRow("dot dot") << "https://127.0.0.1:%1/download/%2E%2E"
                             << "names no file"
                             << "SaveFile";
}

// Refused before any folder is asked for or anything is requested.
void tst_DownloadDialog::refusedAddress()
{
    QFETCH(QString, address);
    QFETCH(QString, box);
    QFETCH(QString, topic);
    server.setFallbackReply(ScriptedReply::text("file", "application/octet-stream"));

    FakeUser user(folder);
    DownloadDialog dialog(
        QUrl(address.replace(QLatin1String("%1"), QString::number(server.port())), QUrl::TolerantMode));
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QCOMPARE(user.folderQuestions, 0);
    QCOMPARE(user.boxes.size(), 1);
    QVERIFY2(user.boxes.first().contains(box), qPrintable(user.boxes.first()));
    QCOMPARE(user.helpTopics(), QStringList { topic });
    QCOMPARE(server.requestCount(), 0);
    QCOMPARE(dialog.FileName(), QString());
    server.setFallbackReply(ScriptedReply::error(404));
}

void tst_DownloadDialog::saveName_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("name");

    QTest::newRow("plain name") << "https://h/download/setup.exe"
                                << "setup.exe";
    QTest::newRow("encoded blank") << "https://h/download/Setup%20v2.exe"
                                   << "Setup v2.exe";
    QTest::newRow("encoded slashes") << "https://h/download/..%2F..%2F.profile"
                                     << ".profile";
    QTest::newRow("encoded backslashes") << "https://h/download/..%5C..%5Cevil.exe"
                                         << "evil.exe";
    QTest::newRow("encoded dots") << "https://h/download/%2E%2E"
                                  << "";
    QTest::newRow("dot dot") << "https://h/download/.."
                             << "";
    QTest::newRow("ends in encoded dot dot") << "https://h/download/a%2F.."
                                             << "";
    QTest::newRow("no path") << "https://h"
                             << "";
}

void tst_DownloadDialog::saveName()
{
    QFETCH(QString, address);
    QFETCH(QString, name);
    QCOMPARE(DownloadDialog::SaveName(QUrl(address, QUrl::TolerantMode)), name);
}

// A name that tries to climb out of the folder is saved inside it.
void tst_DownloadDialog::traversalStaysInTheFolder()
{
    server.setFallbackReply(ScriptedReply::text("payload", "application/octet-stream"));
    const QString inner = folder + QStringLiteral("/inner");
    QVERIFY(QDir().mkpath(inner));

    FakeUser user(inner);
    DownloadDialog dialog(QUrl(server.url(QStringLiteral("/download/..%2F..%2Fevil.exe"))));
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    server.setFallbackReply(ScriptedReply::error(404));
    QCOMPARE(dialog.FileName(), inner + QStringLiteral("/evil.exe"));
    QCOMPARE(Entries(inner), QStringList { "evil.exe" });
    QCOMPARE(Entries(folder), QStringList { "inner" });
    QCOMPARE(Entries(top.path()).filter(QStringLiteral("evil")), QStringList());
}

// No folder chosen: Rejected at once, with nothing requested or shown.
void tst_DownloadDialog::folderChoice()
{
    server.setReply("GET", "/setup.exe", ScriptedReply::text("file", "application/octet-stream"));
    FakeUser user { QString() };
    DownloadDialog dialog(QUrl(server.url(QStringLiteral("/setup.exe"))));
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QCOMPARE(user.folderQuestions, 1);
    QCOMPARE(user.caption, QStringLiteral("Where to save the file to?"));
    QCOMPARE(user.start, QStandardPaths::standardLocations(QStandardPaths::DownloadLocation).value(0));
    QCOMPARE(user.boxes, QStringList());
    QCOMPARE(server.requestCount(), 0);
    QCOMPARE(dialog.FileName(), QString());
}

void tst_DownloadDialog::saveFails_data()
{
    QTest::addColumn<bool>("folderMissing");
    QTest::addColumn<int>("asked");

    QTest::newRow("folder cannot be written") << true << 0;
    QTest::newRow("file cannot be put in place") << false << 1;
}

// Reported with the save topic and never taken for success.
void tst_DownloadDialog::saveFails()
{
    QFETCH(bool, folderMissing);
    QFETCH(int, asked);
    const QString target = folder + QStringLiteral("/setup.exe");
    // A folder of the same name appears while the file is on its way.
    server.setHandler("GET", "/commit/setup.exe", [target](const RecordedRequest&) {
        QDir().mkpath(target);
        return ScriptedReply::text("file", "application/octet-stream");
    });

    FakeUser user(folderMissing ? folder + QStringLiteral("/missing") : folder);
    DownloadDialog dialog(QUrl(server.url(QStringLiteral("/commit/setup.exe"))));
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QCOMPARE(dialog.FileName(), QString());
    QCOMPARE(server.requestCount(), asked);
    QCOMPARE(user.boxes.size(), 1);
    QVERIFY2(user.boxes.first().startsWith(QStringLiteral("Unable to save file. ")),
        qPrintable(user.boxes.first()));
    QCOMPARE(user.helpTopics(), QStringList { "SaveFile" });
}

void tst_DownloadDialog::progress_data()
{
    QTest::addColumn<qlonglong>("received");
    QTest::addColumn<qlonglong>("total");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("title");

    QTest::newRow("a quarter") << 50LL << 200LL << 25 << "Downloading (25%)";
    QTest::newRow("beyond 2 GiB") << (1LL << 40) << (1LL << 41) << 50 << "Downloading (50%)";
    QTest::newRow("more than announced") << 300LL << 200LL << 100 << "Downloading (100%)";
    QTest::newRow("no length") << 50LL << -1LL << 0 << "Downloading...";
}

void tst_DownloadDialog::progress()
{
    QFETCH(qlonglong, received);
    QFETCH(qlonglong, total);
    QFETCH(int, value);
    QFETCH(QString, title);

    DownloadDialog dialog(QUrl(QStringLiteral("https://h/setup.exe")));
    dialog.Progress(received, total);
    QCOMPARE(dialog.findChild<QProgressBar*>(QStringLiteral("progressBar"))->value(), value);
    QCOMPARE(dialog.windowTitle(), title);
}

QTEST_MAIN(tst_DownloadDialog)
#include "tst_downloaddialog.moc"
