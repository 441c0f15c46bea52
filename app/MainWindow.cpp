#include "MainWindow.h"

#include "ui_MainWindow.h"

#include "MyAction.h"
#include "MyTemplates.h"
#include "ProgramVersion.h"
#include "QConfirm.h"
#include "QSearcher.h"
#include "Settings.h"
#include "StoredValue.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QShortcut>
#include <QStatusBar>

namespace {

const QString StateKey = QStringLiteral("Window/State");
const QString GeometryKey = QStringLiteral("Window/Geometry");
const QString TabKey = QStringLiteral("Window/curTab");
const QString TemplateKey = QStringLiteral("Window/curTemplate");

struct SelectRule
{
    const char* code;
    const char* text;
};

// The rules the results view applies; "Manual" only marks checks made by hand.
const SelectRule SelectRules[] = {
    { "Nothing", QT_TRANSLATE_NOOP("MainWindow", "Nothing") },
    { "Favs", QT_TRANSLATE_NOOP("MainWindow", "Favourites") },
    { "Losers", QT_TRANSLATE_NOOP("MainWindow", "Outsiders") },
    { "Home", QT_TRANSLATE_NOOP("MainWindow", "Home team") },
    { "Away", QT_TRANSLATE_NOOP("MainWindow", "Away team") },
    { "Draw", QT_TRANSLATE_NOOP("MainWindow", "The Draw") },
    { "MaxV", QT_TRANSLATE_NOOP("MainWindow", "Max. volume") },
    { "MinV", QT_TRANSLATE_NOOP("MainWindow", "Min. volume") },
    { "MatchedBets", QT_TRANSLATE_NOOP("MainWindow", "With matched bets") },
    { "UnmatchedBets", QT_TRANSLATE_NOOP("MainWindow", "With unmatched bets") },
    { "Matched", QT_TRANSLATE_NOOP("MainWindow", "Matched the conditions") },
    { "All", QT_TRANSLATE_NOOP("MainWindow", "All") },
    { "Manual", QT_TRANSLATE_NOOP("MainWindow", "[Manual selection]") },
};

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
{
    ui->setupUi(this);
    formMinimum = minimumSize();

    QConfirm::Init();
    connect(QConfirm::Instance(), &QConfirm::showHelp, this, &MainWindow::onGetHelp);

    QLog::Write(QLog::QLogType::Info,
        tr("Welcome to %1 (version %2.%3.%4.%5)")
            .arg(QStringLiteral("Tarnwickstone"))
            .arg(ProgramVersion::Major)
            .arg(ProgramVersion::Minor)
            .arg(ProgramVersion::Release)
            .arg(ProgramVersion::Build));

    restoreState(Stored(StateKey).toByteArray(), 0);
    restoreGeometry(Stored(GeometryKey).toByteArray());
    int tab = Stored(TabKey, HelpTab).toInt();
    // The results of the last run are gone.
    if (tab == ResultsTab)
        tab = ConditionsTab;
    ui->Tabs->setCurrentIndex(tab);

    // TemplateLoaded must reach the window before the start-up template opens.
    connect(ui->Templates, &MyTemplates::TemplateLoaded, this, &MainWindow::onTemplateLoaded);
    connect(ui->SettingsForm, &Settings::requireUpdateFromInternet, ui->Templates,
        &MyTemplates::UpdateFromInternet);

    OpenStartTemplate();

    ui->ActionRow->GetWidgets(busyWidgets);
    ui->Templates->GetWidgets(busyWidgets);
    busyWidgets << ui->Select << ui->Expand << ui->Collapse << ui->Reload << ui->UpdatePrices << ui->SearchBut
                << ui->CancelBut << ui->ShowCharts;
    ui->CancelBut->setProperty("reverseEnabled", true);

    ui->ResultsTable->hide();

    LoadHelp();

    QSearcher* results = ui->ResultsTable;
    Settings* settings = ui->SettingsForm;
    connect(ui->Select, qOverload<int>(&QComboBox::currentIndexChanged), this, &MainWindow::Select);
    connect(results, &QSearcher::NotifyCheckedChanged, ui->ActionRow, &MyAction::UpdateCount);
    connect(results, &QSearcher::NotifyFoundSelections, this, &MainWindow::UpdateFoundCount);
    connect(results, &QSearcher::NotifyNeedSave, this, &MainWindow::SaveChangedTemplate);
    connect(ui->Templates, &MyTemplates::onChanged, this, &MainWindow::onTemplateChanged);
    if (QLog* log = QLog::Instance())
        connect(log, &QLog::Logged, this, &MainWindow::OnLog);
    connect(results, &QSearcher::NotifyDone, this, &MainWindow::SearchDone);
    connect(results, &QSearcher::StartBetting, this, &MainWindow::FocusLog);
    connect(results, &QSearcher::ShowChart, &charts, &QBetFairCharts::ShowChart);
    connect(settings, &Settings::setExpand, results, &QSearcher::setExpand);
    connect(settings, &Settings::setShowCharts, results, &QSearcher::setShowCharts);
    connect(settings, &Settings::setSaveOnSearch, results, &QSearcher::setSaveOnSearch);
    connect(settings, &Settings::setShowCountryFlags, results, &QSearcher::setShowCountryFlags);
    connect(settings, &Settings::setShowCountryNames, results, &QSearcher::setShowCountryName);
    connect(settings, &Settings::setIncludeWithdrawns, results, &QSearcher::setIncludeWithdrawns);
    connect(settings, &Settings::setShowColumn, results, &QSearcher::setShowColumn);
    connect(settings, &Settings::setColumnColor, results, &QSearcher::setColumnColor);
    connect(results, &QSearcher::emailNeeded, this, &MainWindow::NeedEmail);

    statusIcon.setObjectName(QStringLiteral("StatusIcon"));
    statusMessage.setObjectName(QStringLiteral("StatusMessage"));
    statusIcon.setPixmap(QPixmap(QStringLiteral(":/icons/blank.png")));
    statusMessage.setToolTip(tr("Click to show full log"));
    // Records are escaped and shown as typed (see OnLog).
    statusMessage.setTextFormat(Qt::RichText);
    connect(&statusMessage, &QClickableLabel::clicked, this, &MainWindow::FocusLog);
    connect(&statusIcon, &QClickableLabel::clicked, this, &MainWindow::FocusLog);
    ui->statusBar->addWidget(&statusIcon, 0);
    ui->statusBar->addWidget(&statusMessage, 0);

    for (int i = 0; i < ui->Tabs->count(); ++i) {
        auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | (Qt::Key_1 + i)), this);
        shortcut->setContext(Qt::ApplicationShortcut);
        shortcut->setProperty("tab", i);
        connect(shortcut, &QShortcut::activated, this, &MainWindow::OnTabShortCut);
        tabShortcuts << shortcut;
    }

    SetBusy(false, false);

    MyAction* actions = ui->ActionRow;
    connect(actions, &MyAction::Export, results, &QSearcher::Export);
    connect(actions, &MyAction::AddCharts, results, &QSearcher::AddCharts);
    connect(actions, &MyAction::Cancel, results, &QSearcher::CancelBets);
    connect(actions, &MyAction::Mail, results, &QSearcher::Mail);
    connect(actions, &MyAction::Bet, results, &QSearcher::Bet);
    connect(results, &QSearcher::ActionDone, actions, &MyAction::Done);
    connect(settings, &Settings::loggedIn, this, &MainWindow::LoggedIn);
    connect(results, &QSearcher::ManualSelection, this, &MainWindow::SetSelectManualy);

    for (const SelectRule& rule : SelectRules) {
        const QString code = QLatin1String(rule.code);
        ui->Select->AddItem(tr(rule.text), code, code == QLatin1String("Manual"));
    }
    ui->Select->SetSettingsKey(QString(), QStringLiteral("Select"));

    QLog* log = ui->Log;
    ui->ButClear->setAction(log->clearAction);
    ui->ButSelectAll->setAction(log->selectAllAction);
    ui->ButCopy->setAction(log->copyAction);
    ui->ButExport->setAction(log->exportAction);

    connect(ui->ShowCharts, &QToolButton::clicked, this, &MainWindow::ShowCharts);
    charts.hide();

    settings->Load();
}

