#pragma once

#include <QLineEdit>

// A line edit that takes back an edit its validator (or input mask) does not
// accept: leaving the field restores the text it had when it got the focus.
class QMyLineEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit QMyLineEdit(QWidget* parent = nullptr);

signals:
    // Emitted once per focus change, after the line edit has handled it.
    void focussed(bool hasFocus);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QString m_remembered;

    Q_DISABLE_COPY(QMyLineEdit)
};
