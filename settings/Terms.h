#pragma once

#include <QDialog>

class QComboBox;
class QPushButton;
class QTextBrowser;

// The product's terms, shown until the user accepts them. The dialog has a
// language choice of its own that changes only its own texts, which it
// takes straight from the chosen translation file (context "Settings":
// "TERMS_TITLE", "TERMS", "Accept", "Decline").
class Terms : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(Terms)

public:
    explicit Terms(QWidget* parent = nullptr);

public slots:
    // Sets the texts in the language chosen in the dialog's combo.
    void retranslate(int index);
    // Goes, and ends the program.
    void bye();

private:
    QComboBox* language = nullptr;
    QTextBrowser* text = nullptr;
    QPushButton* acceptButton = nullptr;
    QPushButton* declineButton = nullptr;
};
