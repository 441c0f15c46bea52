#pragma once

#include "QCatalog.h"
#include "QPriceValidator.h"
#include "QSearcher.h"
#include "QSearcherModel.h"
#include "QStatus.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QStandardItem>

Q_DECLARE_METATYPE(QStandardItem*)

// A column of the current data row, where it is read once.
#define FETCH(Type, name) ([] { QFETCH(Type, name); return name; }())

// A fixture written as JSON text; a typo in it stops the test.
inline QJsonObject json(const QString& text)
{
    QJsonParseError error {};
    const QJsonObject object = QJsonDocument::fromJson(text.toUtf8(), &error).object();
    if (error.error != QJsonParseError::NoError)
        qFatal("fixture: %s in %s", qPrintable(error.errorString()), qPrintable(text));
    return object;
}

// The check-change notices of a model: its itemChanged with a null item.
struct CheckNotices : QSignalSpy
{
    explicit CheckNotices(QStandardItemModel& model)
        : QSignalSpy((qRegisterMetaType<QStandardItem*>(), &model), &QStandardItemModel::itemChanged)
    {
    }
    int count() const
    {
        return int(std::count_if(cbegin(), cend(), [](const QVariantList& args) {
            return args.at(0).value<QStandardItem*>() == nullptr;
        }));
    }
};

// The view as the main window's form makes it: the same properties, so that
// sorting and the header behave as in the program.
inline void ApplyFormProperties(QSearcher& view)
{
    view.setObjectName(QStringLiteral("ResultsTable"));
    view.setMouseTracking(true);
    view.setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    view.setSelectionMode(QAbstractItemView::SingleSelection);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setUniformRowHeights(true);
    view.setSortingEnabled(true);
    view.setAnimated(true);
    view.setAllColumnsShowFocus(true);
    view.setWordWrap(true);
    view.header()->setStretchLastSection(false);
}

// What the settings page sends at start-up when nothing is stored: each
// option once, then each column box (its show flag and its colour) in the
// page's order.
inline void SendStartupOptions(QSearcher& view)
{
    view.setExpand(false);
    view.setShowCharts(false);
    view.setSaveOnSearch(false);
    view.setShowCountryFlags(true);
    view.setShowCountryName(true);
    view.setIncludeWithdrawns(true);
    const struct
    {
        QSearcher::ColumnType column;
        bool shown;
        QColor color;
    } boxes[] = {
        { QSearcher::ColNumSelections, false, Qt::white },
        { QSearcher::ColVolume, true, Qt::white },
        { QSearcher::ColBackPrice, true, QColor(178, 235, 255) },
        { QSearcher::ColLayPrice, true, QColor(255, 204, 220) },
        { QSearcher::ColNearSP, false, QColor(255, 244, 238) },
        { QSearcher::ColFarSP, false, QColor(255, 255, 244) },
        { QSearcher::ColActualSP, false, QColor(255, 227, 228) },
        { QSearcher::ColStatus, true, Qt::white },
        { QSearcher::ColMatched, false, QColor(229, 255, 178) },
        { QSearcher::ColUnmatched, false, QColor(206, 206, 255) },
        { QSearcher::ColTimeRank, true, Qt::white },
        { QSearcher::ColSilks, false, Qt::white },
    };
    for (const auto& box : boxes) {
        view.setShowColumn(box.column, box.shown);
        view.setColumnColor(box.column, box.color);
    }
}

// Columns the view shows, in logical order.
inline QList<int> ShownColumns(const QSearcher& view)
{
    QList<int> shown;
    for (int column = 0; column < view.header()->count(); ++column) {
        if (!view.isColumnHidden(column))
            shown << column;
    }
    return shown;
}

// The process-wide tables the rows read, as the program's start-up makes
// them (the catalogs' built-in defaults from an empty folder), in en_GB.
inline void InitResultTables(const QString& catalogsFolder)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    QPriceValidator::InitPriceLadder();
    QCatalog::Init(catalogsFolder);
    QStatus::InitStatuses();
}

// A view as the program has it, its model checked by the tester throughout.
// View may be a test's subclass of QSearcher that reaches protected state.
template<typename View = QSearcher>
struct BasicResultsView
{
    View view;
    QAbstractItemModelTester tester { view.Model(), QAbstractItemModelTester::FailureReportingMode::QtTest };

    BasicResultsView()
    {
        ApplyFormProperties(view);
        SendStartupOptions(view);
    }
    QSearcherModel& model() const { return *view.Model(); }
};
using ResultsView = BasicResultsView<>;
