#include "ChartTest.h"
#include "ClosedPort.h"

#include <QDrag>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

// One chart tile against a local chart site.
class tst_Chart : public QObject
{
    Q_OBJECT

    HttpTestServer server;
    LocalExchange exchange { server };
    const QString address = QBetFair::ChartUrl("1.123", 456);
    const int transferTimeout = QNetwork::TransferTimeout;

    // What Qt itself reports when a download of url fails.
    static QString referenceError(const QString& url)
    {
        QNetworkAccessManager manager;
        std::unique_ptr<QNetworkReply> reply(manager.get(QNetworkRequest(QUrl(url))));
        QSignalSpy finished(reply.get(), &QNetworkReply::finished);
        if (!reply->isFinished())
            finished.wait(Patience);
        return reply->errorString();
    }

private slots:
    void initTestCase() { QConfirm::Init(); }

    void init()
    {
        server.clearRequests();
        server.setReply("GET", ChartPath, chartReply());
        SetInteractiveLevel(QConfirm::All);
    }

    void cleanup()
    {
        server.releaseAll();
        // A short limit left to the next test would end its held replies under load.
        QNetwork::TransferTimeout = transferTimeout;
    }

    void showsCroppedImage_data()
    {
        QTest::addColumn<QString>("title");
        QTest::newRow("short title") << "Winner: Red Rum";
        QTest::newRow("title wider than the image")
            << "Soccer → Event 1 → Match Odds - Runner 1 of the home team";
    }

    // The image shown whole or with the wrong bands cut off (a label stretched to a wide title shows them);
    // an error text cut by that crop.
    void showsCroppedImage()
    {
        QFETCH(QString, title);
        QBetFairChart tile(nullptr, "1.123");
        tile.ShowChart(address, title);
        QLabel* label = part(&tile, "label");
        QCOMPARE(label->text(), QString("Loading..."));
        QTRY_VERIFY_WITH_TIMEOUT(showsImage(&tile), Patience);
        QCOMPARE(server.lastRequest().path(), ChartPath);
        QCOMPARE(server.lastRequest().query().toString(), QString("marketId=123&selectionId=456"));
        QCOMPARE(label->sizeHint(), QSize(250, 161));

        tile.show();
        QCOMPARE(label->size(), QSize(250, 161));
        QCOMPARE(tile.grab().toImage().pixelColor(0, 0), QColor(Qt::white)); // the tile round the image
        const QImage shown = label->grab().toImage();
        QCOMPARE(QColor(shown.pixel(0, 0)), QColor(24, 25, 0)); // 24 cut off the left, 25 off the top
        QCOMPARE(
            QColor(shown.pixel(249, 160)), QColor(273 & 0xff, 185, 1)); // 26 off the right, 14 off the bottom

        server.setReply("GET", ChartPath, ScriptedReply::error(404));
        tile.Update();
        QTRY_VERIFY_WITH_TIMEOUT(!showsImage(&tile), Patience);
        QCOMPARE(label->text(), referenceError(address));
        QCOMPARE(label->contentsMargins(), QMargins());
    }

    void failures_data()
    {
        QTest::addColumn<ScriptedReply>("reply");
        QTest::addColumn<QString>("shown"); // empty: the image; "<reference>": Qt's own error text
        const QByteArray notImage(QBetFairChart::MaxChartBytes, 'x');
        const int side = QBetFairChart::MaxChartSide;
        const QString unreadable = "The chart could not be read.";
        QTest::newRow("refused") << ScriptedReply() << "<reference>"; // no server listens
        QTest::newRow("no image, bytes at the limit") << ScriptedReply::text(notImage) << unreadable;
        QTest::newRow("bytes past the limit")
            << ScriptedReply::text(notImage + 'x') << "The chart was too large and was not loaded.";
        QTest::newRow("width at the limit") << chartReply(QSize(side, 2)) << "";
        QTest::newRow("width past the limit") << chartReply(QSize(side + 1, 2)) << unreadable;
        QTest::newRow("height past the limit") << chartReply(QSize(2, side + 1)) << unreadable;
        QTest::newRow("silent") << chartReply().held() << "The chart site did not answer in time.";
    }

    // A failure shown as an empty tile or as "Loading..." for ever; a huge image decoded.
    void failures()
    {
        QFETCH(ScriptedReply, reply);
        QFETCH(QString, shown);
        QString url = address;
        const ClosedPort closed;
        if (QByteArray(QTest::currentDataTag()) == "refused")
            url = closed.url("/chart");
        if (reply.hold)
            QNetwork::TransferTimeout = 300; // cleanup() restores it
        server.setReply("GET", ChartPath, reply);
        QBetFairChart tile(nullptr, "1.123");
        tile.ShowChart(url, "Title");
        QLabel* label = part(&tile, "label");
        QTRY_VERIFY_WITH_TIMEOUT(label->text() != "Loading...", Patience);
        QCOMPARE(showsImage(&tile), shown.isEmpty());
        QCOMPARE(label->text(), shown == "<reference>" ? referenceError(url) : shown);
    }

    // Refreshes piling up on a slow site.
    void refreshWhileWaiting()
    {
        server.enqueueReply("GET", ChartPath, chartReply().held());
        QBetFairChart tile(nullptr, "1.123");
        tile.ShowChart(address, "Title");
        QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 1, Patience);
        tile.Update();
        tile.Update();
        server.release();
        QTRY_VERIFY_WITH_TIMEOUT(showsImage(&tile), Patience);

