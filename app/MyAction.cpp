#include "MyAction.h"

#include "ui_MyAction.h"

#include "ErrorMark.h"
#include "QConfirm.h"
#include "QNumberValidator.h"
#include "QPriceValidator.h"
#include "ReadNumber.h"
#include "StoredValue.h"

#include <cmath>

namespace {

const QString Group = QStringLiteral("Action");

struct Row
{
    const char* text;
    const char* code;
};

// The row index of a bet's action tells its side; the others go by code.
const Row Actions[] = {
    { QT_TRANSLATE_NOOP("MyAction", "Export to file"), "Export" },
    { QT_TRANSLATE_NOOP("MyAction", "BACK"), "Back" },
    { QT_TRANSLATE_NOOP("MyAction", "LAY"), "Lay" },
    { QT_TRANSLATE_NOOP("MyAction", "Cancel bets"), "Cancel" },
    { QT_TRANSLATE_NOOP("MyAction", "Send by e-mail"), "EMail" },
    { QT_TRANSLATE_NOOP("MyAction", "Add chart"), "Chart" },
};

const Row CancelSides[] = {
    { QT_TRANSLATE_NOOP("MyAction", "All"), "All" },
    { QT_TRANSLATE_NOOP("MyAction", "BACK"), "Back" },
    { QT_TRANSLATE_NOOP("MyAction", "LAY"), "Lay" },
};

// The row index is the persistence code the bet placer sends.
const Row InPlayRules[] = {
    { QT_TRANSLATE_NOOP("MyAction", "Cancel in-play"), "Cancel" },
    { QT_TRANSLATE_NOOP("MyAction", "Keep in-play"), "Keep" },
    { QT_TRANSLATE_NOOP("MyAction", "Take SP"), "SP" },
};

const Row BackAmounts[] = {
    { QT_TRANSLATE_NOOP("MyAction", "Amount"), "Amount" },
    { QT_TRANSLATE_NOOP("MyAction", "Profit"), "Liability" },
};

const Row LayAmounts[] = {
    { QT_TRANSLATE_NOOP("MyAction", "Amount"), "Amount" },
    { QT_TRANSLATE_NOOP("MyAction", "Liability"), "Liability" },
};

template<size_t N>
void Fill(QMyComboBox* combo, const Row (&rows)[N], const QString& key)
{
    combo->clear();
    for (const Row& row : rows)
        combo->AddItem(MyAction::tr(row.text), QLatin1String(row.code));
    combo->SetSettingsKey(Group, key);
}

QString Key(const char* name)
{
    return Group + QLatin1Char('/') + QLatin1String(name);
}

// The price validator takes a number within half a hundredth of a ladder
// price ("1.015"); a bet must name the ladder price itself.
bool InWholeHundredths(const QString& text)
{
    bool read = false;
    const double hundredths = ReadNumber(text, &read) * 100;
    return read && std::abs(hundredths - std::round(hundredths)) < 1e-6;
}

} // namespace

MyAction::MyAction(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::MyAction)
{
    ui->setupUi(this);

    ui->PriceEdit->setValidator(new QPriceValidator(ui->PriceEdit));
    // Read back with ReadNumber: "." whatever the language, no group separators.
    auto* amount = new QNumberValidator(ui->AmountEdit);
    amount->setRange(0.01, 1000000, 2);
    amount->setNotation(QDoubleValidator::StandardNotation);
    ui->AmountEdit->setValidator(amount);

    for (const Row& row : Actions)
        ui->ActionsList->AddItem(tr(row.text), QLatin1String(row.code));
    ui->ActionsList->SetSettingsKey(Group, QStringLiteral("Action"));
}

MyAction::~MyAction()
{
    delete ui;
}

void MyAction::GetWidgets(QList<QWidget*>& widgets) const
{
    widgets << ui->PerformBut;
}

void MyAction::SetHeld(bool on)
{
    held = on;
    Validate();
}

void MyAction::UpdateCount(int _count)
{
    count = _count;
    ui->ActionLabel->setText(tr("With selected [%1]:").arg(count));
    Validate();
}

void MyAction::Done()
{
    setEnabled(true);
}

