#pragma once

#include <QPointer>
#include <QPushButton>

class QAction;

// A push button that mirrors an action (text, tips, icon, enabled, checkable
// and checked state) and triggers it when clicked. The action is not owned.
class QActionButton : public QPushButton
{
    Q_OBJECT

public:
    explicit QActionButton(QWidget* parent = nullptr);

    // Binds the button to the action, dropping an earlier binding. Binding
    // the same action again only refreshes the button; nullptr unbinds.
    void setAction(QAction* action);

public slots:
    void updateButtonStatusFromAction();

private:
    void unbind();

    QPointer<QAction> m_action;

    Q_DISABLE_COPY(QActionButton)
};
