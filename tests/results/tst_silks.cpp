#include "HttpTestServer.h"
#include "LocalExchange.h"
#include "LogLines.h"
#include "ProgramTranslation.h"
#include "QCatalog.h"
#include "QSilksTooltip.h"

#include <QBuffer>
#include <QFormLayout>
#include <QImage>
#include <QJsonDocument>
#include <QLabel>
#include <QNetworkReply>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QtTest>

namespace {

constexpr int Patience = 20000;
const QString ImagePrefix = QStringLiteral("/feeds_images/Horses/SilkColours/");

using Rows = QList<QPair<QString, QString>>;

QJsonObject Metadata(const char* text)
{
    return QJsonDocument::fromJson(text).object();
}

QByteArray Png(int width, int height, QColor color = QColor(200, 20, 40))
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return buffer.data();
}

QFormLayout* Form(const QSilksTooltip& tooltip)
{
    return qobject_cast<QFormLayout*>(tooltip.layout());
}

QLabel* Cell(const QSilksTooltip& tooltip, int row, QFormLayout::ItemRole role)
{
    QLayoutItem* item = Form(tooltip)->itemAt(row, role);
    return item ? qobject_cast<QLabel*>(item->widget()) : nullptr;
}

// The silk image as shown; null until one has arrived.
QPixmap Picture(const QSilksTooltip& tooltip)
{
    return Cell(tooltip, 0, QFormLayout::FieldRole)->pixmap(Qt::ReturnByValue);
}

// The metadata rows under the name row: label and value as shown.
Rows MetadataRows(const QSilksTooltip& tooltip)
{
    Rows rows;
    for (int row = 1; row < Form(tooltip)->rowCount(); ++row)
        rows.append({ Cell(tooltip, row, QFormLayout::LabelRole)->text(),
            Cell(tooltip, row, QFormLayout::FieldRole)->text() });
    return rows;
}

} // namespace

Q_DECLARE_METATYPE(Rows)

class tst_Silks : public QObject
{
    Q_OBJECT

    HttpTestServer server;
    LocalExchange exchange { server };
    LogLines log;

    // Every reply of the shared manager, with or without a receiver.
    QSignalSpy* replies = nullptr;

    // A tooltip whose image request has ended, one way or the other.
    std::unique_ptr<QSilksTooltip> settled(const QString& name, const QJsonObject& metadata)
    {
        const int before = replies->count();
        auto tooltip = std::make_unique<QSilksTooltip>(nullptr, name, metadata);
        if (!QTest::qWaitFor([&] { return replies->count() > before; }, Patience))
            qWarning("no reply to the image request");
        return tooltip;
    }

private slots:
    void initTestCase()
    {
        QSilksTooltip::InitMetadataNames();
        QCatalog::Init(QString());
        qRegisterMetaType<QNetworkReply*>();
        replies = new QSignalSpy(QNetwork::Shared(), &QNetworkAccessManager::finished);
    }

    void cleanupTestCase() { delete replies; }

    void init()
    {
        log.clear();
        server.clearRequests();
    }

