#pragma once

#include <QMap>
#include <QValidator>

// Accepts only prices on the exchange's price ladder (1.01 to 1000, coarser as
// the odds grow) and repairs other numbers onto it. The ladder and its
// operations are program-wide: the results view rounds bet prices with them.
class QPriceValidator : public QValidator
{
    Q_OBJECT
    Q_DISABLE_COPY(QPriceValidator)

public:
    // Object name "PriceValidator": QPriceEdit steps only under a validator so named.
    explicit QPriceValidator(QObject* parent);

    State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

    // Fills the ladder: 350 prices, each with the decimals it is shown with.
    static void InitPriceLadder();

    // Moves price onto the ladder: below it becomes 1.01, above it 1000, else it
    // is cut down to the ladder price at or below it, within half a hundredth so
    // that showing it with the returned decimals gives that ladder price.
    // Returns true when price was on the ladder already (in whole hundredths).
    static bool RoundPrice(double& price, short& decimals);

    // Moves price ticks ladder entries up or down; the ladder's ends hold.
    static void Step(float& price, bool up, short& decimals, int ticks);

    // Price (single precision, never above its decimal value) to its decimals.
    static const QMap<float, short>& Ladder();
};
