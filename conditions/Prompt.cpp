#include "Prompt.h"

#include "ui_Prompt.h"

Prompt::Prompt(const QString& title, QValidator* validator, const QString& value, QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::Prompt>())
{
    ui->setupUi(this);
    setWindowTitle(title);
    ui->ValueEdit->setText(value);
    ui->ValueEdit->setFocus();
    ui->ValueEdit->setValidator(validator);
    EnableButtons(value);
}

Prompt::~Prompt() = default;

QString Prompt::value() const
{
    return ui->ValueEdit->text();
}

void Prompt::EnableButtons(const QString&)
{
    ui->ButOK->setEnabled(ui->ValueEdit->hasAcceptableInput());
}
