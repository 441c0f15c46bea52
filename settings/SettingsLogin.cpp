#include "Settings.h"

#include "ui_SettingsForm.h"

#include "MyWebPage.h"
#include "QBetFair.h"
#include "QCipher.h"
#include "QConfirm.h"
#include "QLog.h"
#include "QLogin.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

int Settings::ExitLogoutWaitMs = 3000;

void Settings::UpdateLoginState(bool sessionOpen)
{
    setEnabled(true);
    if (sessionOpen) {
        ui->Logged->show();
        ui->LoginControls->hide();
        QLog::Write(QLog::QLogType::Info, tr("Successfully logged in to BetFair"));
        emit loggedIn();
        return;
    }

    ui->Logged->hide();
    ui->LoginControls->show();
    ui->BetFairPage->hide();
    ui->LoginPassword->hide();
    switch (ui->LoginType->currentIndex()) {
    case 0: {
        ui->BetFairPage->show();
        // The page it replaces may still report: it no longer reaches here,
        // and goes once control is back in the event loop.
        if (loginPage) {
            disconnect(loginPage, nullptr, this, nullptr);
            loginPage->deleteLater();
        }
        auto* page = new MyWebPage(nullptr);
        loginPage = page;
        ui->BetFairPage->setPage(page);
        ui->BetFairPage->update();
        ui->BetFairPage->load(QBetFair::LoginPageUrl());
        connect(page, &MyWebPage::LoggedIn, page, &QObject::deleteLater);
        connect(page, &MyWebPage::LoggedIn, this, &Settings::LoggedIn);
        break;
    }
    case 1:
        ui->LoginPassword->show();
        if (ui->BetFairLogin->text().trimmed().isEmpty())
            ui->BetFairLogin->setFocus(Qt::OtherFocusReason);
        else
            ui->BetFairPassword->setFocus(Qt::OtherFocusReason);
        break;
    default:
        break;
    }
}

void Settings::UpdateLoginBut()
{
    ui->LoginButton->setEnabled(
        !ui->BetFairLogin->text().trimmed().isEmpty() && !ui->BetFairPassword->text().trimmed().isEmpty());
}

void Settings::SetLoginType(int)
{
    UpdateLoginState(QBetFair::IsSessionValid());
}

void Settings::DoLogin()
{
    // The name as typed; the password is never stored.
    if (ui->BetFairRemember->isChecked())
        StoreOption(QStringLiteral("BetFairLogin"), QCipher::EncryptString(ui->BetFairLogin->text()));
    setEnabled(false);
    QLog::Write(QLog::QLogType::Info, tr("Logging in to BetFair..."));
    auto* login = new QLogin();
    passwordLogin = login;
    login->EndWith(this);
    connect(login, &QActionWorker::Done, this, &Settings::LoggedIn);
    connect(login, &QActionWorker::Info, this,
        [](const QString& text) { QLog::Write(QLog::QLogType::Warning, text); });
    login->LogIn(ui->BetFairLogin->text(), ui->BetFairPassword->text());
}

void Settings::LoggedIn(const QString& error)
{
    // A login page that has been replaced has nothing more to say.
    if (qobject_cast<MyWebPage*>(sender()) && sender() != loginPage)
        return;
    if (error.isEmpty() && QBetFair::IsSessionValid()) {
        UpdateLoginState(true);
        setEnabled(true);
        return;
    }
    ShowError(error.isEmpty() ? tr("Login failed: no session was opened") : EscapeForBox(error),
        QStringLiteral("LoginError"));
    UpdateLoginState(false);
    setEnabled(true);
}

void Settings::DoLogOut()
{
    if (!AskConfirm(tr("Are you sure you want to log out?"), true))
        return;
    auto* logout = new QLogin();
    logout->EndWith(this);
    connect(logout, &QActionWorker::Done, this, &Settings::LoggedOut);
    logout->Logout();
}

void Settings::LoggedOut(const QString&)
{
    QLog::Write(QLog::QLogType::Info, tr("Logged out from BetFair."));
    UpdateLoginState(false);
}

bool Settings::LoginRunning() const
{
    return (passwordLogin && !passwordLogin->IsEnded()) || (loginPage && loginPage->LoginRunning());
}

void Settings::NeedLogin()
{
    // A login under way reports by itself: a new page would cut its page
    // off, and an enabled tab would let a second one start.
    if (!LoginRunning())
        UpdateLoginState(false);
    setCurrentIndex(BetFairPage);
    ShowWarning(tr("Please log in to BetFair to proceed with your search"), QStringLiteral("settings_betfair"));
}

// Runs while the application quits, when an event loop can still carry the
// request; nothing is shown and nothing else waits for it.
void Settings::LogOutAtExit()
{
    if (!QBetFair::IsSessionValid())
        return;
    auto* logout = new QLogin();
    QEventLoop wait;
    bool done = false;
    connect(logout, &QActionWorker::Done, &wait, [&] {
        done = true;
        wait.quit();
    });
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, &wait, &QEventLoop::quit);
    logout->Logout();
    if (!done) {
        limit.start(ExitLogoutWaitMs);
        wait.exec();
    }
    // An exchange that does not answer in time keeps no worker alive.
    if (!done)
        logout->Cancel();
}
