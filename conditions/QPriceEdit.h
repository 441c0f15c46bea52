#pragma once

#include <QLineEdit>
#include <QPointer>

// The line edit of condition values. Under a price validator the arrow keys
// step its price one ladder entry and the page keys ten. Two edits can be
// paired as the bounds of a range; a reversed range marks the edit that was
// not being typed in.
class QPriceEdit : public QLineEdit
{
    Q_OBJECT
    Q_DISABLE_COPY(QPriceEdit)

public:
    explicit QPriceEdit(QWidget* parent = nullptr);

    // Pairs both edits with opposite bounds; null unpairs this edit only, the
    // former partner keeps its link.
    void SetPair(QPriceEdit* other, bool lower);
    QPriceEdit* Pair() const;

    void setError(bool on);

public slots:
    // The range check; runs on every change, typed or set by the program.
    void myTextChanged(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool hasPriceValidator() const;

    // Guarded: a partner that goes away unpairs this edit rather than dangle.
    QPointer<QPriceEdit> pair;
    bool lowerBound = false;
};
