#pragma once

#include <QDir>
#include <QFrame>
#include <QJsonObject>
#include <QList>

#include <memory>

class QLayout;
class QNetworkReply;
class TriggerRow;

namespace Ui {
class MyTemplates;
}

// The template panel: the list of template files, the condition rows of the
// current template, and the buttons that make, save, copy and delete
// templates.
//
// The rows belong to one file at a time (or to none, under "[Unsaved]"):
// saving writes to that file, and the rows are only replaced once their
// unsaved changes have been saved or given up. The list's own signals run
// LoadTemplate(int) like a choice by the user; while an operation waits for
// the user (a question, the name of a copy) such choices are ignored, and
// the list is put back on the current template when the operation ends.
class MyTemplates : public QFrame
{
    Q_OBJECT
    Q_DISABLE_COPY(MyTemplates)

public:
    // Builds the price ladder, the catalogs and the templates folder, and
    // shows one empty row. The list stays empty until ReloadTemplates().
    explicit MyTemplates(QWidget* parent = nullptr);
    ~MyTemplates() override;

    // Every row holds a usable condition; stops at the first that does not.
    bool IsValid() const;
    bool IsChanged() const { return changed; }
    // The search filter of the rows, in row order.
    QJsonObject GetFilter() const;
    // The display name of the current template; empty under "[Unsaved]".
    QString CurrentTemplate() const { return templateName; }
    // The base name of the current template's file, which ReloadTemplates
    // takes back; empty under "[Unsaved]".
    QString CurrentBaseName() const;
    // Whether the last DoSave ended because the user gave no name for the copy.
    bool SaveDeclined() const { return saveDeclined; }
    // Adds the widgets to disable while a search runs.
    void GetWidgets(QList<QWidget*>& widgets) const;

    // The file of the template called name (a typed name when sanitize is set).
    QString FileName(const QString& name, bool sanitize) const;
    static QString LocalizedName(const QJsonObject& names, const QString& fallback);
    // The template file's content for the rows now in the panel.
    QJsonObject ToJson() const;

signals:
    void TemplateLoaded(const QString& name);
    void onChanged(bool val);

public slots:
    void DoSave();
    // Refills the list and chooses the template whose file has the base name
    // newFileName. A path of a template file elsewhere is copied into the
    // templates folder first (under a free name) and chosen.
    void ReloadTemplates(const QString& newFileName);
    void ReloadTemplates();
    void LanguageChanged();
    // Downloads the archive of predefined templates from the product site and
    // installs it into the templates folder in the background: the list is
    // refilled, but the open template, its rows and the choice stay as they
    // are. Progress and failures go to the log.
    void UpdateFromInternet();
    void SetButtonsEnabled(int index);
    void DoSaveAs();
    void SaveTemplate();
    // Replaces the rows with those of the listed file with this base name.
    void LoadTemplate(const QString& name);
    void AddCondition();
    void NewTemplate();
    void ClearConditions();
    void ScrollToNewTrigger(int min, int max);
    void LoadTemplate(int index);
    // Saves the rows under a typed name, never over a read-only template nor,
    // unless the user agrees, over another file; that file becomes current.
    void SaveTemplate(const QString& name);
    void DeleteTemplate();
    void TemplatesListUpdated(QObject* src);
    void Changed();
    void Changed(bool val);
    void Updated(QNetworkReply* reply);

private:
    class Busy;

    // A list entry: a template file by its base name, or "[Unsaved]".
    struct Entry
    {
        QString baseName;
        bool IsUnsaved() const { return baseName.isEmpty(); }
    };

    void FillList();
    Entry EntryAt(int index) const;
    int IndexOf(const QString& baseName) const;
    void ShowCurrentEntry();
    void Choose(const Entry& entry);
    bool Leave(bool rowsReplaced);
    void DetachFile();
    void ForgetFile();
    bool SaveTo(const QString& path);
    bool MayWrite(const QString& path);
    QString Adopt(const QString& path);
    QString PathOf(const QString& baseName) const;

    QList<TriggerRow*> Rows() const;
    TriggerRow* NewRow();
    void Connect(TriggerRow* row);
    void RemoveRows();

    QDir templatesDir;
    std::unique_ptr<Ui::MyTemplates> ui;
    bool changed = false;
    bool readOnly = false;
    QString templateName;
    QLayout* rowsLayout = nullptr;
    // The file the rows came from or were last saved to; empty under "[Unsaved]".
    QString currentFile;
    // The display names of that file, which saving it again keeps.
    QJsonObject fileNames;
    // Operations under way; the outermost puts the list back when it ends.
    int running = 0;
    bool saveDeclined = false;
};
