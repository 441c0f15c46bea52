#include "QChartedTreeItem.h"
#include "QSearcher.h"

#include <QPainter>
#include <QStandardItemModel>
#include <QtTest>

#include <cmath>

namespace {

// 101 pixels wide (right = left + 100) and 30 high, inside a larger picture
// whose other pixels must keep the sentinel colour.
const QRect CellRect(100, 1, 101, 30);
const QColor Sentinel(255, 0, 255);
// Below the text, above the bar's last row (the cell's bottom is row 30).
constexpr int BarRow = 28;
constexpr double Unset = std::numeric_limits<double>::quiet_NaN();

struct Look
{
    QColor background = Qt::white;
    bool selected = false;
    QPalette palette;
    QFont font;
    bool fontSet = false;
};

QImage Paint(double value, bool selectionRow, double total, const QString& text, const Look& look = Look(),
    const std::function<void(QStandardItem*)>& extra = {})
{
    QStandardItemModel model;
    auto* item = new QStandardItem(text);
    item->setData(value, QSearcher::SortRole);
    if (selectionRow)
        item->setData(true, QSearcher::KindRole);
    item->setData(look.background, Qt::BackgroundRole);
    if (look.fontSet)
        item->setData(look.font, Qt::FontRole);
    if (extra)
        extra(item);
    model.appendRow(item);
    if (!std::isnan(total))
        model.setProperty("allMatched", total);

    QImage image(301, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Sentinel);
    QPainter painter(&image);
    QStyleOptionViewItem option;
    option.rect = CellRect;
    option.state = QStyle::State_Enabled | (look.selected ? QStyle::State_Selected : QStyle::State_None);
    option.palette = look.palette;
    QChartedTreeItem delegate;
    delegate.paint(&painter, option, item->index());
    return image;
}

bool Near(const QColor& a, const QColor& b, int tolerance = 1)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance;
}

// First and last x of the bar colour in a row of the cell; (-1, -1) for none.
QPair<int, int> BarSpan(const QImage& image, const QColor& bar, int row = BarRow)
{
    int first = -1, last = -1;
    for (int x = CellRect.left(); x <= CellRect.right(); ++x) {
        if (Near(image.pixelColor(x, row), bar)) {
            if (first < 0)
                first = x;
            last = x;
        }
    }
    return { first, last };
}

int OutsideChanged(const QImage& image)
{
    int changed = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            changed += !CellRect.contains(x, y) && image.pixelColor(x, y) != Sentinel;
    return changed;
}

