#include "QListEditor.h"

#include "ErrorMark.h"
#include "QCatalog.h"
#include "QMultiSelectDialog.h"

#include <QEvent>
#include <QPointer>
#include <QValidator>

QListEditor::QListEditor(QWidget* parent)
    : QLineEdit(parent)
    , itemsWord(tr("items"))
{
    installEventFilter(this);
}

QStringList QListEditor::Codes(bool exclude) const
{
    return catalog ? catalog->Codes(items, exclude) : QStringList();
}

void QListEditor::SetValidator(QValidator* newValidator)
{
    validator = newValidator;
    Validate();
}

void QListEditor::SetCatalog(QCatalog* newCatalog)
{
    if (newCatalog != catalog)
        items.clear();
    catalog = newCatalog;
    Validate();
}

void QListEditor::SetItems(const QStringList& newItems)
{
    items = newItems;
    Validate();
}

void QListEditor::Validate()
{
    if (items.isEmpty()) {
        valid = false;
        setText(QString());
    } else if (catalog) {
        setText(catalog->Names(items));
        // Codes the catalog no longer holds would reach the search as an
        // empty list, which restricts nothing: the opposite of the user's wish.
        valid = !catalog->Codes(items, false).isEmpty();
        setCursorPosition(0);
    } else {
        valid = true;
        if (validator) {
            for (const QString& item : qAsConst(items)) {
                QString text = item;
                int position = 0;
                if (validator->validate(text, position) != QValidator::Acceptable) {
                    valid = false;
                    break;
                }
            }
        }
        setText(items.join(QLatin1Char(',')));
        setCursorPosition(0);
    }
    SetErrorMark(this, !valid);
}

bool QListEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == this) {
        if (event->type() == QEvent::MouseButtonPress && isEnabled()) {
            EditInDialog();
            return true;
        }
        if (event->type() == QEvent::Show)
            Validate();
    }
    return QLineEdit::eventFilter(watched, event);
}

void QListEditor::EditInDialog()
{
    QMultiSelectDialog dialog;
    if (catalog) {
        dialog.SetTitle(tr("Please select %1:"), itemsWord);
        dialog.setSorting(catalog->IsSorted());
        dialog.SetItems(catalog->Data(), items);
    } else {
        dialog.SetTitle(tr("Please enter %1:"), itemsWord);
        dialog.SetEditable(true);
        dialog.setValidator(validator);
        dialog.setSorting(false);
        dialog.SetValues(items);
    }
    // The editor may go while the dialog runs its own event loop.
    const QPointer<QListEditor> self(this);
    if (dialog.exec() != QDialog::Accepted || !self)
        return;
    items = dialog.GetSelected();
    Validate();
}
