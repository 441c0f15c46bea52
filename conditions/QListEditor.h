#pragma once

#include <QLineEdit>
#include <QStringList>

class QCatalog;
class QValidator;

// The value editor of list conditions: shows the chosen list as one line and
// opens the multi-select dialog on a click. Over a catalog it keeps the
// ticked codes and shows their names; without one it keeps typed values,
// each judged by the validator. The catalog and the validator are borrowed.
class QListEditor : public QLineEdit
{
    Q_OBJECT
    Q_DISABLE_COPY(QListEditor)

public:
    explicit QListEditor(QWidget* parent = nullptr);

    bool IsValid() const { return valid; }
    // The catalog's codes that are (exclude false) or are not (exclude true)
    // chosen, in catalog order; empty without a catalog.
    QStringList Codes(bool exclude) const;
    void SetItemsWord(const QString& word) { itemsWord = word; }
    QStringList Items() const { return items; }

    void SetValidator(QValidator* validator);
    // Another catalog (or none) drops the items: codes of one catalog mean
    // nothing in another.
    void SetCatalog(QCatalog* catalog);
    void SetItems(const QStringList& items);

    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    // Derives the text, the validity and the error mark from the items.
    void Validate();

private:
    void EditInDialog();

    QCatalog* catalog = nullptr;
    bool valid = false;
    QString itemsWord;
    QStringList items;
    QValidator* validator = nullptr;
};
