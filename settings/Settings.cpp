#include "Settings.h"

#include "ui_SettingsForm.h"

#include "LanguageSetup.h"
#include "MyWebPage.h"
#include "ProductSite.h"
#include "ProgramVersion.h"
#include "QBetFair.h"
#include "QCipher.h"
#include "ErrorMark.h"
#include "QConfirm.h"
#include "QLog.h"
#include "SettingsStore.h"

#include <QCoreApplication>
#include <QDate>
#include <QGroupBox>
#include <QIntValidator>
#include <QLocale>
#include <QNetworkProxyFactory>
#include <QRegExpValidator>
#include <QSettings>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QUrl>

namespace {

// One address per field: no blank, no comma, a dotted domain ending in two
// letters or more.
const QString AddressPattern = QStringLiteral("[a-zA-Z0-9._%+-]+@[a-zA-Z0-9.-]+\\.[a-zA-Z]{2,}");

// The SMTP hosts of public mail providers: Gmail, Live mail, Office 365,
// mail.com, Yahoo, Yandex, Mail.Ru.
const char* const PresetServers[] = { "smtp.gmail.com", "smtp.live.com", "smtp.office365.com", "smtp.mail.com",
    "smtp.mail.yahoo.com", "smtp.yandex.ru", "smtp.mail.ru" };

// A stored row that the combo does not have (a hand-edited file) gives the
// default row rather than an empty combo.
void SetStoredRow(QComboBox* combo, const QVariant& stored, int defaultRow)
{
    bool isNumber = false;
    const int row = stored.toInt(&isNumber);
    combo->setCurrentIndex(isNumber && row >= 0 && row < combo->count() ? row : defaultRow);
}

// Qt sizes a combo box by the ink of its longest row, which in Cyrillic is
// several pixels narrower than the row as drawn: its end was cut off.
void FitWholeRows(QComboBox* combo)
{
    int widest = 0;
    for (int row = 0; row < combo->count(); ++row)
        widest = qMax(widest, combo->fontMetrics().horizontalAdvance(combo->itemText(row)));
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.frame = combo->hasFrame();
    combo->setMinimumWidth(
        combo->style()->sizeFromContents(QStyle::CT_ComboBox, &option, QSize(widest, 0), combo).width());
}

} // namespace

Settings::Settings(QWidget* parent)
    : QTabWidget(parent)
    , ui(new Ui::SettingsForm)
{
    ui->setupUi(this);
    for (QComboBox* combo : { ui->Confirm, ui->LoginType, ui->ProxyType, ui->UpdatesPeriod })
        FitWholeRows(combo);

    ui->ProxyPort->setValidator(new QIntValidator(1, 65535, ui->ProxyPort));
    ui->ProxyServer->setValidator(
        new QRegExpValidator(QRegExp(QStringLiteral("^[a-zA-Z0-9\\.\\-\\_]+$")), ui->ProxyServer));
    ui->SMTPport->setValidator(new QIntValidator(1, 9999, ui->SMTPport));
    ui->SMTPto->setValidator(new QRegExpValidator(QRegExp(AddressPattern), ui->SMTPto));
    ui->SMTPfrom->setValidator(new QRegExpValidator(QRegExp(AddressPattern), ui->SMTPfrom));

    const QSettings* store = SettingsStore();
    QNetworkProxyFactory::setUseSystemConfiguration(
        store ? store->value(QStringLiteral("ProxyUseSystem"), true).toBool() : true);

    ui->SMTPserver->clear();
    for (const char* server : PresetServers)
        ui->SMTPserver->addItem(QString::fromLatin1(server));

    ui->VersionLabel->setText(tr("%1 (version %2.%3.%4.%5)")
                                  .arg(QStringLiteral("Tarnwickstone"))
                                  .arg(ProgramVersion::Major)
                                  .arg(ProgramVersion::Minor)
                                  .arg(ProgramVersion::Release)
                                  .arg(ProgramVersion::Build));
    const QString site = ProductSiteAddress();
    ui->CopyrightLabel->setText(tr("Copyright &copy; 2015&ndash;%1 <a href=\"%2\" style=\"color:#0000ff; "
                                   "text-decoration:underline;\">The Tarnwickstone developers</a>")
                                    .arg(QDate::currentDate().year())
                                    .arg(site.toHtmlEscaped()));
    ui->label_8->setText(QStringLiteral("<a href=\"%1\">%2</a>")
                             .arg(site.toHtmlEscaped(), QUrl(site).host().toHtmlEscaped()));

    connect(ui->Language, qOverload<int>(&QComboBox::currentIndexChanged), this,
        &Settings::AlertLanguageChanges);
    if (QCoreApplication* application = QCoreApplication::instance())
        connect(application, &QCoreApplication::aboutToQuit, this, &Settings::LogOutAtExit);
}

