#pragma once

#include "EditorSetup.h"
#include "RowCondition.h"

#include <QFrame>
#include <QJsonObject>

#include <memory>

class QComboBox;

namespace Ui {
class TriggerRow;
}

// One condition row of a search template, read as a sentence: object,
// property, runner-metadata parameter (for "Silks"), comparison, values.
//
// The combos form a cascade from left to right: each change of a combo's
// current item first emits Changed() and then refills the combos to its
// right, keeping a combo untouched when it already holds the right list. The
// last stage shows the value editors the chosen comparison needs, with their
// validators. The row turns into its part of the search filter through
// Condition() and FilterBuilder.
class TriggerRow : public QFrame
{
    Q_OBJECT
    Q_DISABLE_COPY(TriggerRow)

public:
    explicit TriggerRow(QWidget* parent = nullptr);
    ~TriggerRow() override;

    void SetDeleteEnabled(bool on);

    // Whether the row can take part in a search: every choice made and every
    // value editor the row shows holds a usable value. Editors count as
    // shown when the row shows them, whether or not the row is on screen.
    bool IsValid() const;
    // Whether the object, property and comparison combos, and the parameter
    // combo where the row shows it, each have a current item. A stored row
    // whose codes are unknown lacks one.
    bool HasEveryChoice() const;

    // What the row says, as the filter building reads it.
    RowCondition Condition() const;
    // Adds the row's condition to filter, with the start-time windows
    // measured from the clock now.
    void AddToFilter(QJsonObject& filter) const;

    // Writes the row's record of a template file into record: the codes of
    // the chosen object, property and comparison, and of each other input
    // the row shows, its value. Inputs count as shown when the row shows
    // them, so a template on a hidden panel saves whole. A row loaded with
    // codes this version does not know writes its record back as loaded
    // while it still lacks a choice.
    void Save(QJsonObject& record) const;
    // Sets the row up from a stored record: the value texts first, then the
    // combos from left to right (each choice runs the cascade), then the
    // list and the fixed value. Unknown codes leave their combo without a
    // current item; see HasEveryChoice().
    void Load(const QJsonObject& record);

    // The row's comparison is "Is not equal to" or "Is not in list".
    bool IsNegative() const;

    // Index of the first item of combo whose code is exactly code; -1 for none.
    static int FindItem(QComboBox* combo, const QString& code);
    static QJsonObject MakeRange(int conditionId, const QJsonObject& previous, double value1, double value2,
        bool invert, const QStringList& items);
    static QJsonObject MergeList(const QJsonObject& previous, bool invert, const QStringList& items);

signals:
    void Changed();

public slots:
    // The stages of the cascade; each reads the current records, not index.
    void on_ObjList_currentIndexChanged(int index);
    void on_PropList_currentIndexChanged(int index);
    void on_CondList_currentIndexChanged(int index);
    // Marks the sending value edit by what its validator thinks of its text.
    void setEditError(const QString& val);
    void itemChanged();
    void on_ParamsList_currentIndexChanged(int index);

private:
    using Stage = void (TriggerRow::*)(int);

    // Fills target with list unless list is empty or target holds it
    // already; then runs target's stage itself, since target stays silent.
    void Refill(QComboBox* target, const QList<MyList>& list, Stage stage);
    bool Shows(const QWidget* widget) const;
    static QString CatalogWord(EditorSetup::Catalog catalog);

    std::unique_ptr<Ui::TriggerRow> ui;
    // A loaded record with codes this version does not know; saved back as
    // it was while the row still lacks a choice.
    QJsonObject unknownRecord;
};
