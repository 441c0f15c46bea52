// One search end to end, the way a user meets it: a filter goes in, the
// real exchange client talks HTTP to a local fake exchange, and the results
// view's tree comes out as a dump.
//
//     acceptance_harness <case folder>
//
// writes the dump to standard output and, when the folder holds
// expected.txt, compares the two and exits with 1 on a difference. A case
// folder holds:
//     filter.json    the search filter
//     markets.json   the catalogue records the exchange lists
//     books.json     the market books it answers during the search
//     refresh.json   optional: the books of one price refresh after the search
//     scores.json    optional: the in-play service's events
//     pl.json        optional: the profit and loss of markets
//     options.json   optional: {"fixture": another case folder whose
//                    markets.json and books.json to use, "includeWithdrawns": bool (true),
//                    "sortColumn": column, "sortOrder": "ascending" or
//                    "descending" (the header state the settings hold),
//                    "bookError": an exchange error code for every book request,
//                    "bet": {"select": a selection rule, "back", "price", "amount",
//                    "type", "keep": the actions panel's bet} placed at
//                    interaction level 2 after the passes}
//
// The dump: for each pass ("== search", "== refresh", "== bet"), in the
// order they came, the view's NotifyFoundSelections and NotifyDone, the log
// lines ("I", "W" or "E", then the text) and the boxes shown ("box", its
// icon and text); a bet's lines after its end (funds and the refresh, which
// run side by side) come sorted. Then one line per row in display order:
// its depth, then each shown cell's text in the header's order, all
// separated by tabs, after whatever the pass left running (a scores
// refresh) has come to rest. Besides, the requests of each pass are checked:
// book requests of at most 40 ids (25 with starting prices, 9 with traded
// volumes, 8 with both), each market shown asked for once, nothing sent
// after the pass's NotifyDone.

#include "BettingRpc.h"
#include "FakeExchange.h"
#include "ProgramTranslation.h"
#include "QConfirm.h"
#include "QLog.h"
#include "QNetwork.h"
#include "ResultsView.h"

#include "common/TestFiles.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QMessageBox>
#include <QMetaEnum>
#include <QNetworkReply>
#include <QSet>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

constexpr int Patience = 60000;

// What the harness knows of a reply: reported by the manager, under way at a pass's end.
const char* const ReportedMark = "harnessReported";
const char* const UnderwayMark = "harnessUnderwayAtDone";

QJsonDocument ReadJson(const QDir& folder, const QString& name, bool required = true)
{
    QFile file(folder.filePath(name));
    if (!file.open(QIODevice::ReadOnly)) {
        if (required)
            qFatal("cannot read %s", qPrintable(file.fileName()));
        return QJsonDocument();
    }
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError)
        qFatal("%s: %s", qPrintable(file.fileName()), qPrintable(error.errorString()));
    return document;
}

// The rows as they are shown: depth, then the shown cells in header order.
void DumpRows(const QSearcher& view, const QModelIndex& parent, int depth, QStringList& lines)
{
    const QAbstractItemModel* model = view.Model();
    for (int row = 0; row < model->rowCount(parent); ++row) {
        if (view.isRowHidden(row, parent))
            continue;
        QStringList cells { QString::number(depth) };
        for (int visual = 0; visual < view.header()->count(); ++visual) {
            const int column = view.header()->logicalIndex(visual);
            if (!view.isColumnHidden(column))
                cells << model->index(row, column, parent).data().toString();
        }
        lines << cells.join(QLatin1Char('\t'));
        DumpRows(view, model->index(row, 0, parent), depth + 1, lines);
    }
}

bool RepliesUnderWay()
{
    const auto replies = QNetwork::Shared()->findChildren<QNetworkReply*>();
    return std::any_of(replies.cbegin(), replies.cend(), [](const QNetworkReply* reply) { return !reply->isFinished(); });
}

