#pragma once

#include "QSearcher.h"

#include <QColor>
#include <QDateTime>
#include <QJsonObject>
#include <QPointer>
#include <QString>
#include <QTabWidget>
#include <QVariant>

class MyWebPage;
class QLineEdit;
class QLogin;
class QNetworkProxy;

namespace Ui {
class SettingsForm;
}

// The settings tab: five pages (General, BetFair, Connection, E-mail, About)
// built from the settings form. Every option is stored under "Options/" and
// the object name of the widget that edits it, the moment the user changes
// it; Load() copies the store into the widgets once, at the end of start-up,
// and sends the options on. Nothing is stored while loading.
//
// The behaviour lives in one file per page:
//   Settings.cpp            construction, loading, storing, marking, reports
//   SettingsColumns.cpp     result columns
//   SettingsLogin.cpp       exchange login and logout
//   SettingsConnection.cpp  proxy and connection test
//   SettingsMail.cpp        e-mail server and test message
//   SettingsUpdate.cpp      update check and the terms gate
class Settings : public QTabWidget
{
    Q_OBJECT
    Q_DISABLE_COPY(Settings)

public:
    // Page indexes.
    enum Page { GeneralPage = 0, BetFairPage = 1, ConnectionPage = 2, MailPage = 3, AboutPage = 4 };

    explicit Settings(QWidget* parent = nullptr);
    ~Settings() override;

    // Shows the session layout (and announces the session) or the login
    // controls of the chosen scheme.
    void UpdateLoginState(bool loggedIn);
    // A search found no session: shows the login page and asks to log in.
    // A login under way is left to report as it ends.
    void NeedLogin();

    // The proxy the Connection page describes; false for the system's own.
    bool GetProxy(QNetworkProxy& proxy);

    // A result of the update check: a box while the About page is in view,
    // else a log record only. The text is plain and shown as it stands.
    void Report(bool error, const QString& text, const QString& topic);

    // Marks a widget as holding an unusable value.
    static void SetError(QWidget* widget, bool error);
    // Marks an enabled edit by its validator; true when it is marked.
    bool ValidateEdit(QLineEdit* edit);

    // How long the exit waits for the exchange to confirm a logout.
    static int ExitLogoutWaitMs;

signals:
    void setExpand(bool val);
    void setSaveOnSearch(bool val);
    void setShowCountryFlags(bool val);
    void setShowCountryNames(bool val);
    void setShowCharts(bool val);
    void setIncludeWithdrawns(bool val);
    void setShowColumn(QSearcher::ColumnType col, bool show);
    void setColumnColor(QSearcher::ColumnType col, QColor color);
    void loggedIn();
    void requireUpdateFromInternet();
    void DoCancelTest();

public slots:
    void Load();

    // Store the sending widget's value under "Options/<object name>".
    void SaveCheckBox();
    void SaveText();
    void SavePassword();
    void SaveSelect();
    void SaveGroupBox();
    void SaveComboBoxText();
    void onTextedited(const QString& arg1);
    void AlertLanguageChanges();

    // Result columns.
    void SetShowColumn(bool checked);
    void SetColumnColor(const QColor& color);

    // Exchange login.
    void UpdateLoginBut();
    void SetLoginType(int index);
    void DoLogin();
    void LoggedIn(const QString& error);
    void DoLogOut();
    void LoggedOut(const QString& error);

    // Connection.
    void ProxyTypeChanged(int index);
    void EnableApplyConnectionSettings();
    void ApplyConnectionSettings();
    void TestInternet();
    void TestInternetFinished(const QString& error);
    void CancelTest();
    void ProxyImportSystemSettings();

    // E-mail.
    void SetSMTPServer(const QString& name);
    void ChangePort(bool ssl);
    void UpdateSMTPTestBut();
    void SMTPTest();
    void SMTPtestDone(const QString& error);
    void NeedEmail();

    // Update check.
    void CheckVersion();
    void CheckVersionFinished(const QString& error, const QJsonObject& o);

private:
    static QVariant Option(const QString& name, const QVariant& defaultValue);
    static void StoreOption(const QString& name, const QVariant& value);
    template<typename Widget>
    Widget* StoringSender() const;

    void LoadColumns();
    // Applies the page's proxy to the whole program; false, with the
    // fields marked and a warning logged, for an HTTP(S) or SOCKS5 proxy
    // without a usable server and port, whose proxy stays in force.
    bool ApplyProxy();
    // The start's apply: as Apply, without storing anything.
    void ApplyStoredConnection();
    // Whether the automatic update check is due now.
    bool UpdateDue() const;
    static QString LastCheckedText(const QDateTime& moment);
    // The product's web site of the language in use.
    static QString ProductSiteAddress();
    // Shows the terms until they are accepted; false when they were declined.
    bool TermsAccepted();
    void LogOutAtExit();
    // A login of the user name and password, or of the current login page,
    // has started and not yet reported.
    bool LoginRunning() const;

    bool loading = true;
    Ui::SettingsForm* ui = nullptr;
    QPointer<MyWebPage> loginPage;
    QPointer<QLogin> passwordLogin;
};