        // The next refresh goes out again; by its arrival a stray one would have come too.
        server.enqueueReply("GET", ChartPath, chartReply().held());
        tile.Update();
        QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 1, Patience);
        QCOMPARE(server.requestCount(), 2);
    }

    // The tile may go while its image is on the way: the download goes with
    // it (its connection closes), and nothing is left for the end.
    void tileGoesMidDownload()
    {
        server.setReply("GET", ChartPath, chartReply().held());
        {
            QBetFairChart tile(nullptr, "1.123");
            tile.ShowChart(address, "Title");
            QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 1, Patience);
        }
        QTRY_COMPARE_WITH_TIMEOUT(server.heldCount(), 0, Patience);
    }

    // A site that never stops sending: given up as too large, not as a silent site.
    void endlessChart()
    {
        QTcpServer site;
        QVERIFY(site.listen(QHostAddress::LocalHost));
        connect(&site, &QTcpServer::newConnection, &site, [&site] {
            QTcpSocket* socket = site.nextPendingConnection();
            const auto more = [socket] { socket->write(QByteArray(64 * 1024, 'x')); };
            connect(socket, &QTcpSocket::bytesWritten, socket, more);
            connect(socket, &QTcpSocket::readyRead, socket, [socket, more] {
                socket->readAll();
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nConnection: close\r\n\r\n");
                more();
            });
        });
        QBetFairChart tile(nullptr, "1.123");
        tile.ShowChart(QString("http://127.0.0.1:%1/chart").arg(site.serverPort()), "Title");
        QTRY_COMPARE_WITH_TIMEOUT(
            part(&tile, "label")->text(), QString("The chart was too large and was not loaded."), Patience);
    }

    // Every download is freed once it has ended: a tile refreshed all day keeps none of them.
    void downloadsFreed()
    {
        struct Replies : QObject
        {
            QList<QPointer<QNetworkReply>> seen; // each reply, from its first event on
            bool eventFilter(QObject* watched, QEvent*) override
            {
                if (auto* reply = qobject_cast<QNetworkReply*>(watched); reply && !seen.contains(reply))
                    seen << reply;
                return false;
            }
        } replies;
        qApp->installEventFilter(&replies);
        QBetFairChart tile(nullptr, "1.123");
        tile.ShowChart(address, "Title");
        QTRY_VERIFY_WITH_TIMEOUT(showsImage(&tile), Patience);
        QCOMPARE(replies.seen.size(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(replies.seen.first().isNull(), Patience);
    }

    // The close mark shown while the pointer is over the tile; a press on it or Close asks for removal, a
    // press elsewhere drags the tile's address.
    void closeMark()
    {
        QBetFairChart tile(nullptr, "1.123");
        tile.ShowChart(address, "Title");
        tile.show();
        QLabel* close = part(&tile, "close");
        QEvent enter(QEvent::Enter), leave(QEvent::Leave);
        QApplication::sendEvent(&tile, &enter);
        QVERIFY(SamePicture(close->pixmap(Qt::ReturnByValue).toImage(), ":/icons/status_CLOSED.png"));
        QSignalSpy deleteMe(&tile, &QBetFairChart::DeleteMe);
        QTest::mousePress(&tile, Qt::LeftButton, {}, close->geometry().center());
        tile.Close();
        QCOMPARE(deleteMe, QList<QVariantList>({ { address }, { address } }));
        QApplication::sendEvent(&tile, &leave);
        QVERIFY(close->pixmap(Qt::ReturnByValue).isNull());

        QVERIFY(tile.findChildren<QDrag*>().isEmpty());
        QTest::mousePress(&tile, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(deleteMe.size(), 2);
        const QList<QDrag*> drags = tile.findChildren<QDrag*>();
        QCOMPARE(drags.size(), 1);
        QCOMPARE(drags.first()->mimeData()->text(), address);
        QCOMPARE(drags.first()->supportedActions(), Qt::MoveAction);
        // The toolkit lets a drag go once it has run (here at once: no display to drop on).
        QCoreApplication::sendPostedEvents(drags.first(), QEvent::DeferredDelete);
        QVERIFY(tile.findChildren<QDrag*>().isEmpty());
    }

    void deleteMarket_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("asked");
        QTest::newRow("all, yes") << int(QConfirm::All) << true << true;
        QTest::newRow("all, no") << int(QConfirm::All) << false << true;
        QTest::newRow("critical only") << int(QConfirm::Critical) << false << false;
    }

    // A market's charts removed against the user's no, or a question shown at a level that hides it.
    void deleteMarket()
    {
        QFETCH(int, level);
        QFETCH(bool, answer);
        QFETCH(bool, asked);
        SetInteractiveLevel(level);
        Answering user({ answer ? QMessageBox::Yes : QMessageBox::No });
        QBetFairChart tile(nullptr, "1.123");
        tile.show();
        QSignalSpy market(&tile, &QBetFairChart::DeleteMarket);

        // The context menu's one entry, chosen while the menu runs.
        QTimer::singleShot(0, &tile, [] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu && menu->actions().size() == 1);
            menu->actions().at(0)->trigger();
            menu->close();
        });
        QTest::mousePress(&tile, Qt::RightButton, {}, QPoint(5, 5));

        QCOMPARE(user.boxes.size(), int(asked));
        QCOMPARE(market, answer || !asked ? QList<QVariantList> { { "1.123" } } : QList<QVariantList>());
    }
};

QTEST_MAIN(tst_Chart)
#include "tst_chart.moc"
