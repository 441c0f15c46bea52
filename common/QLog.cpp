#include "QLog.h"

#include "FileDialog.h"
#include "LogExporter.h"
#include "LogWidgetItem.h"
#include "QConfirm.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QSaveFile>
#include <QVector>

#include <utility>

namespace {

QLog* registeredLog = nullptr;

struct PendingRecord
{
    QLog::QLogType type;
    QString text;
    QDateTime moment;
};

// Records written before a panel registered (other panels of the main window
// are built, and log, before the log panel).
QVector<PendingRecord>& pendingRecords()
{
    static QVector<PendingRecord> records;
    return records;
}

QIcon iconFor(QLog::QLogType type)
{
    switch (type) {
    case QLog::QLogType::Info:
        return QIcon(QStringLiteral(":/icons/blank.png"));
    case QLog::QLogType::Warning:
        return QIcon(QStringLiteral(":/icons/exclamation.png"));
    case QLog::QLogType::Error:
        return QIcon(QStringLiteral(":/icons/error.png"));
    }
    return QIcon();
}

// In the order of the selection, not sorted again by time.
QVector<LogExporter::Record> recordsOf(const QList<QTreeWidgetItem*>& items)
{
    QVector<LogExporter::Record> records;
    records.reserve(items.size());
    for (const QTreeWidgetItem* item : items) {
        if (const auto* record = dynamic_cast<const LogWidgetItem*>(item))
            records.append({record->Moment(), record->Message()});
    }
    return records;
}

QAction* makeAction(QLog* log, const QString& iconPath, const QKeySequence& shortcut)
{
    auto* action = new QAction(QIcon(iconPath), QString(), log);
    action->setShortcut(shortcut);
    log->addAction(action);
    return action;
}

} // namespace

QLog::QLog(QWidget* parent)
    : QTreeWidget(parent)
{
    if (!registeredLog)
        registeredLog = this;

    setHeaderLabels({QStringLiteral("timestamp"), QStringLiteral("message")});

    clearAction = makeAction(this, QStringLiteral(":/icons/eraser.png"), QKeySequence());
    connect(clearAction, &QAction::triggered, this, &QLog::Clear);
    selectAllAction = makeAction(this, QStringLiteral(":/icons/cards_stack.png"), QKeySequence::SelectAll);
    connect(selectAllAction, &QAction::triggered, this, &QLog::selectAll);
    copyAction = makeAction(this, QStringLiteral(":/icons/clipboard.png"), QKeySequence(Qt::CTRL | Qt::Key_C));
    connect(copyAction, &QAction::triggered, this, &QLog::Copy);
    exportAction = makeAction(this, QStringLiteral(":/icons/disk-black.png"), QKeySequence(Qt::CTRL | Qt::Key_E));
    connect(exportAction, &QAction::triggered, this, &QLog::Export);

    connect(this, &QTreeWidget::itemSelectionChanged, this, &QLog::UpdateExportAction);
    UpdateExportAction();

    sortByColumn(0, Qt::AscendingOrder);
    LanguageChanged();

    if (registeredLog == this) {
        const QVector<PendingRecord> early = std::exchange(pendingRecords(), {});
        for (const PendingRecord& record : early)
            Add(record.type, record.text, record.moment);
    }
}

QLog::~QLog()
{
    // A second panel going away must not unregister the one in use.
    if (registeredLog == this)
        registeredLog = nullptr;
}

QLog* QLog::Instance()
{
    return registeredLog;
}

void QLog::Write(QLogType type, const QString& text)
{
    if (registeredLog)
        registeredLog->Add(type, text);
    else
        pendingRecords().append({type, text, QDateTime::currentDateTime()});
}

void QLog::LanguageChanged()
{
    clearAction->setText(tr("Clear log"));
    selectAllAction->setText(tr("Select All"));
    copyAction->setText(tr("Copy selected to the clipboard"));
    exportAction->setText(tr("Export selected to a file"));
}

void QLog::Info(const QString& str)
{
    Add(QLogType::Info, str);
}

void QLog::Warning(const QString& str)
{
    Add(QLogType::Warning, str);
}

void QLog::Error(const QString& str)
{
    Add(QLogType::Error, str);
}

void QLog::SelectNone()
{
    clearSelection();
}

void QLog::Export()
{
    if (selectedItems().isEmpty())
        return;
    const QString fileName = FileDialog::GetSaveFileName(this, tr("Where to save the file to?"), QString(),
                                                         tr("Text (*.txt);;CSV (*.csv);;XML (*.xml)"));
    if (fileName.isEmpty())
        return;
    const std::optional<LogExporter::Format> format = LogExporter::FormatOf(fileName);
    if (!format) {
        ShowError(tr("Unable to save file in such format"), QStringLiteral("ExportFormat"));
        return;
    }

    // The old file is replaced only by a complete new one (see WriteAll).
    QSaveFile file(fileName);
    const bool saved = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)
                       && LogExporter::Write(file, *format, recordsOf(selectedItems())) && file.commit();
    if (!saved) {
        ShowError(tr("Unable to save file: %1").arg(EscapeForBox(file.errorString())), QStringLiteral("SaveFile"));
        return;
    }
    ShowInfo(tr("File '%1 saved").arg(EscapeForBox(file.fileName())), false, false);
}

void QLog::Copy()
{
    // Leaves the clipboard alone when there is nothing to copy.
    const QList<QTreeWidgetItem*> selection = selectedItems();
    if (selection.isEmpty())
        return;
    QGuiApplication::clipboard()->setText(LogExporter::Render(LogExporter::Format::Text, recordsOf(selection)),
                                          QClipboard::Clipboard);
}

void QLog::UpdateExportAction()
{
    const bool anySelected = !selectedItems().isEmpty();
    copyAction->setEnabled(anySelected);
    exportAction->setEnabled(anySelected);
}

void QLog::Clear()
{
    clear();
}

void QLog::Add(QLogType type, const QString& text)
{
    Add(type, text, QDateTime::currentDateTime());
}

void QLog::Add(QLogType type, const QString& text, const QDateTime& moment)
{
    setUpdatesEnabled(false);
    if (type == QLogType::Warning)
        RaiseCount("warnings");
    else if (type == QLogType::Error)
        RaiseCount("errors");

    auto* item = new LogWidgetItem(moment, iconFor(type), text);
    addTopLevelItem(item);
    for (int column = 0; column < header()->count(); ++column)
        resizeColumnToContents(column);

    setUpdatesEnabled(true);
    scrollToItem(item, QAbstractItemView::EnsureVisible);
    emit Logged(type, text);
}

void QLog::RaiseCount(const char* property)
{
    setProperty(property, this->property(property).toInt() + 1);
}
