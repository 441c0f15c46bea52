#include "MyTemplates.h"

#include "DataFolder.h"
#include "QCatalog.h"
#include "QConfirm.h"
#include "QLog.h"
#include "QPriceValidator.h"
#include "SiteDownload.h"
#include "TemplateArchive.h"
#include "TemplateFile.h"
#include "TextInput.h"
#include "TriggerRow.h"
#include "WriteAll.h"
#include "ui_MyTemplates.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>

// Marks an operation as under way. When the outermost one ends, the list
// shows the current template again, whatever was chosen meanwhile.
class MyTemplates::Busy
{
public:
    explicit Busy(MyTemplates* panel)
        : panel(panel)
    {
        ++panel->running;
    }
    ~Busy()
    {
        if (--panel->running == 0)
            panel->ShowCurrentEntry();
    }

private:
    MyTemplates* panel;
    Q_DISABLE_COPY(Busy)
};

MyTemplates::MyTemplates(QWidget* parent)
    : QFrame(parent)
    , ui(std::make_unique<Ui::MyTemplates>())
{
    ui->setupUi(this);
    QPriceValidator::InitPriceLadder();

    const QString catalogs = GetConfigDir() + QStringLiteral("catalogs/");
    QDir().mkpath(catalogs);
    QCatalog::Init(QDir(catalogs).absolutePath());

    templatesDir.setPath(TemplateFile::Folder());
    QDir().mkpath(templatesDir.absolutePath());

    rowsLayout = ui->scrollAreaWidgetContents->layout();
    rowsLayout->setAlignment(Qt::AlignTop);
    connect(ui->TriggersGroup->verticalScrollBar(), &QScrollBar::rangeChanged, this,
        &MyTemplates::ScrollToNewTrigger);

    ClearConditions();
    Changed(false);
}

MyTemplates::~MyTemplates()
{
    // The children go after this part of the panel; their signals (a row's
    // destroyed(), the scroll range) must no longer reach it.
    const QList<QObject*> children = findChildren<QObject*>();
    for (QObject* child : children)
        QObject::disconnect(child, nullptr, this, nullptr);
}

bool MyTemplates::IsValid() const
{
    const QList<TriggerRow*> rows = Rows();
    return std::all_of(rows.begin(), rows.end(), [](const TriggerRow* row) { return row->IsValid(); });
}

QJsonObject MyTemplates::GetFilter() const
{
    QJsonObject filter;
    for (const TriggerRow* row : Rows())
        row->AddToFilter(filter);
    return filter;
}

void MyTemplates::GetWidgets(QList<QWidget*>& widgets) const
{
    widgets << ui->PresetsRow << ui->ConditionsFrame;
}

QString MyTemplates::FileName(const QString& name, bool sanitize) const
{
    return TemplateFile::FileName(templatesDir.absolutePath(), name, sanitize);
}

QString MyTemplates::LocalizedName(const QJsonObject& names, const QString& fallback)
{
    return TemplateFile::LocalizedName(names, fallback);
}

QJsonObject MyTemplates::ToJson() const
{
    QJsonArray conditions;
    for (const TriggerRow* row : Rows()) {
        QJsonObject record;
        row->Save(record);
        conditions.append(record);
    }
    return { { QStringLiteral("conditions"), conditions } };
}

QString MyTemplates::PathOf(const QString& baseName) const
{
    return TemplateFile::PathOf(templatesDir.absolutePath(), baseName);
}

QString MyTemplates::CurrentBaseName() const
{
    return currentFile.isEmpty() ? QString() : QFileInfo(currentFile).completeBaseName();
}

void MyTemplates::DoSave()
{
    saveDeclined = false;
    if (readOnly)
        DoSaveAs();
    else
        SaveTemplate();
}

void MyTemplates::ReloadTemplates(const QString& newFileName)
{
    const Busy busy(this);
    FillList();
    QString chosen = newFileName;
    if (!chosen.isEmpty() && IndexOf(chosen) < 0 && QFileInfo(chosen).isFile()) {
        chosen = Adopt(chosen);
        FillList();
    }
    Choose({ IndexOf(chosen) > 0 ? chosen : QString() });
}

void MyTemplates::ReloadTemplates()
{
    ReloadTemplates(QString());
}

