#include "Settings.h"

#include "ui_SettingsForm.h"

#include "QBetFair.h"
#include "QCheckConnection.h"
#include "QCipher.h"
#include "QConfirm.h"
#include "QLog.h"

#include <QCoreApplication>
#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QUrl>

namespace {

enum ProxyRow { SystemRow = 0, DirectRow = 1, HttpRow = 2, Socks5Row = 3 };

} // namespace

bool Settings::GetProxy(QNetworkProxy& proxy)
{
    const int row = ui->ProxyType->currentIndex();
    if (row <= SystemRow)
        return false;
    switch (row) {
    case DirectRow:
        proxy.setType(QNetworkProxy::NoProxy);
        break;
    case HttpRow:
        proxy.setType(QNetworkProxy::HttpProxy);
        break;
    case Socks5Row:
        proxy.setType(QNetworkProxy::Socks5Proxy);
        break;
    default:
        break;
    }
    proxy.setHostName(ui->ProxyServer->text().trimmed());
    proxy.setPort(static_cast<quint16>(ui->ProxyPort->text().trimmed().toInt()));
    proxy.setUser(ui->ProxyLogin->text().trimmed());
    proxy.setPassword(ui->ProxyPassword->text());
    return true;
}

void Settings::ProxyTypeChanged(int index)
{
    const bool own = index > DirectRow;
    for (QLineEdit* field : { ui->ProxyServer, ui->ProxyPort, ui->ProxyLogin, ui->ProxyPassword })
        field->setEnabled(own);
}

void Settings::EnableApplyConnectionSettings()
{
    ui->ApplyBut->setEnabled(true);
}

bool Settings::ApplyProxy()
{
    QNetworkProxy proxy;
    const bool own = GetProxy(proxy);
    // A proxy of the user's own needs a server and a port it can reach.
    if (ui->ProxyType->currentIndex() > DirectRow) {
        const bool badServer = ValidateEdit(ui->ProxyServer);
        const bool badPort = ValidateEdit(ui->ProxyPort);
        if (badServer || badPort) {
            QLog::Write(QLog::QLogType::Warning,
                tr("The proxy settings were not applied: the proxy server or port is not valid."));
            return false;
        }
    }
    QNetworkProxyFactory::setUseSystemConfiguration(false);
    if (own)
        QNetworkProxy::setApplicationProxy(proxy);
    else
        QNetworkProxyFactory::setUseSystemConfiguration(true);
    return true;
}

void Settings::ApplyConnectionSettings()
{
    if (!ApplyProxy())
        return;
    StoreOption(QStringLiteral("ProxyType"), ui->ProxyType->currentIndex());
    StoreOption(QStringLiteral("ProxyServer"), ui->ProxyServer->text().trimmed());
    StoreOption(QStringLiteral("ProxyPort"), ui->ProxyPort->text().trimmed().toInt());
    StoreOption(QStringLiteral("ProxyLogin"), QCipher::EncryptString(ui->ProxyLogin->text()));
    StoreOption(QStringLiteral("ProxyPassword"), QCipher::EncryptString(ui->ProxyPassword->text()));
    ui->ApplyBut->setEnabled(false);
    UpdateLoginState(QBetFair::IsSessionValid());
}

void Settings::ApplyStoredConnection()
{
    // What was stored is applied as it stands and not written again, so a
    // credential that does not decipher survives the start.
    if (ApplyProxy())
        ui->ApplyBut->setEnabled(false);
    UpdateLoginState(QBetFair::IsSessionValid());
}

void Settings::TestInternet()
{
    ui->ProxyTest->setEnabled(false);
    ui->CancelTest->setEnabled(true);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    QNetworkProxy proxy(QNetworkProxy::DefaultProxy);
    GetProxy(proxy);
    auto* check = new QCheckConnection();
    check->EndWith(this);
    connect(check, &QActionWorker::Done, this, &Settings::TestInternetFinished);
    connect(this, &Settings::DoCancelTest, check, &QActionWorker::Cancel);
    check->CheckConnection(proxy);
}

void Settings::TestInternetFinished(const QString& error)
{
    ui->ProxyTest->setEnabled(true);
    ui->CancelTest->setEnabled(false);
    if (!error.isEmpty()) {
        ShowError(tr("Checking connection failed: %1").arg(EscapeForBox(error)), QStringLiteral("BetFairFormat"));
        return;
    }
    if (ui->ApplyBut->isEnabled()) {
        if (AskConfirm(tr("Your connection looks good.\nWould you like to apply these settings?"), false, true))
            ApplyConnectionSettings();
        return;
    }
    ShowInfo(tr("Your connection looks good"), false, true);
}

void Settings::CancelTest()
{
    emit DoCancelTest();
}

void Settings::ProxyImportSystemSettings()
{
    setEnabled(false);
    // The import only reads: the proxy in force stays as it was.
    const bool usedSystem = QNetworkProxyFactory::usesSystemConfiguration();
    QNetworkProxyFactory::setUseSystemConfiguration(true);
    QUrl exchange;
    exchange.setScheme(QStringLiteral("https"));
    exchange.setHost(QUrl(QBetFair::AccountUrl).host());
    exchange.setPath(QStringLiteral("/"));
    const QList<QNetworkProxy> proxies
        = QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(exchange, QNetworkProxyQuery::UrlRequest));

    if (proxies.isEmpty()) {
        ShowError(tr("Unable to retrieve system settings"), QStringLiteral("ProxyImportSettings"));
    } else {
        const QNetworkProxy& proxy = proxies.first();
        if (proxy.type() == QNetworkProxy::NoProxy) {
            ui->ProxyType->setCurrentIndex(DirectRow);
            ui->ProxyServer->setText(QString());
            ui->ProxyPort->setText(QStringLiteral("0"));
            ui->ProxyLogin->setText(QString());
            ui->ProxyPassword->setText(QString());
        } else {
            ui->ProxyType->setCurrentIndex(proxy.type() == QNetworkProxy::Socks5Proxy ? Socks5Row : HttpRow);
            ui->ProxyServer->setText(proxy.hostName());
            ui->ProxyPort->setText(QString::number(proxy.port()));
            ui->ProxyLogin->setText(proxy.user());
            ui->ProxyPassword->setText(proxy.password());
        }
    }
    QNetworkProxyFactory::setUseSystemConfiguration(usedSystem);
    setEnabled(true);
}