Settings::~Settings()
{
    delete loginPage;
    delete ui;
}

QString Settings::ProductSiteAddress()
{
    //: %1 is the English web site, %2 the Russian one: each language names its own.
    return ProductSite::Address(tr("%1/"));
}

QVariant Settings::Option(const QString& name, const QVariant& defaultValue)
{
    const QSettings* store = SettingsStore();
    return store ? store->value(QStringLiteral("Options/") + name, defaultValue) : defaultValue;
}

void Settings::StoreOption(const QString& name, const QVariant& value)
{
    if (QSettings* store = SettingsStore())
        store->setValue(QStringLiteral("Options/") + name, value);
}

void Settings::Load()
{
    // Proxy.
    SetStoredRow(ui->ProxyType, Option(QStringLiteral("ProxyType"), 0), 0);
    ui->ProxyLogin->setText(QCipher::DecryptString(Option(QStringLiteral("ProxyLogin"), QString()).toString()));
    ui->ProxyPassword->setText(
        QCipher::DecryptString(Option(QStringLiteral("ProxyPassword"), QString()).toString()));
    ui->ProxyServer->setText(Option(QStringLiteral("ProxyServer"), QString()).toString());
    ui->ProxyPort->setText(QString::number(Option(QStringLiteral("ProxyPort"), 8080).toInt()));
    ProxyTypeChanged(ui->ProxyType->currentIndex());

    // General.
    ui->Stop->setChecked(Option(QStringLiteral("Stop"), true).toBool());
    ui->showCountryFlags->setChecked(Option(QStringLiteral("showCountryFlags"), true).toBool());
    ui->ShowCountryTooltip->setChecked(Option(QStringLiteral("ShowCountryTooltip"), true).toBool());
    ui->includeWithdrawns->setChecked(Option(QStringLiteral("includeWithdrawns"), true).toBool());
    SetStoredRow(ui->Confirm, Option(QStringLiteral("Confirm"), 0), 0);
    ui->Expand->setChecked(Option(QStringLiteral("Expand"), false).toBool());
    ui->ShowChart->setChecked(Option(QStringLiteral("ShowChart"), false).toBool());
    emit setShowCharts(ui->ShowChart->isChecked());
    ui->SaveTemplateOnSearch->setChecked(Option(QStringLiteral("SaveTemplateOnSearch"), false).toBool());
    ui->CheckForUpdates->setChecked(Option(QStringLiteral("CheckForUpdates"), true).toBool());
    ui->UpdateTemplates->setChecked(Option(QStringLiteral("UpdateTemplates"), true).toBool());
    SetStoredRow(ui->UpdatesPeriod, Option(QStringLiteral("UpdatesPeriod"), 0), 0);

    ui->Language->clear();
    const QString language = Option(QStringLiteral("Language"), QStringLiteral("en")).toString();
    for (const QString& code : LanguageCodes()) {
        const LanguageInfo info = Languages.value(code);
        ui->Language->addItem(QIcon(LanguageFlag(info)), info.name, code);
    }
    ui->Language->setCurrentIndex(qMax(0, ui->Language->findData(language)));

    // Login.
    SetStoredRow(ui->LoginType, Option(QStringLiteral("LoginType"), 1), 1);
    UpdateLoginBut();
    ui->BetFairRemember->setChecked(Option(QStringLiteral("BetFairRemember"), false).toBool());
    if (ui->BetFairRemember->isChecked())
        ui->BetFairLogin->setText(
            QCipher::DecryptString(Option(QStringLiteral("BetFairLogin"), QString()).toString()));

    // E-mail.
    ui->SMTPserver->setCurrentText(Option(QStringLiteral("SMTPserver"), QString()).toString());
    ui->SMTPport->setText(QString::number(Option(QStringLiteral("SMTPport"), 25).toInt()));
    ui->SMTPto->setText(Option(QStringLiteral("SMTPto"), QString()).toString());
    ui->SMTPfrom->setText(Option(QStringLiteral("SMTPfrom"), QString()).toString());
    ui->SMTPssl->setChecked(Option(QStringLiteral("SMTPssl"), false).toBool());
    ui->SMTPusername->setText(
        QCipher::DecryptString(Option(QStringLiteral("SMTPusername"), QString()).toString()));
    ui->SMTPpassword->setText(
        QCipher::DecryptString(Option(QStringLiteral("SMTPpassword"), QString()).toString()));

    // To the rest of the program.
    emit setShowCountryFlags(ui->showCountryFlags->isChecked());
    emit setShowCountryNames(ui->ShowCountryTooltip->isChecked());
    emit setIncludeWithdrawns(ui->includeWithdrawns->isChecked());
    emit setExpand(ui->Expand->isChecked());
    emit setSaveOnSearch(ui->SaveTemplateOnSearch->isChecked());
    QBetFair::SetStopOnError(ui->Stop->isChecked());
    SetInteractiveLevel(ui->Confirm->currentIndex());
    UpdateLoginState(false);
    ApplyStoredConnection();

    const bool updateDue = UpdateDue();
    const QDateTime lastChecked = Option(QStringLiteral("LastChecked"), QVariant()).toDateTime();
    if (lastChecked.isValid())
        ui->LastChecked->setText(LastCheckedText(lastChecked));
    ui->LastChecked->setVisible(lastChecked.isValid());

    LoadColumns();
    ui->RestartLabel->hide();
    UpdateSMTPTestBut();

    setCurrentIndex(GeneralPage);
    loading = false;

    if (TermsAccepted() && updateDue)
        CheckVersion();
}

