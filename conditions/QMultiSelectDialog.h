#pragma once

#include <QAbstractItemDelegate>
#include <QDialog>
#include <QIcon>
#include <QJsonArray>
#include <QStringList>

class LineFileReader;
class QAction;
class QListWidgetItem;
class QValidator;

namespace Ui {
class QMultiSelectDialog;
}

// The modal dialog behind list values. In selection mode it lists catalog
// entries with check boxes and returns the ticked codes; the show-more
// switch hides entries that are neither ticked nor favourites. In editable
// mode it holds free values that the user adds, edits, deletes or loads from
// a text file, each marked when the validator does not accept it, and
// returns them all. OK needs at least one value.
class QMultiSelectDialog : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(QMultiSelectDialog)

public:
    // Item data role of the catalog entry's "fav" flag.
    static constexpr int FavouriteRole = 99;

    explicit QMultiSelectDialog(QWidget* parent = nullptr);
    ~QMultiSelectDialog() override;

    void SetEditable(bool editable);
    // Borrowed; judges the free values of editable mode.
    void setValidator(QValidator* validator) { this->validator = validator; }
    void setSorting(bool on);
    // The title is format with %1 replaced by word; the word also names the
    // entries on the show-more switch.
    void SetTitle(const QString& format, const QString& word);
    // Catalog entries, with the listed codes ticked.
    void SetItems(const QJsonArray& items, const QStringList& selected);
    void SetValues(const QStringList& values);
    // The ticked codes (hidden ones too), or every free value, in list order.
    QStringList GetSelected() const;

public slots:
    void UpdateCount();
    void AddItem();
    void DelItems();
    void ValidateItem(QListWidgetItem* item);
    void ValidateInput(QWidget* editor, QAbstractItemDelegate::EndEditHint hint);
    void SwitchMore(bool on);
    void DisableFlashingButton();
    void SelectAll();
    void SelectNone();
    void SelectFile();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QListWidgetItem* NewValueItem(const QString& text) const;
    void AppendValues(const QStringList& values);
    void SetChecked(Qt::CheckState state);
    void StopImport();
    void ImportFinished();
    bool IsImporting() const;

    bool editable = false;
    QValidator* validator = nullptr;
    QString itemsWord;
    Ui::QMultiSelectDialog* ui = nullptr;
    QAction* selectAllAction = nullptr;
    QAction* selectNoneAction = nullptr;
    QIcon errorIcon;
    LineFileReader* reader = nullptr;
};