// Pixels of the cell that are neither the background nor the bar.
QList<QPoint> Ink(const QImage& image, const QColor& background, const QColor& bar = QColor())
{
    QList<QPoint> ink;
    for (int y = CellRect.top(); y <= CellRect.bottom(); ++y)
        for (int x = CellRect.left(); x <= CellRect.right(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (!Near(pixel, background, 2) && !(bar.isValid() && Near(pixel, bar, 2)))
                ink << QPoint(x, y);
        }
    return ink;
}

int Darkest(const QImage& image, int fromX, int toX)
{
    int darkest = 255;
    for (int y = CellRect.top(); y <= CellRect.bottom(); ++y)
        for (int x = fromX; x <= toX; ++x)
            darkest = std::min(darkest, image.pixelColor(x, y).value());
    return darkest;
}

// The ink of text drawn straight into rect on white, in the default font: where
// the delegate's text should land.
QList<QPoint> ReferenceInk(const QRect& rect, Qt::Alignment alignment, const QString& text)
{
    QImage image(301, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    painter.drawText(rect, int(alignment), text);
    painter.end();
    return Ink(image, Qt::white);
}

int LeftOf(const QList<QPoint>& ink)
{
    return std::min_element(ink.cbegin(), ink.cend(), [](QPoint a, QPoint b) { return a.x() < b.x(); })->x();
}

int RightOf(const QList<QPoint>& ink)
{
    return std::max_element(ink.cbegin(), ink.cend(), [](QPoint a, QPoint b) { return a.x() < b.x(); })->x();
}

QColor Grey(int level)
{
    return QColor(level, level, level);
}

// Text pixels darker than a half tone.
int DarkInk(const QImage& image)
{
    int count = 0;
    for (int y = CellRect.top(); y <= CellRect.bottom(); ++y)
        for (int x = CellRect.left(); x <= CellRect.right(); ++x)
            count += image.pixelColor(x, y).value() < 128;
    return count;
}

} // namespace

class tst_ValueBar : public QObject
{
    Q_OBJECT

private slots:
    // White backgrounds: a selection's bar is white darkened by 140
    // (255 / 1.4 = 182), a market's by 120 (255 / 1.2 = 212.5).
    void bars_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("selectionRow");
        QTest::addColumn<double>("total");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<bool>("text");
        // Right edge 200 - (1 - share) * 101, truncated.
        QTest::newRow("selection 0.25") << 0.25 << true << Unset << 100 << 124 << true;
        QTest::newRow("selection 1") << 1.0 << true << Unset << 100 << 200 << true;
        QTest::newRow("selection above 1") << 1.5 << true << Unset << 100 << 200 << true;
        QTest::newRow("selection at 0.01") << 0.01 << true << Unset << -1 << -1 << true;
        QTest::newRow("selection past 0.01") << 0.011 << true << Unset << 100 << 100 << true;
        QTest::newRow("selection 0.005") << 0.005 << true << Unset << -1 << -1 << true;
        QTest::newRow("selection 0") << 0.0 << true << Unset << -1 << -1 << false;
        QTest::newRow("selection below 0") << -0.2 << true << Unset << -1 << -1 << false;
        QTest::newRow("selection NaN") << Unset << true << Unset << -1 << -1 << false;
        // Left edge 100 + (1 - share) * 101, truncated.
        QTest::newRow("market half") << 500.0 << false << 1000.0 << 150 << 200 << true;
        QTest::newRow("market whole") << 1000.0 << false << 1000.0 << 100 << 200 << true;
        QTest::newRow("market above the total") << 1500.0 << false << 1000.0 << 100 << 200 << true;
        QTest::newRow("market at 0.01") << 10.0 << false << 1000.0 << -1 << -1 << true;
        QTest::newRow("market past 0.01") << 11.0 << false << 1000.0 << 199 << 200 << true;
        QTest::newRow("market, total 0") << 500.0 << false << 0.0 << -1 << -1 << true;
        QTest::newRow("market, no total") << 500.0 << false << Unset << -1 << -1 << true;
        QTest::newRow("market, total below 0") << 500.0 << false << -10.0 << -1 << -1 << false;
        QTest::newRow("market volume 0") << 0.0 << false << 1000.0 << -1 << -1 << false;
    }

    void bars()
    {
        QFETCH(double, value);
        QFETCH(bool, selectionRow);
        QFETCH(double, total);
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(bool, text);
        const QImage image = Paint(value, selectionRow, total, "25");
        const QColor bar = selectionRow ? Grey(182) : QColor(212, 212, 212);
        QCOMPARE(BarSpan(image, bar), qMakePair(first, last));
        // The bar stops one pixel above the cell's bottom.
        QCOMPARE(BarSpan(image, bar, CellRect.bottom()), qMakePair(-1, -1));
        if (first >= 0)
            QCOMPARE(BarSpan(image, bar, CellRect.top()), qMakePair(first, last));
        QCOMPARE(!Ink(image, Qt::white, bar).isEmpty(), text);
        QCOMPARE(OutsideChanged(image), 0);
        // The rest of the cell keeps its background.
        QCOMPARE(image.pixelColor(CellRect.right(), CellRect.bottom()), QColor(Qt::white));
    }

    // A selection's number starts 4 pixels in and is followed by a faint
    // " %" (black at alpha 60 on white: 255 * 195 / 255 = 195).
    void selectionText()
    {
        const QImage image = Paint(0.005, true, Unset, "25");
        const QList<QPoint> ink = Ink(image, Qt::white);
        QVERIFY(!ink.isEmpty());
        const int left = LeftOf(ink);
        QCOMPARE(left, LeftOf(ReferenceInk(CellRect.adjusted(4, 0, 0, 0), Qt::AlignLeft, "25")));
        int numberRight = left;
        for (const QPoint& point : ink)
            if (image.pixelColor(point).value() < 100)
                numberRight = std::max(numberRight, point.x());
        const int suffix = Darkest(image, numberRight + 2, CellRect.right());
        QVERIFY2(suffix > 150 && suffix < 250, qPrintable(QString::number(suffix)));
    }

    // A market's number ends 4 pixels from the right, with no " %".
    void marketText()
    {
        const QColor bar(212, 212, 212);
        const QImage image = Paint(500, false, 1000, "500");
        const QList<QPoint> ink = Ink(image, Qt::white, bar);
        QVERIFY(!ink.isEmpty());
        QCOMPARE(RightOf(ink), RightOf(ReferenceInk(CellRect.adjusted(0, 0, -4, 0), Qt::AlignRight, "500")));
        QCOMPARE(LeftOf(ink), LeftOf(ReferenceInk(CellRect.adjusted(0, 0, -4, 0), Qt::AlignRight, "500")));
    }

    // Text: white below lightness 138, black from 138.
    void textColour_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<bool>("white");
        QTest::newRow("137") << 137 << true;
        QTest::newRow("138") << 138 << false;
        QTest::newRow("40") << 40 << true;
        QTest::newRow("255") << 255 << false;
    }

    void textColour()
    {
        QFETCH(int, level);
        QFETCH(bool, white);
        Look look;
        look.background = Grey(level);
        const QImage image = Paint(0.005, true, Unset, "88", look);
        int lightest = 0, darkest = 255;
        for (const QPoint& point : Ink(image, look.background)) {
            lightest = std::max(lightest, image.pixelColor(point).value());
            darkest = std::min(darkest, image.pixelColor(point).value());
        }
        if (white) {
            QVERIFY2(lightest > 230, qPrintable(QString::number(lightest)));
            QVERIFY(darkest >= level - 2);
        } else {
            QVERIFY2(darkest < 40, qPrintable(QString::number(darkest)));
            QVERIFY(lightest <= level + 2);
        }
    }

    // Above the threshold the bar is darker than the background, at or
    // below it lighter: selection 167 (140 or 60), market 147 (120 or 80).
    void barFactor_data()
    {
        QTest::addColumn<bool>("selectionRow");
        QTest::addColumn<int>("level");
        QTest::addColumn<QColor>("bar");
        // 168 / 1.4 = 120; 167 * 100 / 60 goes past 255.
        QTest::newRow("selection 168") << true << 168 << Grey(120);
        QTest::newRow("selection 167") << true << 167 << Grey(255);
        // 148 / 1.2 = 123.3; 147 * 1.25 = 183.75.
        QTest::newRow("market 148") << false << 148 << Grey(123);
        QTest::newRow("market 147") << false << 147 << Grey(184);
    }

    void barFactor()
    {
        QFETCH(bool, selectionRow);
        QFETCH(int, level);
        QFETCH(QColor, bar);
        Look look;
        look.background = Grey(level);
        const QImage image = selectionRow ? Paint(0.5, true, Unset, "50", look) : Paint(500, false, 1000, "500", look);
        const QPoint inBar(selectionRow ? CellRect.left() + 2 : CellRect.right() - 2, BarRow);
        QVERIFY2(Near(image.pixelColor(inBar), bar), qPrintable(image.pixelColor(inBar).name()));
        const QPoint outside(selectionRow ? CellRect.right() - 2 : CellRect.left() + 2, BarRow);
        QCOMPARE(image.pixelColor(outside), look.background);
    }

    // A selected cell: the highlight behind, the bar made from it by the
    // factor the background calls for, the highlighted-text colour.
    void selected_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QColor>("bar");
        // (0, 0, 200) darkened by 140: 200 / 1.4 = 142.9.
        QTest::newRow("light background") << 255 << QColor(0, 0, 143);
        // Lightened by 100 / 60: the value 332 stops at 255 and the
        // saturation falls by the excess (77 of 255): (77, 77, 255).
        QTest::newRow("dark background") << 100 << QColor(77, 77, 255);
    }

    void selected()
    {
        QFETCH(int, level);
        QFETCH(QColor, bar);
        Look look;
        look.background = Grey(level);
        look.selected = true;
        look.palette.setColor(QPalette::Highlight, QColor(0, 0, 200));
        look.palette.setColor(QPalette::HighlightedText, QColor(255, 255, 0));
        const QImage image = Paint(0.25, true, Unset, "25", look);
        const QColor inBar = image.pixelColor(CellRect.left() + 2, BarRow);
        QVERIFY2(Near(inBar, bar, 2), qPrintable(inBar.name()));
        QCOMPARE(image.pixelColor(CellRect.right() - 2, BarRow), QColor(0, 0, 200));
        bool yellow = false;
        for (const QPoint& point : Ink(image, QColor(0, 0, 200), inBar)) {
            const QColor pixel = image.pixelColor(point);
            yellow |= pixel.red() > 200 && pixel.green() > 200 && pixel.blue() < 80;
        }
        QVERIFY(yellow);
        QCOMPARE(OutsideChanged(image), 0);
    }

    // The cell's font counts as bold above weight 57.
    void bold()
    {
        auto ink = [](int weight) {
            Look look;
            look.fontSet = true;
            look.font.setWeight(weight);
            return DarkInk(Paint(0.005, true, Unset, "888", look));
        };
        const int normal = ink(QFont::Normal);
        QCOMPARE(ink(57), normal);
        QVERIFY2(ink(58) > normal * 11 / 10, qPrintable(QString("%1 %2").arg(ink(58)).arg(normal)));
        QCOMPARE(ink(58), ink(QFont::Bold));
    }

    // No check box, icon or focus frame in this column.
    void onlyBarAndText()
    {
        const QImage plain = Paint(0.25, true, Unset, "25");
        const QImage decorated = Paint(0.25, true, Unset, "25", Look(), [](QStandardItem* item) {
            QPixmap red(16, 16);
            red.fill(Qt::red);
            item->setData(QIcon(red), Qt::DecorationRole);
            item->setCheckable(true);
            item->setCheckState(Qt::Checked);
        });
        QCOMPARE(decorated, plain);
    }
};

QTEST_MAIN(tst_ValueBar)
#include "tst_valuebar.moc"
