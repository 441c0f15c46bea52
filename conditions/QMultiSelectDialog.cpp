#include "QMultiSelectDialog.h"

#include "FileDialog.h"
#include "LineFileReader.h"
#include "QConfirm.h"
#include "SettingsStore.h"
#include "ui_QMultiSelectDialog.h"

#include <QAction>
#include <QGraphicsColorizeEffect>
#include <QJsonObject>
#include <QPropertyAnimation>
#include <QSettings>
#include <QSignalBlocker>
#include <QValidator>

#include <utility>

namespace {

const QString showMoreSeenKey = QStringLiteral("ShowMoreSeen");
// The hint flashes until the user has clicked the switch this many times.
constexpr int flashingShows = 5;

constexpr Qt::ItemFlags entryFlags = Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
constexpr Qt::ItemFlags valueFlags
    = Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;

int showMoreSeen()
{
    QSettings* store = SettingsStore();
    return store ? store->value(showMoreSeenKey, 0).toInt() : 0;
}

void startFlashing(QWidget* button)
{
    auto* effect = new QGraphicsColorizeEffect(button);
    effect->setColor(QColor(255, 255, 255, 255));
    button->setGraphicsEffect(effect);
    auto* animation = new QPropertyAnimation(effect, "strength", effect);
    animation->setDuration(5000);
    animation->setEasingCurve(QEasingCurve::Linear);
    static const std::pair<qreal, qreal> keys[] = { { 0, 0 }, { 0.1, 1 }, { 0.2, 0 }, { 0.3, 1 }, { 0.4, 0 },
        { 0.45, 0.9 }, { 0.5, 0 }, { 0.55, 0.9 }, { 0.6, 0 }, { 0.65, 0.8 }, { 0.7, 0 }, { 0.75, 0.7 },
        { 0.8, 0 }, { 0.9, 0.5 }, { 1, 0 } };
    for (const auto& key : keys)
        animation->setKeyValueAt(key.first, key.second);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

} // namespace

QMultiSelectDialog::QMultiSelectDialog(QWidget* parent)
    : QDialog(parent)
    , itemsWord(QStringLiteral("values"))
    , ui(new Ui::QMultiSelectDialog)
    , errorIcon(QStringLiteral(":/icons/error.png"))
    , reader(new LineFileReader(this))
{
    ui->setupUi(this);

    selectAllAction = new QAction(tr("Select All"), ui->List);
    selectAllAction->setShortcuts(QKeySequence::SelectAll);
    connect(selectAllAction, &QAction::triggered, this, &QMultiSelectDialog::SelectAll);
    ui->List->addAction(selectAllAction);
    selectNoneAction = new QAction(tr("Select None"), ui->List);
    selectNoneAction->setShortcuts(QKeySequence::Deselect);
    connect(selectNoneAction, &QAction::triggered, this, &QMultiSelectDialog::SelectNone);
    ui->List->addAction(selectNoneAction);

    connect(ui->List, &QListWidget::itemSelectionChanged, this, &QMultiSelectDialog::UpdateCount);
    connect(ui->List, &QListWidget::itemChanged, this, &QMultiSelectDialog::UpdateCount);

    connect(reader, &LineFileReader::LinesRead, this, [this](const QStringList& lines) {
        AppendValues(lines);
        UpdateCount();
    });
    connect(reader, &LineFileReader::Finished, this, &QMultiSelectDialog::ImportFinished);
    connect(this, &QDialog::finished, this, &QMultiSelectDialog::StopImport);

    SetEditable(false);
}

QMultiSelectDialog::~QMultiSelectDialog()
{
    // Hiding the dialog commits an open item editor; that change must not
    // reach this half-destroyed object.
    disconnect(ui->List, nullptr, this, nullptr);
    disconnect(ui->List->itemDelegate(), nullptr, this, nullptr);
    delete ui;
}

void QMultiSelectDialog::SetEditable(bool on)
{
    editable = on;
    ui->AddBut->setVisible(on);
    ui->DelBut->setVisible(on);
    ui->FileBut->setVisible(on);
    ui->ShowMore->setVisible(!on);
    ui->List->setEditTriggers(on ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                                 : QAbstractItemView::NoEditTriggers);
    ui->List->setSelectionMode(on ? QAbstractItemView::ExtendedSelection : QAbstractItemView::MultiSelection);
    QAbstractItemDelegate* delegate = ui->List->itemDelegate();
    disconnect(delegate, &QAbstractItemDelegate::closeEditor, this, &QMultiSelectDialog::ValidateInput);
    if (on)
        connect(delegate, &QAbstractItemDelegate::closeEditor, this, &QMultiSelectDialog::ValidateInput);
    // Both act on check boxes, which free values do not have.
    selectAllAction->setEnabled(!on);
    selectNoneAction->setEnabled(!on);
}

void QMultiSelectDialog::setSorting(bool on)
{
    ui->List->setSortingEnabled(on);
    ui->List->sortItems(Qt::AscendingOrder);
}

void QMultiSelectDialog::SetTitle(const QString& format, const QString& word)
{
    setWindowTitle(format.arg(word));
    itemsWord = word;
}

void QMultiSelectDialog::SetItems(const QJsonArray& items, const QStringList& selected)
{
    StopImport();
    ui->List->clear();
    const QString languageKey = tr("en");
    bool checkedAreFavourites = true;
    {
        const QSignalBlocker blocker(ui->List);
        for (const QJsonValue element : items) {
            const QJsonObject entry = element.toObject();
            const QString code = entry.value(QLatin1String("code")).toString();
            const bool favourite = entry.value(QLatin1String("fav")).toBool(false);
            const bool checked = selected.contains(code);
            // Every role is set before the item joins a sorted list.
            auto* item = new QListWidgetItem(entry.value(languageKey).toString());
            item->setData(Qt::UserRole, code);
            item->setData(FavouriteRole, favourite);
            item->setFlags(entryFlags);
            item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
            if (checked)
                checkedAreFavourites = checkedAreFavourites && favourite;
            ui->List->addItem(item);
            ValidateItem(item);
        }
    }
    UpdateCount();
    const bool expanded = !checkedAreFavourites;
    ui->ShowMore->setChecked(expanded);
    SwitchMore(expanded);
}

void QMultiSelectDialog::SetValues(const QStringList& values)
{
    StopImport();
    ui->List->clear();
    AppendValues(values);
    UpdateCount();
}

QStringList QMultiSelectDialog::GetSelected() const
{
    QStringList result;
    for (int row = 0; row < ui->List->count(); ++row) {
        const QListWidgetItem* item = ui->List->item(row);
        if (editable)
            result.append(item->text());
        else if (item->checkState() == Qt::Checked)
            result.append(item->data(Qt::UserRole).toString());
    }
    return result;
}

void QMultiSelectDialog::UpdateCount()
{
    int count = 0;
    if (editable) {
        count = ui->List->count();
    } else {
        for (int row = 0; row < ui->List->count(); ++row)
            count += ui->List->item(row)->checkState() == Qt::Checked ? 1 : 0;
    }
    ui->CountLabel->setText(tr("Selected: %1").arg(count));
    // A half-read file is not a result.
    const bool usable = count > 0 && !IsImporting();
    ui->OkBut->setEnabled(usable);
    ui->DelBut->setEnabled(usable);
}

void QMultiSelectDialog::AddItem()
{
    QListWidgetItem* item = NewValueItem(tr("EDIT ME"));
    ui->List->addItem(item);
    UpdateCount();
    ui->List->setCurrentItem(item);
    ui->AddBut->setEnabled(false);
    ui->List->editItem(item);
}

void QMultiSelectDialog::DelItems()
{
    {
        const QSignalBlocker blocker(ui->List);
        const QList<QListWidgetItem*> doomed = ui->List->selectedItems();
        // Deleting row by row costs a move of every later row each time.
        if (doomed.size() == ui->List->count())
            ui->List->clear();
        else
            qDeleteAll(doomed);
        ui->List->setCurrentRow(0);
    }
    UpdateCount();
}

void QMultiSelectDialog::ValidateItem(QListWidgetItem* item)
{
    if (!item || !validator)
        return;
    QString text = item->text();
    int position = 0;
    QValidator::State state = validator->validate(text, position);
    if (state == QValidator::Intermediate) {
        text = item->text();
        validator->fixup(text);
        item->setText(text);
        state = validator->validate(text, position);
    }
    if (state != QValidator::Acceptable)
        item->setIcon(errorIcon);
    else if (!item->icon().isNull())
        item->setIcon(QIcon());
}

void QMultiSelectDialog::ValidateInput(QWidget*, QAbstractItemDelegate::EndEditHint)
{
    ValidateItem(ui->List->currentItem());
    ui->AddBut->setEnabled(!IsImporting());
}

void QMultiSelectDialog::SwitchMore(bool on)
{
    for (int row = 0; row < ui->List->count(); ++row) {
        QListWidgetItem* item = ui->List->item(row);
        const bool marked = editable ? item->isSelected() : item->checkState() == Qt::Checked;
        item->setHidden(!(marked || on || item->data(FavouriteRole).toBool()));
    }
    const QKeySequence shortcut(on ? Qt::CTRL + Qt::Key_Up : Qt::CTRL + Qt::Key_Down);
    const QString keys = shortcut.toString(QKeySequence::PortableText);
    ui->ShowMore->setText(on ? tr("Show less %1").arg(itemsWord) : tr("Show more %1").arg(itemsWord));
    ui->ShowMore->setShortcut(shortcut);
    ui->ShowMore->setToolTip(on ? tr("Show less (%1)").arg(keys) : tr("Show all (%1)").arg(keys));
}

void QMultiSelectDialog::DisableFlashingButton()
{
    if (QSettings* store = SettingsStore())
        store->setValue(showMoreSeenKey, store->value(showMoreSeenKey, 0).toInt() + 1);
}

void QMultiSelectDialog::SelectAll()
{
    SetChecked(Qt::Checked);
}

void QMultiSelectDialog::SelectNone()
{
    SetChecked(Qt::Unchecked);
}

void QMultiSelectDialog::SelectFile()
{
    const QString path
        = FileDialog::GetOpenFileName(this, tr("Open text file"), QString(), tr("Text Files (*.txt *.csv)"));
    if (path.isEmpty())
        return;
    if (!reader->Start(path)) {
        ShowError(tr("Unable to open file '%1'").arg(EscapeForBox(path)), QStringLiteral("OpenFile"));
        return;
    }
    // The file replaces every value; it arrives in batches.
    ui->List->clear();
    ui->AddBut->setEnabled(false);
    ui->FileBut->setEnabled(false);
    UpdateCount();
}

void QMultiSelectDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (editable || showMoreSeen() >= flashingShows)
        return;
    startFlashing(ui->ShowMore);
}

QListWidgetItem* QMultiSelectDialog::NewValueItem(const QString& text) const
{
    auto* item = new QListWidgetItem(text);
    item->setFlags(valueFlags);
    return item;
}

void QMultiSelectDialog::AppendValues(const QStringList& values)
{
    const QSignalBlocker blocker(ui->List);
    for (const QString& value : values) {
        QListWidgetItem* item = NewValueItem(value);
        ui->List->addItem(item);
        ValidateItem(item);
    }
}

void QMultiSelectDialog::SetChecked(Qt::CheckState state)
{
    {
        const QSignalBlocker blocker(ui->List);
        for (int row = 0; row < ui->List->count(); ++row) {
            QListWidgetItem* item = ui->List->item(row);
            if (!item->isHidden())
                item->setCheckState(state);
        }
    }
    UpdateCount();
}

void QMultiSelectDialog::StopImport()
{
    if (!IsImporting())
        return;
    reader->Stop();
    ImportFinished();
}

void QMultiSelectDialog::ImportFinished()
{
    ui->AddBut->setEnabled(true);
    ui->FileBut->setEnabled(true);
    UpdateCount();
}

bool QMultiSelectDialog::IsImporting() const
{
    return reader->IsReading();
}