// The widget whose signal reached a storing slot, or null while loading or
// when the slot was called directly.
template<typename Widget>
Widget* Settings::StoringSender() const
{
    return loading ? nullptr : qobject_cast<Widget*>(sender());
}

void Settings::SaveCheckBox()
{
    auto* box = StoringSender<QCheckBox>();
    if (!box)
        return;
    const bool checked = box->isChecked();
    StoreOption(box->objectName(), checked);

    if (box == ui->Expand)
        emit setExpand(checked);
    else if (box == ui->SaveTemplateOnSearch)
        emit setSaveOnSearch(checked);
    else if (box == ui->showCountryFlags)
        emit setShowCountryFlags(checked);
    else if (box == ui->ShowCountryTooltip)
        emit setShowCountryNames(checked);
    else if (box == ui->ShowChart)
        emit setShowCharts(checked);
    else if (box == ui->includeWithdrawns)
        emit setIncludeWithdrawns(checked);
    else if (box == ui->Stop)
        QBetFair::SetStopOnError(checked);
    else if (box == ui->BetFairRemember && !checked && SettingsStore())
        SettingsStore()->remove(QStringLiteral("Options/BetFairLogin"));
}

void Settings::SaveText()
{
    if (auto* edit = StoringSender<QLineEdit>())
        StoreOption(edit->objectName(), edit->text());
}

void Settings::SavePassword()
{
    if (auto* edit = StoringSender<QLineEdit>())
        StoreOption(edit->objectName(), QCipher::EncryptString(edit->text()));
}

void Settings::SaveSelect()
{
    auto* combo = StoringSender<QComboBox>();
    if (!combo || combo->currentIndex() < 0)
        return;
    // The language is kept by its code, which survives a reordered list.
    if (combo == ui->Language)
        StoreOption(combo->objectName(), combo->currentData().toString());
    else
        StoreOption(combo->objectName(), combo->currentIndex());

    if (combo == ui->Confirm)
        SetInteractiveLevel(combo->currentIndex());
}

void Settings::SaveGroupBox()
{
    if (auto* group = StoringSender<QGroupBox>())
        StoreOption(group->objectName(), group->isChecked());
}

void Settings::SaveComboBoxText()
{
    if (auto* combo = StoringSender<QComboBox>())
        StoreOption(combo->objectName(), combo->currentText());
}

void Settings::SetError(QWidget* widget, bool error)
{
    SetErrorMark(widget, error);
}

bool Settings::ValidateEdit(QLineEdit* edit)
{
    // A field the user cannot edit keeps the mark it had.
    if (!edit->isEnabled())
        return false;
    const bool error = !edit->hasAcceptableInput();
    SetError(edit, error);
    return error;
}

void Settings::onTextedited(const QString&)
{
    if (auto* edit = qobject_cast<QLineEdit*>(sender()))
        ValidateEdit(edit);
}

void Settings::AlertLanguageChanges()
{
    ui->RestartLabel->show();
}

void Settings::Report(bool error, const QString& text, const QString& topic)
{
    if (isVisible() && currentIndex() == AboutPage) {
        if (error)
            ShowError(EscapeForBox(text), topic);
        else
            ShowInfo(EscapeForBox(text));
        return;
    }
    QLog::Write(error ? QLog::QLogType::Error : QLog::QLogType::Warning, text);
}
