#include "Settings.h"

#include "ui_SettingsForm.h"

#include <QCoreApplication>

namespace {

// One optional result column: its row on the General page, in the order the
// rows are loaded.
struct ColumnRow
{
    QCheckBoxWithColor* Ui::SettingsForm::*box;
    const char* label;
    QSearcher::ColumnType column;
    bool shown;
    QColor color;
};

const ColumnRow ColumnRows[] = {
    { &Ui::SettingsForm::ShowNumSelections, QT_TRANSLATE_NOOP("Settings", "Number of selections"),
        QSearcher::ColNumSelections, false, Qt::white },
    { &Ui::SettingsForm::ShowVolume, QT_TRANSLATE_NOOP("Settings", "Volume"), QSearcher::ColVolume, true,
        Qt::white },
    { &Ui::SettingsForm::ShowBackPrice, QT_TRANSLATE_NOOP("Settings", "Back price"), QSearcher::ColBackPrice, true,
        QColor(178, 235, 255) },
    { &Ui::SettingsForm::ShowLayPrice, QT_TRANSLATE_NOOP("Settings", "Lay price"), QSearcher::ColLayPrice, true,
        QColor(255, 204, 220) },
    { &Ui::SettingsForm::ShowNearSP, QT_TRANSLATE_NOOP("Settings", "Near SP"), QSearcher::ColNearSP, false,
        QColor(255, 244, 238) },
    { &Ui::SettingsForm::ShowFarSP, QT_TRANSLATE_NOOP("Settings", "Far SP"), QSearcher::ColFarSP, false,
        QColor(255, 255, 244) },
    { &Ui::SettingsForm::ShowActualSP, QT_TRANSLATE_NOOP("Settings", "Actual SP"), QSearcher::ColActualSP, false,
        QColor(255, 227, 228) },
    { &Ui::SettingsForm::ShowStatus, QT_TRANSLATE_NOOP("Settings", "Status / P/L"), QSearcher::ColStatus, true,
        Qt::white },
    { &Ui::SettingsForm::ShowMatched, QT_TRANSLATE_NOOP("Settings", "Matched amount"), QSearcher::ColMatched,
        false, QColor(229, 255, 178) },
    { &Ui::SettingsForm::ShowUnmatched, QT_TRANSLATE_NOOP("Settings", "Unmatched amount"),
        QSearcher::ColUnmatched, false, QColor(206, 206, 255) },
    { &Ui::SettingsForm::ShowTimeRank, QT_TRANSLATE_NOOP("Settings", "Starting time / rank"),
        QSearcher::ColTimeRank, true, Qt::white },
    { &Ui::SettingsForm::ShowSilks, QT_TRANSLATE_NOOP("Settings", "Silks"), QSearcher::ColSilks, false,
        Qt::white },
};

const ColumnRow* RowOf(const Ui::SettingsForm* ui, const QObject* box)
{
    for (const ColumnRow& row : ColumnRows) {
        if (ui->*row.box == box)
            return &row;
    }
    return nullptr;
}

} // namespace

void Settings::LoadColumns()
{
    for (const ColumnRow& row : ColumnRows) {
        QCheckBoxWithColor* box = ui->*row.box;
        box->setText(tr(row.label));
        box->SetSettingsKey(QStringLiteral("Columns"), box->objectName(), row.shown, row.color);
        connect(box, &QCheckBoxWithColor::clicked, this, &Settings::SetShowColumn, Qt::UniqueConnection);
        connect(box, &QCheckBoxWithColor::colorChanged, this, &Settings::SetColumnColor, Qt::UniqueConnection);
        emit setShowColumn(row.column, box->isChecked());
        emit setColumnColor(row.column, box->color());
    }
}

void Settings::SetShowColumn(bool checked)
{
    const ColumnRow* row = RowOf(ui, sender());
    if (!loading && row)
        emit setShowColumn(row->column, checked);
}

void Settings::SetColumnColor(const QColor& color)
{
    const ColumnRow* row = RowOf(ui, sender());
    if (!loading && row)
        emit setColumnColor(row->column, color);
}