void MyTemplates::LanguageChanged()
{
    const Busy busy(this);
    ui->retranslateUi(this);
    if (!currentFile.isEmpty() && !changed) {
        // Nothing to lose: the rows are built again in the new language.
        LoadTemplate(QFileInfo(currentFile).completeBaseName());
        return;
    }
    if (!currentFile.isEmpty()) {
        TemplateFile::Content content;
        QString error;
        if (TemplateFile::Read(currentFile, content, error))
            templateName = LocalizedName(content.names, QFileInfo(currentFile).completeBaseName());
    }
    emit TemplateLoaded(templateName);
}

void MyTemplates::SetButtonsEnabled(int index)
{
    ui->DelBut->setEnabled(index > 0 && !readOnly);
    ui->SaveBut->setEnabled(index > 0 && changed && !readOnly);
    for (QWidget* button : { ui->NewBut, ui->SaveAsBut, ui->ButAdd, ui->ButClear })
        button->setEnabled(true);
}

void MyTemplates::DoSaveAs()
{
    const Busy busy(this);
    const QString proposal = currentFile.isEmpty() ? QString() : tr("Copy of %1").arg(templateName);
    const std::optional<QString> name
        = TextInput::GetText(this, tr("Save template as..."), tr("Please enter new name:"), proposal);
    if (!name || name->isEmpty()) {
        saveDeclined = true;
        return;
    }
    SaveTemplate(*name);
}

void MyTemplates::SaveTemplate()
{
    const Busy busy(this);
    if (currentFile.isEmpty() || readOnly)
        DoSaveAs();
    else
        SaveTo(currentFile);
}

void MyTemplates::LoadTemplate(const QString& name)
{
    const Busy busy(this);
    const QString path = PathOf(name);
    TemplateFile::Content content;
    QString error;
    if (!TemplateFile::Read(path, content, error)) {
        ShowInfo(tr("Unable to open file '%1': %2").arg(EscapeForBox(name), EscapeForBox(error)));
        return;
    }
    const QString displayName = LocalizedName(content.names, name);

    RemoveRows();
    int number = 0;
    for (const QJsonValue& record : qAsConst(content.conditions)) {
        TriggerRow* row = NewRow();
        row->Load(record.toObject());
        ++number;
        if (!row->HasEveryChoice()) {
            QLog::Write(QLog::QLogType::Warning,
                tr("Condition %1 of the template '%2' asks for a choice that is not on offer; "
                   "choose it again before searching.")
                    .arg(number)
                    .arg(displayName));
        }
        Connect(row);
    }
    readOnly = content.readOnly;
    currentFile = path;
    fileNames = content.names;
    ShowCurrentEntry();
    if (number == 0)
        AddCondition();
    else
        TemplatesListUpdated(nullptr);
    Changed(false);
    templateName = displayName;
    emit TemplateLoaded(templateName);
}

void MyTemplates::AddCondition()
{
    Connect(NewRow());
    TemplatesListUpdated(nullptr);
    Changed(true);
}

void MyTemplates::NewTemplate()
{
    const Busy busy(this);
    if (!Leave(true))
        return;
    ForgetFile();
    ClearConditions();
    // A blank template holds nothing to lose.
    Changed(false);
}

void MyTemplates::ClearConditions()
{
    RemoveRows();
    AddCondition();
}

void MyTemplates::ScrollToNewTrigger(int /*min*/, int max)
{
    ui->TriggersGroup->verticalScrollBar()->setValue(max);
}

void MyTemplates::LoadTemplate(int index)
{
    // A choice made while an operation waits for the user is undone when it ends.
    if (running)
        return;
    const Busy busy(this);
    Choose(EntryAt(index));
}

void MyTemplates::SaveTemplate(const QString& name)
{
    const Busy busy(this);
    const QString path = FileName(name, true);
    if (!MayWrite(path) || !SaveTo(path))
        return;
    if (path != currentFile)
        fileNames = QJsonObject();
    currentFile = path;
    readOnly = false;
    ReloadTemplates(QFileInfo(path).completeBaseName());
}

void MyTemplates::DeleteTemplate()
{
    const Busy busy(this);
    const int index = ui->TemplatesList->currentIndex();
    if (readOnly || index <= 0)
        return;
    const Entry entry = EntryAt(index);
    if (!AskConfirm(tr("Are you sure to delete template '%1'?").arg(EscapeForBox(templateName))))
        return;
    QFile file(PathOf(entry.baseName));
    if (!file.remove())
        ShowInfo(tr("Unable to delete file: %1").arg(EscapeForBox(file.errorString())));
    // The rows stay as an unsaved template; nothing writes them back.
    DetachFile();
    ReloadTemplates();
    Changed(true);
}

