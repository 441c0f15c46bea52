#include "QSearchWorker.h"

#include "MarketBatches.h"
#include "QBetFairRequest.h"

#include <QDateTime>

#include <limits>

namespace {

// Catalogue weight per market of each projection asked.
const int MarketDescriptionWeight = 1;
const int RunnerMetadataWeight = 1;

QString Key(const char* name)
{
    return QString::fromLatin1(name);
}

// The exchange's market filter: only the keys it can apply, each only in
// its expected form.
QJsonObject MarketFilterOf(const QJsonObject& searchData)
{
    QJsonObject filter { { Key("marketBettingTypes"), QJsonArray { Key("ODDS") } } };
    for (const char* name :
        { "marketTypeCodes", "eventTypeIds", "marketCountries", "eventIds", "withOrders" }) {
        const QJsonValue value = searchData.value(QLatin1String(name));
        if (value.isArray())
            filter.insert(Key(name), value);
    }
    for (const char* name : { "bspOnly", "turnInPlayEnabled", "inPlayOnly" }) {
        const auto found = searchData.constFind(QLatin1String(name));
        if (found != searchData.constEnd())
            filter.insert(Key(name), found.value().toBool(false));
    }
    const QJsonValue startTime = searchData.value(QLatin1String("marketStartTime"));
    if (startTime.isObject())
        filter.insert(Key("marketStartTime"), startTime);
    return filter;
}

// Australian markets live at their own endpoint: it is asked when "AU" is
// among the countries, or when no countries are given.
QStringList JurisdictionsOf(const QJsonObject& searchData)
{
    const QString main = QBetFair::EndpointPrefixes.value(0);
    const QString australian = QBetFair::EndpointPrefixes.value(1);
    const QJsonValue countries = searchData.value(QLatin1String("marketCountries"));
    if (!countries.isArray())
        return { main, australian };
    const QJsonArray list = countries.toArray();
    if (!list.contains(QJsonValue(Key("AU"))))
        return { main };
    if (list.size() == 1)
        return { australian };
    return { main, australian };
}

int SaturatingSum(int a, int b)
{
    const qint64 sum = qint64(a) + qint64(b);
    return sum > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : int(sum);
}

// The exchange's minute in local time when it can be read, else as sent.
QString MinuteText(const QString& exchangeTime)
{
    const QDateTime time = QDateTime::fromString(exchangeTime, Qt::ISODateWithMs);
    return time.isValid() ? time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm")) : exchangeTime;
}

} // namespace

QSearchWorker::QSearchWorker(const QJsonObject& searchData)
    : QActionWorker(nullptr)
    , searchData(searchData)
{
}

bool QSearchWorker::SilksAsked() const
{
    return searchData.value(QLatin1String("silks")) == QJsonValue(true);
}

int QSearchWorker::WindowLimit() const
{
    return BatchSizeForWeight(MarketDescriptionWeight + (SilksAsked() ? RunnerMetadataWeight : 0));
}

void QSearchWorker::Search()
{
    const Guard guard(this);
    if (IsEnded())
        return;
    if (!IsIdle()) {
        emit Done(tr("The previous search hasn't completed yet."));
        return;
    }
    if (searchData.isEmpty()) {
        emit Done(tr("Logical error (empty search data). Please contact developers"));
        return;
    }

    foundCount = 0;
    timeWindows.clear();
    cutOffs.clear();
    const QJsonObject filter = MarketFilterOf(searchData);
    searchData.insert(Key("filter"), filter);
    const QJsonObject params { { Key("filter"), filter }, { Key("granularity"), Key("MINUTES") } };

    int sent = 0;
    for (const QString& prefix : JurisdictionsOf(searchData)) {
        QBetFairRequest* request = CreateCancellableBettingRequest(prefix, prefix);
        if (!request)
            return;
        connect(request, &QBetFairRequest::finished, this, &QSearchWorker::TimeRangesFinished);
        request->Call(Key("listTimeRanges"), params);
        ++sent;
    }
    if (sent == 0)
        emit Done(tr("Nothing to search for."));
}

void QSearchWorker::TimeRangesFinished(QMarkedRequest::QRequestResult result, const QString& error,
    const QJsonObject& data, const QVariant& something)
{
    const Guard guard(this);
    if (!AcceptReply(result, error))
        return;
    AddTimeWindows(something.toString(), data.value(QLatin1String("result")).toArray());
    if (!IsIdle())
        return;

    if (foundCount < 1) {
        emit Done(QString());
        return;
    }
    emit Info(tr("Found %n intermediately result(s).", nullptr, foundCount));
    if (IsEnded())
        return;
    ReportCutOffs();
    if (IsEnded())
        return;
    ListMarketsCatalog();
}

