#include "QNumberValidator.h"
#include "QPriceEdit.h"
#include "QPriceValidator.h"
#include "ReadNumber.h"

#include "conditions/DataRows.h"

namespace {

QString shown(double price, short decimals)
{
    return QString::number(price, 'f', decimals);
}

} // namespace

class tst_PriceValidator : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    // Runs first: a lookup before the ladder is built must not walk an empty map.
    void lookupBeforeInit()
    {
        QVERIFY(QPriceValidator::Ladder().isEmpty());
        double price = 2.03;
        short decimals = -1;
        QVERIFY(!QPriceValidator::RoundPrice(price, decimals));
        QCOMPARE(shown(price, decimals), "2.02");
    }

    // Input, shown result, decimals, whether the input was on the ladder (then unchanged).
    void roundPrice_data()
    {
        textRows({ "1.0 1.01 2 off", "1.007 1.01 2 on", "2.03 2.02 2 off", "4.15 4.1 1 off", "20 20.0 1 on", "55.5 55 0 off",
            "1005 1000 0 off", "-3 1.01 2 off", "1.556 1.55 2 off", "1.999 1.99 2 off", "nan 1.01 2 off", "inf 1000 0 off" });
    }
    void roundPrice()
    {
        const QStringList row = fields();
        double price = row.at(0).toDouble();
        short decimals = -1;
        QCOMPARE(QPriceValidator::RoundPrice(price, decimals), row.at(3) == "on");
        QCOMPARE(shown(price, decimals) + " " + QString::number(decimals), row.at(1) + " " + row.at(2));
        if (row.at(3) == "on")
            QCOMPARE(price, row.at(0).toDouble());
    }

    // Start, direction, ticks, shown result, decimals.
    void step_data()
    {
        textRows({ "2.00 up 1 2.02 2", "1.95 up 10 2.10 2", "990 up 10 1000 0", "1.01 down 1 1.01 2", "1.0 up 1 1.01 2",
            "1005 down 1 990 0", "20 down 1 19.5 1", "2.03 up 1 2.04 2", "2.03 down 1 2.00 2" });
    }
    void step()
    {
        const QStringList row = fields();
        float price = row.at(0).toFloat();
        short decimals = 2;
        QPriceValidator::Step(price, row.at(1) == "up", decimals, row.at(2).toInt());
        QCOMPARE(shown(double(price), decimals) + " " + QString::number(decimals), row.at(3) + " " + row.at(4));
    }

    // Validator, text, state under English and Russian default locales, the price validator's repair: accepted
    // text reads as the same number; repairs go onto the ladder, text that is no number stays as it is.
    void validate_data()
    {
        textRows({ "price 1,5 Invalid 1,5", "price nan Invalid nan", "number 1,000 Invalid", "number 1\u00a0000 Invalid",
            "number nan Invalid", "price - Intermediate -", "price 2.03 Intermediate 2.02", "price 4.15 Intermediate 4.1",
            "price 1005 Intermediate 1000", "price 0.5 Intermediate 1.01", "price 2 Acceptable", "price 1e2 Acceptable",
            "number -2.5 Acceptable" });
    }
    void validate()
    {
        QStringList row = fields();
        const auto state = QValidator::State(QMetaEnum::fromType<QValidator::State>().keyToValue(qPrintable(row.at(2))));
        for (const QLocale& locale : { QLocale(QLocale::English, QLocale::UnitedKingdom), QLocale(QLocale::Russian) }) {
            QLocale::setDefault(locale);
            QScopedPointer<QValidator> validator(
                row.at(0) == "price" ? static_cast<QValidator*>(new QPriceValidator(nullptr)) : new QNumberValidator(nullptr));
            QString text = row.at(1);
            int pos = text.size();
            QCOMPARE(validator->validate(text, pos), state);
            bool ok = false;
            const double value = ReadNumber(row.at(1), &ok);
            if (state == QValidator::Acceptable)
                QVERIFY(ok && value == QLocale::c().toDouble(row.at(1)));
        }
        if (row.size() > 3) {
            QPriceValidator(nullptr).fixup(row[1]);
            QCOMPARE(row.at(1), row.at(3));
        }
    }

    // Start, key, result: keys step a price edit, not a number edit, as the program's change.
    void stepping_data()
    {
        textRows({ "1.95 PageUp 2.10", "2.10 PageDown 1.95", "1000 Up 1000", "- Up 1.01" });
    }
    void stepping()
    {
        const QStringList row = fields();
        const auto key = Qt::Key(QMetaEnum::fromType<Qt::Key>().keyToValue(qPrintable("Key_" + row.at(1))));
        QPriceEdit edit, number;
        edit.setValidator(new QPriceValidator(&edit));
        number.setValidator(new QNumberValidator(&number));
        for (QPriceEdit* each : { &edit, &number }) {
            each->setText(row.at(0));
            QSignalSpy edited(each, &QLineEdit::textEdited);
            QTest::keyClick(each, key);
            QCOMPARE(each->text(), each == &edit ? row.at(2) : row.at(0));
            QCOMPARE(edited.count(), 0);
        }
    }

    // Typed edit, lower, upper, marked: a reversed range marks the other edit, an off-ladder bound its own.
    void rangeMarking_data()
    {
        textRows({ "lower 5 3 upper", "upper 5 3 lower", "lower 3 3 none", "lower 2 - upper", "lower 2.01 3 lower" });
    }
    void rangeMarking()
    {
        const QStringList row = fields();
        QPriceEdit lower, upper;
        lower.setValidator(new QPriceValidator(&lower));
        upper.setValidator(new QPriceValidator(&upper));
        lower.SetPair(&upper, true);
        lower.setText("900"); // reversed, both marked, so that clearing shows too
        upper.setText("1.5");
        const bool typingLower = row.at(0) == "lower";
        (typingLower ? upper : lower).setText(row.at(typingLower ? 2 : 1));
        (typingLower ? lower : upper).setText(row.at(typingLower ? 1 : 2));
        QCOMPARE(lower.property("isError").toBool(), row.at(3) == "lower");
        QCOMPARE(upper.property("isError").toBool(), row.at(3) == "upper");
    }

    // Unpairing one side leaves the other's link; a destroyed partner leaves no dangling one.
    void pairing()
    {
        QPriceEdit upper;
        {
            QPriceEdit lower;
            lower.SetPair(&upper, true);
            lower.SetPair(nullptr, true);
            QVERIFY(!lower.Pair() && upper.Pair() == &lower);
        }
        QCOMPARE(upper.Pair(), nullptr);
        upper.setText("2");
    }
};

QTEST_MAIN(tst_PriceValidator)
#include "tst_pricevalidator.moc"