void MyTemplates::TemplatesListUpdated(QObject* src)
{
    const int count = rowsLayout->count();
    if (count == 0)
        return;
    // src is being destroyed: compare it, never use it.
    const int first = (src && static_cast<QObject*>(rowsLayout->itemAt(0)->widget()) == src) ? 1 : 0;
    if (first >= count)
        return;
    if (auto* row = qobject_cast<TriggerRow*>(rowsLayout->itemAt(first)->widget()))
        row->SetDeleteEnabled(src ? count > 2 : count > 1);
}

void MyTemplates::Changed()
{
    Changed(true);
}

void MyTemplates::Changed(bool val)
{
    changed = val;
    emit onChanged(val);
    SetButtonsEnabled(ui->TemplatesList->currentIndex());
}

void MyTemplates::UpdateFromInternet()
{
    //: %1 is the English web site, %2 the Russian one: each language names its own.
    //: %3/%4/%5 are the program's version numbers.
    const QUrl address = SiteDownload::Address(tr("%1/download/%3/%4/%5/templates.zip"));
    if (SiteDownload::Start(address, this, &MyTemplates::Updated))
        QLog::Write(QLog::QLogType::Info, tr("Updating predefined templates..."));
}

void MyTemplates::Updated(QNetworkReply* reply)
{
    QByteArray archive;
    if (!SiteDownload::Received(reply, &archive))
        return;
    const TemplateArchive::Result result = TemplateArchive::Install(archive, templatesDir.absolutePath());
    if (result.written == 0)
        return;
    // The user may be in the middle of something: no question, no reload,
    // and the current template stays chosen.
    FillList();
    ShowCurrentEntry();
}

void MyTemplates::FillList()
{
    const QSignalBlocker blocker(ui->TemplatesList);
    ui->TemplatesList->clear();
    ui->TemplatesList->addItem(tr("[Unsaved]"));
    templatesDir.refresh();
    const QStringList files = templatesDir.entryList({ QStringLiteral("*.") + TemplateFile::Extension },
        QDir::Files | QDir::CaseSensitive, QDir::Name);
    for (const QString& fileName : files) {
        QFile file(templatesDir.absoluteFilePath(fileName));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        TemplateFile::Content content;
        QString ignored;
        TemplateFile::Parse(file.readAll(), content, ignored);
        const QString baseName = QFileInfo(fileName).completeBaseName();
        ui->TemplatesList->addItem(LocalizedName(content.names, baseName), baseName);
    }
}

MyTemplates::Entry MyTemplates::EntryAt(int index) const
{
    if (index <= 0)
        return {};
    return { ui->TemplatesList->itemData(index).toString() };
}

int MyTemplates::IndexOf(const QString& baseName) const
{
    if (baseName.isEmpty())
        return -1;
    for (int i = 1; i < ui->TemplatesList->count(); ++i) {
        if (ui->TemplatesList->itemData(i).toString() == baseName)
            return i;
    }
    return -1;
}

void MyTemplates::ShowCurrentEntry()
{
    if (ui->TemplatesList->count() == 0)
        return;
    const int index = currentFile.isEmpty() ? 0 : IndexOf(QFileInfo(currentFile).completeBaseName());
    {
        const QSignalBlocker blocker(ui->TemplatesList);
        ui->TemplatesList->setCurrentIndex(std::max(index, 0));
    }
    SetButtonsEnabled(ui->TemplatesList->currentIndex());
}

void MyTemplates::Choose(const Entry& entry)
{
    if (!Leave(!entry.IsUnsaved()))
        return;
    if (entry.IsUnsaved())
        ForgetFile(); // the rows stay, belonging to no file
    else
        LoadTemplate(entry.baseName);
}

bool MyTemplates::Leave(bool rowsReplaced)
{
    if (!changed)
        return true;
    const bool named = !currentFile.isEmpty();
    if (!named && !rowsReplaced)
        return true;
    const QString name = named ? templateName : tr("[Unsaved]");
    if (!AskConfirm(tr("The template '%1' has been changed. Would you like to save it?").arg(EscapeForBox(name))))
        return true;
    DoSave();
    // Yes, but nothing was saved (the copy's name declined, a failed write):
    // the rows stay where they are.
    return !changed;
}

