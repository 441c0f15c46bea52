#pragma once

#include "FileDialog.h"
#include "QConfirm.h"

#include <QAbstractButton>
#include <QMetaEnum>

// Stands in for the user: answers the file dialogs with `answer` and a box with its Help button when it has
// one, else OK. Needs QConfirm::Init() first.
struct FakeUser
{
    QString answer;
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