MainWindow::~MainWindow()
{
    // Everything torn down after this point finds no store and writes nothing.
    CloseSettingsStore();
    // The panels go after the form: what they signal while going (the help
    // view ends its load, the tabs lose their pages) must not reach it.
    const QList<QObject*> children = findChildren<QObject*>();
    for (QObject* child : children)
        disconnect(child, nullptr, this, nullptr);
    delete ui;
}

bool MainWindow::event(QEvent* event)
{
    const bool handled = QMainWindow::event(event);
    // The form's 850 x 600 is the least; wider when a panel needs it (the
    // actions strip in a long language), so nothing is cut off.
    if (event->type() == QEvent::LayoutRequest && layout())
        setMinimumSize(formMinimum.expandedTo(layout()->minimumSize()));
    return handled;
}

void MainWindow::OpenStartTemplate()
{
    const QString remembered = Stored(TemplateKey, QString()).toString();
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1) {
        const QString path = arguments.at(1);
        if (QFileInfo::exists(path)) {
            ui->Templates->ReloadTemplates(path);
            return;
        }
        ShowError(tr("File '%1' not found").arg(EscapeForBox(path)), QStringLiteral("Arguments"));
    }
    ui->Templates->ReloadTemplates(remembered);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!SettleTemplate()) {
        event->ignore();
        return;
    }
    Store(StateKey, saveState(0));
    Store(GeometryKey, saveGeometry());
    Store(TabKey, ui->Tabs->currentIndex());
    charts.hide();
    event->accept();
}

bool MainWindow::SettleTemplate()
{
    MyTemplates* templates = ui->Templates;
    if (!templates->IsChanged())
        return true;
    // Not important: only level 0 shows the question, the others save.
    const bool asked = InteractionLevel() == QConfirm::All;
    const int answer = AskQuestion(tr("Your current template is not saved. Would you like to save changes?"),
        false, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Discard)
        return true;
    if (answer != QMessageBox::Save)
        return false;
    templates->DoSave();
    if (!templates->IsChanged())
        return true;
    // The user saw why (a name not given, a failed write) and stays to decide.
    if (asked)
        return false;
    // Nobody asked the user to save: declining the name is declining the save.
    if (templates->SaveDeclined())
        return true;
    return AskConfirm(
        tr("The template could not be saved. Close the program without saving it?"), true, true);
}

void MainWindow::SaveChangedTemplate()
{
    // An unsaved template would ask for a name before every search.
    if (ui->Templates->IsChanged() && !ui->Templates->CurrentBaseName().isEmpty())
        ui->Templates->DoSave();
}