void MyTemplates::DetachFile()
{
    templateName.clear();
    currentFile.clear();
    fileNames = QJsonObject();
}

void MyTemplates::ForgetFile()
{
    DetachFile();
    ShowCurrentEntry();
    emit TemplateLoaded(templateName);
}

bool MyTemplates::SaveTo(const QString& path)
{
    if (!IsValid()
        && !AskConfirm(tr("One or more of the entered values are not valid. Would you like to save it anyway?")))
        return false;
    QJsonObject content = ToJson();
    if (path == currentFile && !fileNames.isEmpty())
        content.insert(QStringLiteral("name"), fileNames);
    const QByteArray bytes = QJsonDocument(content).toJson(QJsonDocument::Indented);
    // Nothing is written that could not be opened again.
    QString error = TemplateFile::SizeError(bytes.size(), content.value(QLatin1String("conditions")).toArray().size());
    if (!error.isEmpty() || !SaveWholeFile(path, bytes, error)) {
        ShowError(tr("Unable to save file: %1").arg(EscapeForBox(error)), QStringLiteral("SaveFile"));
        return false;
    }
    Changed(false);
    return true;
}

bool MyTemplates::MayWrite(const QString& path)
{
    if (!QFileInfo::exists(path))
        return true;
    QFile existing(path);
    if (!existing.open(QIODevice::ReadOnly))
        return false;
    TemplateFile::Content content;
    QString ignored;
    TemplateFile::Parse(existing.readAll(), content, ignored);
    if (content.readOnly)
        return false;
    return AskConfirm(
        tr("File '%1' exists. Overwrite?").arg(EscapeForBox(QFileInfo(path).completeBaseName())));
}

QString MyTemplates::Adopt(const QString& path)
{
    QFile source(path);
    TemplateFile::Content content;
    QString error;
    QByteArray bytes;
    if (source.open(QIODevice::ReadOnly))
        bytes = source.readAll();
    else
        error = source.errorString();
    if (!error.isEmpty() || !TemplateFile::Parse(bytes, content, error)) {
        ShowInfo(tr("Unable to open file '%1': %2").arg(EscapeForBox(path), EscapeForBox(error)));
        return {};
    }

    const QFileInfo info(path);
    const QString folder = QDir(templatesDir.absolutePath()).canonicalPath();
    if (info.suffix() == QLatin1String(TemplateFile::Extension) && !info.fileName().startsWith(QLatin1Char('.'))
        && QDir(info.absolutePath()).canonicalPath() == folder)
        return info.completeBaseName();

    // A copy under a free name; a file already holding the same template is
    // taken as it is.
    const QString baseName = QFileInfo(FileName(info.completeBaseName(), true)).completeBaseName();
    for (int number = 1; number < 1000; ++number) {
        const QString candidate
            = number == 1 ? baseName : QStringLiteral("%1 (%2)").arg(baseName).arg(number);
        QFile copy(PathOf(candidate));
        if (copy.exists()) {
            if (copy.open(QIODevice::ReadOnly) && copy.readAll() == bytes)
                return candidate;
            continue;
        }
        // NewOnly: a file that appeared meanwhile is never written over.
        if (copy.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            if (WriteAll(copy, bytes)) {
                copy.close();
                return candidate;
            }
            error = copy.errorString();
            copy.remove();
        } else if (copy.exists()) {
            continue;
        } else {
            error = copy.errorString();
        }
        break;
    }
    ShowError(tr("Unable to save file: %1").arg(EscapeForBox(error)), QStringLiteral("SaveFile"));
    return {};
}

QList<TriggerRow*> MyTemplates::Rows() const
{
    QList<TriggerRow*> rows;
    for (int i = 0; i < rowsLayout->count(); ++i) {
        if (auto* row = qobject_cast<TriggerRow*>(rowsLayout->itemAt(i)->widget()))
            rows << row;
    }
    return rows;
}

TriggerRow* MyTemplates::NewRow()
{
    auto* row = new TriggerRow(ui->TriggersGroup);
    rowsLayout->addWidget(row);
    return row;
}

void MyTemplates::Connect(TriggerRow* row)
{
    connect(row, &QObject::destroyed, this, &MyTemplates::TemplatesListUpdated);
    connect(row, &TriggerRow::Changed, this, QOverload<>::of(&MyTemplates::Changed));
}

void MyTemplates::RemoveRows()
{
    while (QLayoutItem* item = rowsLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
}
