#pragma once

#include "QBetPlacer.h"

#include <QList>
#include <QWidget>

class QLineEdit;

namespace Ui {
class MyAction;
}

// The actions panel under the results: one action on the checked selections
// (export, back or lay bets, cancelling bets, e-mail, charts) with the
// parameters of that action, remembered under "Action/". Perform emits one
// request for the results view and keeps the panel disabled until the view
// reports the action done (Done).
class MyAction : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY(MyAction)

public:
    explicit MyAction(QWidget* parent = nullptr);
    ~MyAction() override;

    // Adds the widgets that a running search disables.
    void GetWidgets(QList<QWidget*>& widgets) const;

    // While held (a search runs) Perform stays disabled, whatever the
    // parameters; released, it follows them again.
    void SetHeld(bool held);

signals:
    void Export(bool includePrices, bool includeVolumes, bool CV);
    // Price and amount as typed: a float would lose cents above 100,000.
    void Bet(bool Back, double Price, double Amount, QBetPlacer::AmountType type, int KeepCancelSP);
    void Mail(const QString& subject);
    void AddCharts();
    void Cancel(bool back, bool lay);

public slots:
    void UpdateCount(int _count);
    void Done();
    void UpdateActionParameters(int index);
    void Do();
    void setEditError(const QString& val);
    void Validate();

private:
    bool Acceptable(QLineEdit* edit) const;

    Ui::MyAction* ui = nullptr;
    int count = 0;
    bool held = false;
};