    void metadataNames_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("label");
        QTest::newRow("en") << "en_GB" << "SEX_TYPE" << "Sex of the horse";
        QTest::newRow("ru") << "ru_RU" << "SEX_TYPE" << QString::fromUtf8("Пол лошади");
        QTest::newRow("ru grandfather") << "ru_RU" << "DAM_SIRE_BRED"
                                        << QString::fromUtf8("Страна рождения дедушки лошади");
        QTest::newRow("no translation") << "" << "SEX_TYPE" << "SEX_TYPE";
        QTest::newRow("image file") << "en_GB" << "COLOURS_FILENAME" << QString();
        QTest::newRow("lower case") << "en_GB" << "sex_type" << QString();
    }

    void metadataNames()
    {
        QFETCH(QString, language);
        QFETCH(QString, key);
        QFETCH(QString, label);
        const ProgramTranslation translation(language);
        QVERIFY(translation.isValid());
        const QString name = QSilksTooltip::MetadataName(key);
        QCOMPARE(name, label);
        QCOMPARE(name.isNull(), label.isNull());
    }

    void rows_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QJsonObject>("metadata");
        QTest::addColumn<Rows>("rows");
        const QString ru = QStringLiteral("ru_RU");

        QTest::newRow("key order, no row for the file or an unknown key")
            << "en_GB"
            << Metadata(R"({"JOCKEY_NAME": "R Moore", "AGE": "4", "COLOURS_FILENAME": "1.jpg", "STABLE": "x"})")
            << Rows { { "Age of the horse", "4" }, { "Name of the jockey", "R Moore" } };
        QTest::newRow("null value: no row; empty string: a row")
            << "en_GB" << Metadata(R"({"TRAINER_NAME": null, "OWNER_NAME": ""})")
            << Rows { { "Owner of the horse", "" } };
        QTest::newRow("a number shows empty")
            << "en_GB" << Metadata(R"({"AGE": 4})") << Rows { { "Age of the horse", "" } };
        QTest::newRow("keys compare by case") << "en_GB" << Metadata(R"({"age": "4", "Form": "1-2"})") << Rows {};
        QTest::newRow("nothing known") << "en_GB" << Metadata("{}") << Rows {};
        QTest::newRow("sex in English")
            << "en_GB" << Metadata(R"({"SEX_TYPE": "g"})") << Rows { { "Sex of the horse", "Gelding" } };
        QTest::newRow("sex in Russian")
            << ru << Metadata(R"({"SEX_TYPE": "f"})")
            << Rows { { QString::fromUtf8("Пол лошади"), QString::fromUtf8("Молодая кобыла") } };
        QTest::newRow("sex outside the catalog")
            << "en_GB" << Metadata(R"({"SEX_TYPE": "m"})") << Rows { { "Sex of the horse", "m" } };
        QTest::newRow("sex code is not a label key")
            << "en_GB" << Metadata(R"({"FORM": "g"})") << Rows { { "Form", "g" } };
        QTest::newRow("Russian labels")
            << ru << Metadata(R"({"WEIGHT_VALUE": "140", "BRED": "IRE"})")
            << Rows { { QString::fromUtf8("Страна рождения лошади"), "IRE" },
                   { QString::fromUtf8("Вес лошади"), "140" } };
    }

    void rows()
    {
        QFETCH(QString, language);
        QFETCH(QJsonObject, metadata);
        QFETCH(Rows, rows);
        const ProgramTranslation translation(language);
        QVERIFY(translation.isValid());
        const auto tooltip = settled("Frankel", metadata);
        QCOMPARE(Cell(*tooltip, 0, QFormLayout::LabelRole)->text(), "Frankel");
        QCOMPARE(MetadataRows(*tooltip), rows);
    }

    // Outside text is shown as it stands, never as markup.
    void plainText()
    {
        const auto tooltip = settled("<b>Bold</b> &amp;", Metadata(R"({"TRAINER_NAME": "<i>A</i>"})"));
        QLabel* name = Cell(*tooltip, 0, QFormLayout::LabelRole);
        QLabel* value = Cell(*tooltip, 1, QFormLayout::FieldRole);
        QCOMPARE(name->textFormat(), Qt::PlainText);
        QCOMPARE(value->textFormat(), Qt::PlainText);
        QCOMPARE(value->text(), "<i>A</i>");
    }

    void popup()
    {
        auto* tooltip = new QSilksTooltip(nullptr, "Frankel", QJsonObject());
        QVERIFY(tooltip->windowFlags() & Qt::Popup);
        QVERIFY(tooltip->windowFlags() & Qt::FramelessWindowHint);
        // Three pixels around the rows and between them.
        QCOMPARE(Form(*tooltip)->contentsMargins(), QMargins(3, 3, 3, 3));
        QCOMPARE(Form(*tooltip)->spacing(), 3);
        QPointer<QSilksTooltip> alive(tooltip);
        tooltip->show();
        QVERIFY(QTest::qWaitForWindowExposed(tooltip));
        // Anywhere inside, any button.
        QTest::mousePress(tooltip, Qt::RightButton, Qt::NoModifier, QPoint(tooltip->width() - 1, 1));
        QTRY_VERIFY_WITH_TIMEOUT(alive.isNull(), Patience);
    }

    void image()
    {
        server.setReply("GET", ImagePrefix + "c123.png", ScriptedReply::text(Png(24, 30), "image/png"));
        const auto tooltip = settled("Frankel", Metadata(R"({"COLOURS_FILENAME": "c123.png"})"));
        const QPixmap pixmap = Picture(*tooltip);
        QCOMPARE(pixmap.size(), QSize(24, 30));
        QCOMPARE(pixmap.toImage().pixelColor(5, 5), QColor(200, 20, 40));
        QVERIFY(tooltip->height() >= 30);
        QCOMPARE(server.lastRequest().method, "GET");
        QVERIFY(log.isEmpty());
    }

    // A reply that is no image leaves the place empty, silently.
    void notAnImage()
    {
        server.setReply("GET", ImagePrefix + "c124.png", ScriptedReply::text("<html>moved</html>", "text/html"));
        const auto tooltip = settled("Frankel", Metadata(R"({"COLOURS_FILENAME": "c124.png"})"));
        QVERIFY(Picture(*tooltip).isNull());
        QVERIFY(log.isEmpty());
    }

    void missingImage()
    {
        const auto tooltip = settled("Frankel", Metadata(R"({"COLOURS_FILENAME": "gone.png", "AGE": "4"})"));
        QCOMPARE(log.size(), 1);
        QVERIFY2(log.first().startsWith("W Silk image load error: Network error: "), qPrintable(log.first()));
        QVERIFY(log.first().contains("Not Found"));
        QVERIFY(Picture(*tooltip).isNull());
        QCOMPARE(MetadataRows(*tooltip), (Rows { { "AGE", "4" } }));
    }

    void missingImageInRussian()
    {
        const ProgramTranslation russian("ru_RU");
        const auto tooltip = settled("Frankel", Metadata(R"({"COLOURS_FILENAME": "gone.png"})"));
        QCOMPARE(log.size(), 1);
        QVERIFY2(log.first().startsWith(QString::fromUtf8("W Ошибка загрузки изображения: ")), qPrintable(log.first()));
    }

    // The reply of a tooltip that has gone reaches nothing.
    void closedBeforeTheReply()
    {
        server.setReply("GET", ImagePrefix + "slow.png", ScriptedReply::error(404).held());
        const int before = replies->count();
        auto* tooltip = new QSilksTooltip(nullptr, "Frankel", Metadata(R"({"COLOURS_FILENAME": "slow.png"})"));
        QPointer<QSilksTooltip> alive(tooltip);
        tooltip->show();
        QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 1, Patience);
        tooltip->close();
        // The transfer stops with the tooltip: nothing else would bound what the server sends.
        QCOMPARE(replies->count(), before + 1);
        QTRY_VERIFY_WITH_TIMEOUT(alive.isNull(), Patience);
        server.releaseAll();
        QTRY_COMPARE_WITH_TIMEOUT(replies->count(), before + 1, Patience);
        QVERIFY2(log.isEmpty(), qPrintable(log.join('\n')));
    }

    // Closed, its deletion still to come: the end of the request is dropped.
    void closedAwaitingDeletion()
    {
        // Held until it has arrived, so that no request of this test reaches the server during the next.
        server.setReply("GET", ImagePrefix + "c125.png", ScriptedReply::text(Png(10, 10), "image/png").held());
        const int before = replies->count();
        auto* tooltip = new QSilksTooltip(nullptr, "Frankel", Metadata(R"({"COLOURS_FILENAME": "c125.png"})"));
        tooltip->show();
        QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 1, Patience);
        tooltip->close();
        tooltip->Finished(QMarkedRequest::Error, "Network error: refused", nullptr);
        QVERIFY(log.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(replies->count(), before + 1, Patience);
        server.releaseAll();
    }

    // Whatever the file name holds, it is one segment under the folder.
    void fileNameIsOneSegment_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("target");
        QTest::newRow("plain") << "c20401.jpg" << QByteArray("c20401.jpg");
        QTest::newRow("parent folders") << "../../etc/passwd" << QByteArray("..%2F..%2Fetc%2Fpasswd");
        QTest::newRow("query and fragment") << "a.png?size=big#top" << QByteArray("a.png%3Fsize%3Dbig%23top");
        QTest::newRow("percent and blank") << "50%25 off.png" << QByteArray("50%2525%20off.png");
        QTest::newRow("backslash") << "..\\x.png" << QByteArray("..%5Cx.png");
        QTest::newRow("non-ASCII") << QString::fromUtf8("ж.png") << QByteArray("%D0%B6.png");
        QTest::newRow("missing") << QString() << QByteArray();
    }

    void fileNameIsOneSegment()
    {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, target);
        QJsonObject metadata { { "AGE", "4" } };
        if (!fileName.isNull())
            metadata.insert("COLOURS_FILENAME", fileName);
        const auto tooltip = settled("Frankel", metadata);
        QCOMPARE(server.requestCount(), 1);
        const RecordedRequest request = server.lastRequest();
        QCOMPARE(request.target, ImagePrefix.toLatin1() + target);
        QCOMPARE(request.path(), ImagePrefix + fileName);
    }

    // "." and ".." could only name a folder: no request is made for them.
    void dotNamesAreNotRequested()
    {
        for (const char* name : { ".", ".." }) {
            QSilksTooltip tooltip(nullptr, "Frankel", QJsonObject { { "COLOURS_FILENAME", name } });
            Q_UNUSED(tooltip)
        }
        const auto tooltip = settled("Frankel", Metadata(R"({"COLOURS_FILENAME": "..."})"));
        QCOMPARE(server.requestCount(), 1);
        QCOMPARE(server.lastRequest().target, ImagePrefix.toLatin1() + "...");
    }

    // The reply is read up to a size of our own, and only a picture of
    // modest size is unpacked.
    void imageLimits_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QSize>("shown");
        QTest::addColumn<QString>("logged");
        const int limit = 512 * 1024;
        const QByteArray picture = Png(16, 16);
        QTest::newRow("bytes at the limit")
            << picture + QByteArray(limit - picture.size(), '\0') << QSize(16, 16) << QString();
        QTest::newRow("one byte past") << picture + QByteArray(limit + 1 - picture.size(), '\0') << QSize()
                                       << "W Silk image load error: the image is larger than 512 KB";
        QTest::newRow("1024 pixels wide") << Png(1024, 2) << QSize(1024, 2) << QString();
        QTest::newRow("1025 pixels wide") << Png(1025, 2) << QSize() << QString();
        QTest::newRow("1025 pixels high") << Png(2, 1025) << QSize() << QString();
    }

    void imageLimits()
    {
        QFETCH(QByteArray, body);
        QFETCH(QSize, shown);
        QFETCH(QString, logged);
        server.setReply("GET", ImagePrefix + "big.png", ScriptedReply::text(body, "image/png"));
        const auto tooltip = settled("Frankel", Metadata(R"({"COLOURS_FILENAME": "big.png"})"));
        QCOMPARE(Picture(*tooltip).isNull() ? QSize() : Picture(*tooltip).size(), shown);
        QCOMPARE(log, logged.isEmpty() ? QStringList() : QStringList { logged });
    }

    // A slow site that has sent past the limit and is still sending: the
    // transfer is stopped on the way, and the log gives the size as the reason.
    void largeImageStoppedOnTheWay()
    {
        QTcpServer site;
        QVERIFY(site.listen(QHostAddress::LocalHost));
        QPointer<QTcpSocket> socket;
        // A byte now and then keeps the transfer going until its progress is reported.
        QTimer trickle;
        connect(&trickle, &QTimer::timeout, &site, [&socket] {
            if (socket)
                socket->write(QByteArray(1, '\0'));
        });
        connect(&site, &QTcpServer::newConnection, &site, [&] {
            socket = site.nextPendingConnection();
            connect(
                socket, &QTcpSocket::readyRead, socket, [&socket, &trickle, head = QByteArray()]() mutable {
                    head += socket->readAll();
                    if (!head.endsWith("\r\n\r\n") || trickle.isActive())
                        return;
                    socket->write(
                        "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nContent-Length: 10000000\r\n\r\n"
                        + Png(16, 16) + QByteArray(600 * 1024, '\0'));
                    trickle.start(20);
                });
        });
        const QString silks = QBetFair::SilkImageUrl;
        const auto restore = qScopeGuard([&silks] { QBetFair::SilkImageUrl = silks; });
        QBetFair::SilkImageUrl = QString("http://127.0.0.1:%1/%2").arg(site.serverPort()).arg("%1");
        const auto tooltip = settled("Frankel", Metadata(R"({"COLOURS_FILENAME": "endless.png"})"));
        QVERIFY(Picture(*tooltip).isNull());
        QCOMPARE(log, QStringList { "W Silk image load error: the image is larger than 512 KB" });
    }

    // Last: its answer is kept back until the program ends. A tooltip
    // deleted (not closed) while it waits logs nothing; its request is the
    // network's to free at the end, which the sanitizer build's leak check
    // watches.
    void deletedWhileWaiting()
    {
        server.setReply("GET", ImagePrefix + "never.png", ScriptedReply::error(404).held());
        auto* tooltip = new QSilksTooltip(nullptr, "Frankel", Metadata(R"({"COLOURS_FILENAME": "never.png"})"));
        QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 1, Patience);
        delete tooltip;
        QCoreApplication::processEvents();
        QVERIFY2(log.isEmpty(), qPrintable(log.join('\n')));
    }
};

QTEST_MAIN(tst_Silks)
#include "tst_silks.moc"