// The checks of one pass's requests; each failure is a line.
QStringList CheckRequests(const QList<RecordedRequest>& requests, const QStringList& shown)
{
    QStringList failures;
    QHash<QString, int> asked;
    for (const RecordedRequest& request : requests) {
        if (request.rpcMethod() != QLatin1String("SportsAPING/v1.0/listMarketBook"))
            continue;
        const QJsonObject params = Params(request);
        const QJsonArray data = params.value("priceProjection").toObject().value("priceData").toArray();
        const bool traded = data.contains(QJsonValue("EX_TRADED"));
        const bool sp = data.contains(QJsonValue("SP_AVAILABLE"));
        const int most = traded ? (sp ? 8 : 9) : (sp ? 25 : 40);
        const QJsonArray ids = params.value("marketIds").toArray();
        if (ids.size() > most)
            failures << QStringLiteral("a book request of %1 ids, at most %2 allowed").arg(ids.size()).arg(most);
        for (const QJsonValue& id : ids)
            ++asked[id.toString()];
    }
    for (const QString& id : shown) {
        if (asked.value(id) != 1)
            failures << QStringLiteral("market %1 shown, its book asked for %2 times").arg(id).arg(asked.value(id));
    }
    return failures;
}

class Harness
{
public:
    explicit Harness(const QDir& folder)
        : folder(folder)
    {
        InitResultTables(catalogs.path());
        QObject::connect(&log, &QLog::Logged, [this](QLog::QLogType type, const QString& text) {
            lines << QString("IWE").at(int(type)) + QLatin1Char(' ') + text;
        });
        const QJsonObject options = ReadJson(folder, "options.json", false).object();
        const QDir fixture(folder.filePath(options.value("fixture").toString(".")));
        exchange.setMarkets(ReadJson(fixture, "markets.json").array());
        exchange.setBooks(ReadJson(fixture, "books.json").array());
        exchange.setBookError(options.value("bookError").toString());
        exchange.setScores(ReadJson(folder, "scores.json", false).array());
        exchange.setProfitAndLoss(ReadJson(folder, "pl.json", false).array());
        QBetFair::SetSessionToken(QStringLiteral("acceptance-session"));
        QBetFair::Currency = QStringLiteral("GBP");
        QConfirm::Init();
        QConfirm::SetResponder([this](QMessageBox* box) {
            lines << QStringLiteral("box %1: %2")
                         .arg(QLatin1String(QMetaEnum::fromType<QMessageBox::Icon>().valueToKey(box->icon())), box->text());
            return box->button(QMessageBox::Ok);
        });
        QObject::connect(&view, &QSearcher::ActionDone, [this] { sortFrom = lines.size(); });

        ApplyFormProperties(view);
        SendStartupOptions(view);
        view.setExpand(true);
        view.setIncludeWithdrawns(options.value("includeWithdrawns").toBool(true));
        if (options.contains("sortColumn")) {
            const bool descending = options.value("sortOrder").toString() == QLatin1String("descending");
            // Kept in the settings as the user's sort is, and brought back by the search.
            view.header()->setSortIndicator(
                options.value("sortColumn").toInt(), descending ? Qt::DescendingOrder : Qt::AscendingOrder);
        }
        QObject::connect(&view, &QSearcher::NotifyFoundSelections,
            [this](int count) { lines << QStringLiteral("NotifyFoundSelections %1").arg(count); });
        QObject::connect(&view, &QSearcher::NotifyDone, [this](int count) {
            lines << QStringLiteral("NotifyDone %1").arg(count);
            passEnded = true;
            // The manager reports a reply after the receivers of its end have run.
            // The marks go on the replies themselves: a reply freed during the
            // pass may leave its address to a later one.
            for (QNetworkReply* reply : QNetwork::Shared()->findChildren<QNetworkReply*>()) {
                if (!reply->property(ReportedMark).toBool())
                    reply->setProperty(UnderwayMark, true);
            }
        });
        // A reply reported after the pass's end must have been under way at it.
        QObject::connect(QNetwork::Shared(), &QNetworkAccessManager::finished, [this](QNetworkReply* reply) {
            reply->setProperty(ReportedMark, true);
            if (passEnded && !reply->property(UnderwayMark).toBool())
                sentAfterDone = true;
        });
    }