void MyAction::UpdateActionParameters(int)
{
    for (QWidget* widget : { static_cast<QWidget*>(ui->ActParamList), static_cast<QWidget*>(ui->PriceEdit),
             static_cast<QWidget*>(ui->AmountEdit), static_cast<QWidget*>(ui->PriceLabel),
             static_cast<QWidget*>(ui->AmountType), static_cast<QWidget*>(ui->TextEdit),
             static_cast<QWidget*>(ui->SubjectLabel), static_cast<QWidget*>(ui->checkPrice),
             static_cast<QWidget*>(ui->checkVolume), static_cast<QWidget*>(ui->checkCV) })
        widget->hide();

    const QString code = ui->ActionsList->currentData().toString();
    if (code == QLatin1String("EMail")) {
        ui->TextEdit->setText(Stored(Key("Subject"), QString()).toString());
        ui->TextEdit->show();
        ui->SubjectLabel->show();
    } else if (code == QLatin1String("Export")) {
        ui->checkPrice->show();
        ui->checkVolume->show();
        ui->checkCV->show();
        ui->checkPrice->setChecked(Stored(Key("Prices"), false).toBool());
        ui->checkVolume->setChecked(Stored(Key("Volume"), false).toBool());
        ui->checkCV->setChecked(Stored(Key("CV"), false).toBool());
    } else if (code == QLatin1String("Cancel")) {
        Fill(ui->ActParamList, CancelSides, QStringLiteral("Cancel"));
        ui->ActParamList->show();
    } else if (code == QLatin1String("Back") || code == QLatin1String("Lay")) {
        const bool back = code == QLatin1String("Back");
        ui->PriceLabel->show();
        ui->AmountType->show();
        ui->PriceEdit->show();
        ui->AmountEdit->show();
        ui->PriceEdit->setText(Stored(Key("Price"), QString()).toString());
        ui->AmountEdit->setText(Stored(Key("Amount"), QString()).toString());
        if (ui->PriceEdit->text().isEmpty())
            ui->PriceEdit->setText(back ? QStringLiteral("1.01") : QStringLiteral("1000"));
        Fill(ui->ActParamList, InPlayRules, QStringLiteral("InPlay"));
        ui->ActParamList->show();
        if (back)
            Fill(ui->AmountType, BackAmounts, QStringLiteral("Type"));
        else
            Fill(ui->AmountType, LayAmounts, QStringLiteral("Type"));
    }
    Validate();
}

void MyAction::Do()
{
    const QString code = ui->ActionsList->currentData().toString();
    if (code == QLatin1String("Back") || code == QLatin1String("Lay")) {
        // Read as validated; a text that is not a usable number bets nothing.
        bool priceRead = false;
        bool amountRead = false;
        const double price = ReadNumber(ui->PriceEdit->text(), &priceRead);
        const double amount = ReadNumber(ui->AmountEdit->text(), &amountRead);
        if (!priceRead || !amountRead || !Acceptable(ui->PriceEdit) || !Acceptable(ui->AmountEdit)
            || ui->AmountType->currentIndex() < 0 || ui->ActParamList->currentIndex() < 0)
            return;
        if (!AskConfirm(tr("Are you sure you want to PLACE these bets?"), true, false))
            return;
        Store(Key("Price"), ui->PriceEdit->text());
        Store(Key("Amount"), ui->AmountEdit->text());
        setEnabled(false);
        emit Bet(ui->ActionsList->currentIndex() == 1, price, amount,
            static_cast<QBetPlacer::AmountType>(ui->AmountType->currentIndex()),
            ui->ActParamList->currentIndex());
    } else if (code == QLatin1String("Cancel")) {
        const QString side = ui->ActParamList->currentData().toString();
        const bool back = side == QLatin1String("All") || side == QLatin1String("Back");
        const bool lay = side == QLatin1String("All") || side == QLatin1String("Lay");
        if (!back && !lay)
            return;
        if (!AskConfirm(tr("Are you sure you want to CANCEL these bets?"), true, false))
            return;
        setEnabled(false);
        emit Cancel(back, lay);
    } else if (code == QLatin1String("Export")) {
        setEnabled(false);
        Store(Key("Prices"), ui->checkPrice->isChecked());
        Store(Key("Volume"), ui->checkVolume->isChecked());
        Store(Key("CV"), ui->checkCV->isChecked());
        emit Export(ui->checkPrice->isChecked(), ui->checkVolume->isChecked(), ui->checkCV->isChecked());
    } else if (code == QLatin1String("EMail")) {
        Store(Key("Subject"), ui->TextEdit->text());
        setEnabled(false);
        emit Mail(ui->TextEdit->text());
    } else if (code == QLatin1String("Chart")) {
        emit AddCharts();
    }
}

void MyAction::setEditError(const QString&)
{
    if (auto* edit = qobject_cast<QLineEdit*>(sender()))
        SetErrorMark(edit, !Acceptable(edit));
    Validate();
}

void MyAction::Validate()
{
    // Whether an edit is part of the action, not whether it is on screen:
    // the results tab may be out of view.
    const auto usable = [this](QLineEdit* edit) { return !edit->isVisibleTo(this) || Acceptable(edit); };
    // A stored choice no row carries leaves a list without a choice.
    const auto chosen
        = [this](QComboBox* list) { return !list->isVisibleTo(this) || list->currentIndex() >= 0; };
    ui->PerformBut->setEnabled(!held && count > 0 && usable(ui->PriceEdit) && usable(ui->AmountEdit)
        && chosen(ui->ActParamList) && chosen(ui->AmountType));
}

bool MyAction::Acceptable(QLineEdit* edit) const
{
    return edit->hasAcceptableInput() && (edit != ui->PriceEdit || InWholeHundredths(edit->text()));
}