// Consecutive minutes are merged while the window stays within the limit;
// a minute is never split, so one above the limit makes a window alone.
void QSearchWorker::AddTimeWindows(const QString& prefix, const QJsonArray& ranges)
{
    const int limit = WindowLimit();
    QJsonArray windows;
    QString from;
    QString to;
    int count = 0;
    int rangesHeld = 0;

    const auto closeWindow = [&] {
        windows.append(QJsonObject { { Key("from"), from }, { Key("to"), to } });
        if (count > limit)
            cutOffs.append(CutOff { from, count - limit });
    };

    for (const QJsonValue& element : ranges) {
        const QJsonObject range = element.toObject().value(QLatin1String("timeRange")).toObject();
        if (range.isEmpty())
            continue;
        const int markets = qMax(0, element.toObject().value(QLatin1String("marketCount")).toInt(0));
        if (rangesHeld > 0 && SaturatingSum(count, markets) > limit) {
            closeWindow();
            rangesHeld = 0;
            count = 0;
        }
        if (rangesHeld == 0)
            from = range.value(QLatin1String("from")).toString();
        to = range.value(QLatin1String("to")).toString();
        count = SaturatingSum(count, markets);
        foundCount = SaturatingSum(foundCount, markets);
        ++rangesHeld;
    }
    if (rangesHeld > 0)
        closeWindow();
    if (!windows.isEmpty())
        timeWindows.insert(prefix, windows);
}

// One catalogue request returns only the first markets of a crowded minute;
// the user learns how many are missing instead of missing them unawares.
void QSearchWorker::ReportCutOffs()
{
    const int limit = WindowLimit();
    for (const CutOff& cutOff : qAsConst(cutOffs)) {
        emit Info(tr("%n market(s) starting at %1 could not be fetched: one request returns at most %2.",
            nullptr, cutOff.lost)
                      .arg(MinuteText(cutOff.from), QString::number(limit)));
        if (IsEnded())
            return;
    }
}

void QSearchWorker::ListMarketsCatalog()
{
    const Guard guard(this);
    if (IsEnded())
        return;
    if (!IsIdle()) {
        emit Done(tr("Logical error (unfinished request). Please contact developers"));
        return;
    }

    const bool silks = SilksAsked();
    QJsonArray projection { Key("RUNNER_DESCRIPTION"), Key("EVENT"), Key("EVENT_TYPE"),
        Key("MARKET_START_TIME"), Key("MARKET_DESCRIPTION") };
    if (silks)
        projection.append(Key("RUNNER_METADATA"));
    const QJsonObject filter = searchData.value(QLatin1String("filter")).toObject();
    QJsonObject params { { Key("locale"), Locale }, { Key("sort"), Key("FIRST_TO_START") },
        { Key("marketProjection"), projection }, { Key("maxResults"), WindowLimit() } };

    if (timeWindows.isEmpty()) {
        emit Done(tr("Nothing found"));
        return;
    }

    // Replies may arrive, and end the worker, while a later request waits
    // for its turn: the request comes back null then and nothing more goes.
    for (const QString& prefix : qAsConst(EndpointPrefixes)) {
        for (const QJsonValue& window : timeWindows.value(prefix)) {
            QJsonObject windowFilter = filter;
            windowFilter.insert(Key("marketStartTime"), window);
            params.insert(Key("filter"), windowFilter);
            QBetFairRequest* request = CreateCancellableBettingRequest(prefix, QVariant());
            if (!request)
                return;
            connect(request, &QBetFairRequest::finished, this, &QSearchWorker::ListMarketsCatalogFinished);
            request->Call(Key("listMarketCatalogue"), params);
        }
    }
}

void QSearchWorker::ListMarketsCatalogFinished(
    QMarkedRequest::QRequestResult result, const QString& error, const QJsonObject& data, const QVariant&)
{
    const Guard guard(this);
    if (!AcceptReply(result, error))
        return;
    emit FoundMarkets(data.value(QLatin1String("result")).toArray());
    // A receiver may have run an event loop in which the worker ended.
    if (!IsEnded() && IsIdle())
        emit Done(QString());
}