    // The search, then a refresh when the case has one; false when a check failed.
    bool run()
    {
        pass("search", [this] { view.Search(ReadJson(folder, "filter.json").object()); });
        const QJsonDocument refresh = ReadJson(folder, "refresh.json", false);
        if (!refresh.isNull()) {
            exchange.setBooks(refresh.array());
            pass("refresh", [this] { view.UpdatePrices(); });
        }
        const QJsonObject bet = ReadJson(folder, "options.json", false).object().value("bet").toObject();
        if (!bet.isEmpty()) {
            SetInteractiveLevel(2);
            // The bet's end refreshes the prices: the pass ends with that refresh.
            pass("bet", [this, bet] {
                view.Select(bet.value("select").toString());
                view.Bet(bet.value("back").toBool(), bet.value("price").toDouble(), bet.value("amount").toDouble(),
                    QBetPlacer::AmountType(bet.value("type").toInt()), bet.value("keep").toInt());
            });
        }
        QBetFair::SetSessionToken(QString());
        QConfirm::SetResponder({});
        return failures.isEmpty();
    }

    QStringList dump() const { return lines; }
    QStringList problems() const { return failures; }

private:
    template<typename Start>
    void pass(const char* name, Start start)
    {
        lines << QStringLiteral("== %1").arg(QLatin1String(name));
        sortFrom = -1;
        const int firstRequest = exchange.server().requestCount();
        passEnded = false;
        sentAfterDone = false;
        QEventLoop loop;
        const auto quit = QObject::connect(&view, &QSearcher::NotifyDone, &loop, &QEventLoop::quit, Qt::QueuedConnection);
        QTimer::singleShot(Patience, &loop, &QEventLoop::quit);
        start();
        if (!passEnded)
            loop.exec();
        QObject::disconnect(quit);
        if (!passEnded) {
            failures << QStringLiteral("%1: no NotifyDone").arg(QLatin1String(name));
            return;
        }
        // Whatever the pass left running comes to rest before the log is read.
        while (RepliesUnderWay())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        QCoreApplication::processEvents();
        if (sentAfterDone)
            failures << QStringLiteral("%1: a request after NotifyDone").arg(QLatin1String(name));

        if (sortFrom >= 0)
            std::sort(lines.begin() + sortFrom, lines.end());
        QStringList rows;
        DumpRows(view, QModelIndex(), 0, rows);
        lines << rows;
        const QList<RecordedRequest> all = exchange.server().requests();
        for (const QString& failure : CheckRequests(all.mid(firstRequest), RowIds()))
            failures << QStringLiteral("%1: %2").arg(QLatin1String(name), failure);
    }

    QStringList RowIds() const
    {
        QStringList ids;
        for (int row = 0; row < view.Count(); ++row)
            ids << view.MarketRow(row)->data(Qt::WhatsThisRole).toString();
        return ids;
    }

    const QDir folder;
    QTemporaryDir catalogs;
    const ProgramTranslation english { QStringLiteral("en_GB") };
    TempSettings settings;
    QLog log;
    HttpTestServer server;
    FakeExchange exchange { server };
    QSearcher view;
    QAbstractItemModelTester tester { view.Model(), QAbstractItemModelTester::FailureReportingMode::Fatal };
    QStringList lines;
    QStringList failures;
    bool passEnded = false;
    int sortFrom = -1;
    bool sentAfterDone = false;
};

} // namespace

int main(int argc, char** argv)
{
    // The dumps hold start times in UTC; run by hand it needs no display.
    qputenv("TZ", "UTC");
    tzset();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (app.arguments().size() != 2) {
        std::fprintf(stderr, "usage: acceptance_harness <case folder>\n");
        return 2;
    }
    const QDir folder(app.arguments().at(1));
    Harness harness(folder);
    const bool checked = harness.run();
    const QStringList dump = harness.dump();
    QTextStream out(stdout);
    out.setCodec("UTF-8");
    for (const QString& line : dump)
        out << line << '\n';
    out.flush();

    QTextStream err(stderr);
    err.setCodec("UTF-8");
    for (const QString& problem : harness.problems())
        err << "check failed: " << problem << '\n';
    QFile expectedFile(folder.filePath("expected.txt"));
    if (!expectedFile.open(QIODevice::ReadOnly | QIODevice::Text))
        return checked ? 0 : 1;
    const QStringList expected = QString::fromUtf8(expectedFile.readAll()).split('\n', Qt::SkipEmptyParts);
    bool same = expected.size() == dump.size();
    for (int i = 0; i < qMax(expected.size(), dump.size()); ++i) {
        if (expected.value(i) != dump.value(i)) {
            same = false;
            err << "line " << i + 1 << ":\n  expected: " << expected.value(i) << "\n  dumped:   " << dump.value(i) << '\n';
        }
    }
    return checked && same ? 0 : 1;
}
