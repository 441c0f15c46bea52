#include "MarketLine.h"
#include "ProgramTranslation.h"
#include "QMarket.h"
#include "QSelection.h"
#include "ResultsFlow.h"
#include "ResultsView.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

// 1.1: football match odds, ranks 1-2-3, volume shares .5/.3/.2, matched
// 0.01 and 0.009, unmatched 0.01. 1.2: football, not match odds, two
// runners. 1.3: horse racing, the second runner without a price, the fourth
// withdrawn, the second hidden in the view. 1.4: no runner.
const QString Tree = "1 r1.share=.5 r2.share=.3 r3.share=.2 r1.matched=0.01 r2.matched=0.009 r3.unmatched=0.01; "
                     "2 type=OVER_UNDER_25 backs=1.5,2.8; "
                     "3 sport=7 type=WIN backs=2,0,5,8 out=4; "
                     "4 backs=";

// Each market as "id[state]:ticks", "+" a ticked selection, in selection id order.
QString Ticks(const QSearcher& view)
{
    return EachRow(
        view,
        [](const QStandardItem& market) {
            return QStringLiteral("%1[%2]").arg(market.data(Qt::WhatsThisRole).toString()).arg(market.checkState());
        },
        [](const QStandardItem& selection, bool) { return QString(selection.checkState() == Qt::Checked ? '+' : '-'); });
}

} // namespace

class tst_SelectionRules : public QObject
{
    Q_OBJECT

    QTemporaryDir catalogs;

    struct Rows
    {
        ResultsView results;
        QSearcher& view = results.view;
        QSignalSpy counts { &view, &QSearcher::NotifyCheckedChanged };
        QSignalSpy manual { &view, &QSearcher::ManualSelection };

        Rows()
        {
            for (const QString& text : Tree.split(';')) {
                const MarketLine line(text);
                auto* market = new QMarket;
                market->AppendTo(results.model().invisibleRootItem(), line.catalogue());
                market->Update(line.book());
            }
            view.Market(0)->Selection(12)->SetMatchState(3);
            view.setRowHidden(1, view.MarketRow(2)->index(), true);
            counts.clear();
        }
    };

private slots:
    void initTestCase() { InitResultTables(catalogs.path()); }

    // Each rule's ticks, the markets' states (0, 1 partly, 2), the count.
    void rules_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("ticks");
        QTest::addColumn<int>("count");
        QTest::newRow("Favs") << "Favs" << "1.1[1]:+-- 1.2[1]:+- 1.3[1]:+--- 1.4[0]:" << 3;
        QTest::newRow("Losers") << "Losers" << "1.1[1]:--+ 1.2[1]:-+ 1.3[1]:--+- 1.4[0]:" << 3;
        QTest::newRow("Home") << "Home" << "1.1[1]:+-- 1.2[0]:-- 1.3[0]:---- 1.4[0]:" << 1;
        QTest::newRow("Away") << "Away" << "1.1[1]:-+- 1.2[0]:-- 1.3[0]:---- 1.4[0]:" << 1;
        QTest::newRow("Draw") << "Draw" << "1.1[1]:--+ 1.2[0]:-- 1.3[0]:---- 1.4[0]:" << 1;
        QTest::newRow("MinV") << "MinV" << "1.1[1]:--+ 1.2[1]:+- 1.3[1]:+--- 1.4[0]:" << 3;
        QTest::newRow("MaxV") << "MaxV" << "1.1[1]:+-- 1.2[1]:-+ 1.3[1]:--+- 1.4[0]:" << 3;
        QTest::newRow("Matched") << "Matched" << "1.1[1]:-+- 1.2[0]:-- 1.3[0]:---- 1.4[0]:" << 1;
        QTest::newRow("MatchedBets") << "MatchedBets" << "1.1[1]:+-- 1.2[0]:-- 1.3[0]:---- 1.4[0]:" << 1;
        QTest::newRow("UnmatchedBets") << "UnmatchedBets" << "1.1[1]:--+ 1.2[0]:-- 1.3[0]:---- 1.4[0]:" << 1;
        // The hidden row is ticked, the withdrawn one never.
        QTest::newRow("All") << "All" << "1.1[2]:+++ 1.2[2]:++ 1.3[2]:+++- 1.4[0]:" << 8;
        QTest::newRow("Nothing") << "Nothing" << "1.1[0]:--- 1.2[0]:-- 1.3[0]:---- 1.4[0]:" << 0;
        QTest::newRow("a code in lower case") << "favs" << "1.1[0]:--- 1.2[0]:-- 1.3[0]:---- 1.4[0]:" << 0;
    }

    void rules()
    {
        Rows rows;
        rows.view.Select("All");
        rows.counts.clear();
        rows.view.Select(FETCH(QString, rule));
        QCOMPARE(Ticks(rows.view), FETCH(QString, ticks));
        QCOMPARE(rows.counts.count(), 1);
        QCOMPARE(rows.counts.at(0).at(0).toInt(), FETCH(int, count));
        QVERIFY(rows.manual.isEmpty());
        QVERIFY(rows.view.updatesEnabled());
    }

    // "Manual" changes nothing; a rule leaves painting as it found it.
    void manualAndPainting()
    {
        Rows rows;
        rows.view.Select("Favs");
        rows.counts.clear();
        rows.view.Select("Manual");
        QCOMPARE(Ticks(rows.view), "1.1[1]:+-- 1.2[1]:+- 1.3[1]:+--- 1.4[0]:");
        QVERIFY(rows.counts.isEmpty());
        rows.view.setUpdatesEnabled(false);
        rows.view.Select("All");
        QVERIFY(!rows.view.updatesEnabled());
        QVERIFY(rows.manual.isEmpty());
    }

    // A tick by hand: the new count, then the notice; a price change: neither.
    // The market's title, bold now, is not cut short.
    void handTicks()
    {
        Rows rows;
        rows.view.resizeColumns();
        const int plainWidth = rows.view.columnWidth(QSearcher::ColName);
        QStringList order;
        QObject::connect(&rows.view, &QSearcher::NotifyCheckedChanged, [&order](int count) { order << QString::number(count); });
        QObject::connect(&rows.view, &QSearcher::ManualSelection, [&order] { order << "manual"; });
        // The race has the longest title.
        const QModelIndex selection = rows.view.Market(2)->Selection(31)->index();
        QVERIFY(rows.results.model().setData(selection, Qt::Checked, Qt::CheckStateRole));
        QCOMPARE(order, (QStringList { "1", "manual" }));
        QVERIFY(rows.view.Market(2)->font().bold());
        QVERIFY(rows.view.columnWidth(QSearcher::ColName) > plainWidth);
        order.clear();
        rows.results.model().setData(selection.sibling(selection.row(), QSearcher::ColBackPrice), "2.10");
        QVERIFY(order.isEmpty());
    }

    void languageChanged()
    {
        const ProgramTranslation russian("ru_RU");
        BasicResultsView<OpenView> results;
        results.view.LanguageChanged();
        QCOMPARE(results.view.exportFilters.size(), 3);
        QCOMPARE(results.view.exportFilters.first(), QString::fromUtf8("Текст (*.txt)"));
    }
};

QTEST_MAIN(tst_SelectionRules)
#include "tst_selectionrules.moc"
