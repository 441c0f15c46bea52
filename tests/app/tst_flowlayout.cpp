#include "FlowLayout.h"
#include "Row.h"

#include <QSpacerItem>
#include <QVBoxLayout>
#include <QtTest>

class tst_FlowLayout : public QObject
{
    Q_OBJECT

    static QSpacerItem* fixed(const QSize& size)
    {
        return new QSpacerItem(size.width(), size.height(), QSizePolicy::Fixed, QSizePolicy::Fixed);
    }

private slots:
    void placement_data()
    {
        QTest::addColumn<int>("margin");
        QTest::addColumn<int>("width");
        QTest::addColumn<QList<QSize>>("sizes");
        QTest::addColumn<QList<QPoint>>("places");
        QTest::addColumn<int>("height");
        QTest::addColumn<QSize>("minimum");
        const QSize tile(200, 150);
        const QList<QSize> three { tile, tile, tile };
        const QList<QPoint> twoInARow { { 0, 0 }, { 202, 0 }, { 0, 152 } };
        QTest::newRow("two in a row") << 0 << 420 << three << twoInARow << 302 << tile;
        // The last column is 401: an item ending on it wraps.
        QTest::newRow("ends on the last column")
            << 0 << 402 << three << QList<QPoint> { { 0, 0 }, { 0, 152 }, { 0, 304 } } << 454 << tile;
        QTest::newRow("one column to spare") << 0 << 403 << three << twoInARow << 302 << tile;
        QTest::newRow("margins") << 5 << 420 << three << QList<QPoint> { { 5, 5 }, { 207, 5 }, { 5, 157 } }
                                 << 312 << QSize(210, 160);
        QTest::newRow("wider than the area")
            << 0 << 420 << QList<QSize> { { 500, 100 }, { 100, 300 } }
            << QList<QPoint> { { 0, 0 }, { 0, 102 } } << 402 << QSize(500, 300);
        // Each row as high as its own items: the tall first row does not push the third one down.
        QTest::newRow("a tall row, then short ones")
            << 0 << 250 << QList<QSize> { tile, { 200, 50 }, { 200, 50 } }
            << QList<QPoint> { { 0, 0 }, { 0, 152 }, { 0, 204 } } << 254 << tile;
        QTest::newRow("no items") << 0 << 420 << QList<QSize>() << QList<QPoint>() << 0 << QSize(-1, -1);
        QTest::newRow("no items, margins")
            << 7 << 420 << QList<QSize>() << QList<QPoint>() << 14 << QSize(13, 13);
    }

    // Rows wrapping one item too early or too late; a height that cuts off the last row.
    void placement()
    {
        QFETCH(int, margin);
        QFETCH(int, width);
        QFETCH(QList<QSize>, sizes);
        QFETCH(QList<QPoint>, places);
        QFETCH(int, height);
        QFETCH(QSize, minimum);
        FlowLayout layout(margin, 2, 2);
        for (const QSize& size : sizes)
            layout.addItem(fixed(size));
        QCOMPARE(layout.heightForWidth(width), height);
        QCOMPARE(layout.minimumSize(), minimum);
        layout.setGeometry(QRect(0, 0, width, height));
        for (int i = 0; i < places.size(); ++i)
            QCOMPARE(layout.itemAt(i)->geometry(), QRect(places.at(i), sizes.at(i)));
    }

    // An index just outside the list reads or removes a stray item.
    void indexBounds()
    {
        FlowLayout layout(0, 2, 2);
        QSpacerItem* first = fixed({ 1, 1 });
        QSpacerItem* last = fixed({ 2, 2 });
        layout.addItem(first);
        layout.addItem(last);
        QCOMPARE(layout.itemAt(-1), nullptr);
        QCOMPARE(layout.itemAt(2), nullptr);
        QCOMPARE(layout.takeAt(-1), nullptr);
        QCOMPARE(layout.takeAt(2), nullptr);
        QCOMPARE(layout.count(), 2);
        QCOMPARE(layout.itemAt(0), first);
        QCOMPARE(layout.itemAt(1), last);
    }

    // Gaps left to the owner: a parent layout's spacing; none without an owner. A gap given wins.
    void ownerGaps()
    {
        FlowLayout alone(0, -1, -1);
        QCOMPARE(alone.horizontalGap(), -1);
        QCOMPARE(alone.verticalGap(), -1);
        QWidget area;
        auto* outer = new QVBoxLayout(&area);
        outer->setSpacing(7);
        auto* inner = new FlowLayout(0, -1, 3);
        outer->addLayout(inner);
        QCOMPARE(inner->horizontalGap(), 7);
        QCOMPARE(inner->verticalGap(), 3);
    }

    void moveItem_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("order");
        Row("forwards lands after", "A", "C", "BCAD");
        Row("to the next", "A", "B", "BACD");
        Row("backwards lands before", "D", "B", "ADBC");
        Row("to the first", "C", "A", "CABD");
        Row("onto no item", "A", "X", "BCDA");
        Row("onto nothing", "B", "", "ACDB");
        Row("from no item", "X", "B", "ABCD");
        Row("onto itself", "B", "B", "ABCD");
    }

    // The wrong neighbour of the target, a stray item moved, an order changed but not shown.
    void moveItem()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, order);
        // Four widgets "A" to "D" of 200 x 150, two to a row.
        QWidget area;
        auto* layout = new FlowLayout(&area, 0, 2, 2);
        for (const char* name : { "A", "B", "C", "D" }) {
            auto* tile = new QWidget(&area);
            tile->setFixedSize(200, 150);
            tile->setProperty("url", QString(name));
            layout->addWidget(tile);
        }
        layout->setGeometry(QRect(0, 0, 420, 600));
        layout->moveItem(from, to);
        const QList<QPoint> places { { 0, 0 }, { 202, 0 }, { 0, 152 }, { 202, 152 } };
        QString now;
        for (int i = 0; i < layout->count(); ++i) {
            now += layout->itemAt(i)->widget()->property("url").toString();
            QCOMPARE(layout->itemAt(i)->widget()->pos(), places.at(i));
        }
        QCOMPARE(now, order);
    }
};

QTEST_MAIN(tst_FlowLayout)
#include "tst_flowlayout.moc"
