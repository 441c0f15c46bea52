#include "MyAction.h"

#include "ui_MyAction.h"

MyAction::MyAction(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::MyAction)
{
    ui->setupUi(this);
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
    Validate();
}

void MyAction::Done()
{
    setEnabled(true);
}

void MyAction::UpdateActionParameters(int)
{
    Validate();
}

void MyAction::Do() { }

void MyAction::setEditError(const QString&)
{
    Validate();
}

void MyAction::Validate()
{
    ui->PerformBut->setEnabled(!held && count > 0);
}
