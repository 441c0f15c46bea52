#pragma once

#include "FileDialog.h"
#include "QConfirm.h"

#include <QAbstractButton>
#include <QMetaEnum>

// Answers file dialogs with `answer`, questions with the next of `answers` that the box offers, and
// other boxes with Help if offered, else OK. Needs QConfirm::Init().
struct FakeUser
{
    QString answer;
    QList<QMessageBox::StandardButton> answers;
    int asked = 0;
    QStringList boxes; // "<icon>: <text>"
    QString topics; // of the help asked for, comma-separated
    QObject context;

    explicit FakeUser(const QString& answer = QString())
        : answer(answer)
    {
        FileDialog::SetResponder([this](const FileDialog::Request&) { return ++asked, this->answer; });
        QConfirm::SetResponder([this](QMessageBox* box) {
            const char* icon = QMetaEnum::fromType<QMessageBox::Icon>().valueToKey(box->icon());
            boxes << QString(icon) + ": " + box->text();
            if (!answers.isEmpty() && box->button(answers.first()))
                return box->button(answers.takeFirst());
            for (QAbstractButton* button : box->buttons())
                if (box->buttonRole(button) == QMessageBox::HelpRole)
                    return button;
            return box->button(QMessageBox::Ok);
        });
        QObject::connect(QConfirm::Instance(), &QConfirm::showHelp, &context,
            [this](const QString& topic) { topics += (topics.isEmpty() ? "" : ",") + topic; });
    }
    ~FakeUser()
    {
        FileDialog::SetResponder({});
        QConfirm::SetResponder({});
    }
};
