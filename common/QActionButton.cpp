#include "QActionButton.h"

#include <QAction>

QActionButton::QActionButton(QWidget* parent)
    : QPushButton(parent)
{
}

void QActionButton::setAction(QAction* action)
{
    if (action == m_action) {
        updateButtonStatusFromAction();
        return;
    }
    unbind();
    if (!action)
        return;
    m_action = action;
    updateButtonStatusFromAction();
    connect(action, &QAction::changed, this, &QActionButton::updateButtonStatusFromAction);
    connect(this, &QAbstractButton::clicked, action, &QAction::trigger);
}

void QActionButton::unbind()
{
    if (!m_action)
        return;
    disconnect(m_action, &QAction::changed, this, &QActionButton::updateButtonStatusFromAction);
    disconnect(this, &QAbstractButton::clicked, m_action, &QAction::trigger);
    m_action = nullptr;
}

void QActionButton::updateButtonStatusFromAction()
{
    if (!m_action)
        return;
    setText(m_action->text());
    setStatusTip(m_action->statusTip());
    setToolTip(m_action->toolTip());
    setIcon(m_action->icon());
    setEnabled(m_action->isEnabled());
    setCheckable(m_action->isCheckable());
    setChecked(m_action->isChecked());
}
