#pragma once

#include "QBetFairCharts.h"
#include "QClickableLabel.h"
#include "QLog.h"

#include <QList>
#include <QMainWindow>

class QShortcut;

namespace Ui {
class MainWindow;
}

// The program's one main window: the five tabs (conditions, results, log,
// settings, help), the status bar and the charts window. Its constructor
// makes every connection between the panels; the settings tab loads its
// options last, once they all stand.
//
//   MainWindow.cpp        construction, wiring, close and destruction
//   MainWindowSearch.cpp  search, repeat, price refresh, busy state
//   MainWindowTabs.cpp    tabs, help, status bar, titles, notifications
class MainWindow : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY(MainWindow)

public:
    // Tab indexes of the form.
    enum Tab { ConditionsTab = 0, ResultsTab = 1, LogTab = 2, SettingsTab = 3, HelpTab = 4 };

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

public slots:
    void DoSearch(bool update);
    void LoggedIn();
    void SearchButClicked();
    void CancelButClicked();
    void Update();
    void UpdatePrices();
    void onTemplateLoaded(const QString& name);
    void UpdateFoundCount(int count);
    void onTabsCurrentChanged(int index);
    void onGetHelp(const QString& anchor);
    void OnTabShortCut();
    void onTemplateChanged(bool val);
    void FocusLog();
    void NeedEmail();
    void SetSelectManualy();
    void CountryForbidden();
    void HideCharts();
    void ShowCharts();
    void ShowSettingsTab();
    void ShowHelpTab();
    void Select(int index);
    void SearchDone(int count);
    void OnLog(QLog::QLogType t, const QString& message);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private slots:
    // The results view wants the template saved before a search.
    void SaveChangedTemplate();

private:
    void SetBusy(bool busy, bool update);
    // False, with the user sent to log in, when no exchange session is open.
    bool SessionOpen();
    void OpenStartTemplate();
    void LoadHelp();
    // False when the close is to be refused: the template is still unsaved.
    bool SettleTemplate();
    QString Title(const QString& name, bool changed = false) const;

    Ui::MainWindow* ui = nullptr;
    QList<QWidget*> busyWidgets;
    QList<QShortcut*> tabShortcuts;
    QClickableLabel statusIcon;
    QClickableLabel statusMessage;
    QBetFairCharts charts;
    QSize formMinimum;
    bool pendingSearch = false;
    bool busy = false;
};
