#pragma once

#include <QDialog>
#include <QString>

#include <memory>

class QValidator;

namespace Ui {
class Prompt;
}

// A modal question for one value in a single line, optionally held to a
// validator: OK is offered only while the text is acceptable.
//
//     Prompt prompt(tr("Stake"), validator, current, this);
//     if (prompt.exec() == QDialog::Accepted)
//         use(prompt.value());
class Prompt : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(Prompt)

public:
    // The validator is borrowed and may be null (any text will do).
    Prompt(const QString& title, QValidator* validator, const QString& value, QWidget* parent = nullptr);
    ~Prompt() override;

    QString value() const;

public slots:
    // Judges the current text; the edited text itself is not needed.
    void EnableButtons(const QString& val);

private:
    std::unique_ptr<Ui::Prompt> ui;
};
