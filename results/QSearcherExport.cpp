#include "QSearcher.h"

#include "FileDialog.h"
#include "QConfirm.h"
#include "ResultsExport.h"
#include "SettingsStore.h"
#include "TickedSelections.h"

#include <QSaveFile>
#include <QSettings>

namespace {

const QString LastTypeKey = QStringLiteral("Action/ExportLastType");
const QString LastFileKey = QStringLiteral("Action/ExportLastFile");

} // namespace

void QSearcher::Export(bool includePrices, bool includeVolume, bool CV)
{
    QSettings* store = SettingsStore();
    // Only 1 to 3 are ever stored; any other number would name a filter
    // that is not there.
    const int stored = store ? store->value(LastTypeKey, 1).toInt() : 1;
    const auto last = ResultsExport::Format(qBound(1, stored, 3));
    const QString fileName = FileDialog::GetSaveFileName(this, tr("Where to save the file to?"),
        store ? store->value(LastFileKey).toString() : QString(), exportFilters.join(QLatin1String(";;")),
        exportFilters.value(last - 1));
    if (fileName.isEmpty()) {
        emit ActionDone();
        return;
    }

    const ResultsExport::Format format = ResultsExport::FormatOf(fileName, last);
    const QVector<TickedMarket> ticked = TickedSelections(*this);
    // The old file is replaced only by a complete new one (see WriteAll).
    QSaveFile file(fileName);
    bool saved = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    if (saved) {
        switch (format) {
        case ResultsExport::Text:
            saved = ResultsExport::WriteText(file, ticked, CV);
            break;
        case ResultsExport::Csv:
            saved = ResultsExport::WriteCsv(file, ticked, includePrices, includeVolume);
            break;
        case ResultsExport::Xml:
            saved = ResultsExport::WriteXml(
                file, ticked, includePrices, includeVolume, QDateTime::currentDateTime());
            break;
        }
    }
    if (!saved || !file.commit()) {
        ShowError(
            tr("Unable to save file: %1").arg(EscapeForBox(file.errorString())), QStringLiteral("SaveFile"));
        emit ActionDone();
        return;
    }

    if (store) {
        store->setValue(LastTypeKey, int(format));
        store->setValue(LastFileKey, fileName);
    }
    ShowInfo(tr("File '%1 saved").arg(EscapeForBox(file.fileName())), false, false);
    emit ActionDone();
}
