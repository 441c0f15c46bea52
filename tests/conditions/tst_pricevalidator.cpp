#include "QNumberValidator.h"
#include "QPriceEdit.h"
#include "QPriceValidator.h"
#include "ReadNumber.h"

#include "conditions/DataRows.h"

static QString shown(double price, short decimals) { return QString::number(price, 'f', decimals); }

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
        textRows({ "1.0 1.01 2 off", "1.007 1.01 2 on", "2.03 2.02 2 off", "4.15 4.1 1 off", "55.5 55 0 off", "1005 1000 0 off",
            "-3 1.01 2 off", "nan 1.01 2 off", "inf 1000 0 off" });
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

    // Per band: the top of the band below, then the band's lower edge, a price inside it and its upper edge,
    // each shown with the band's decimals; one step up from the band below lands on the lower edge and one
    // step down goes back (the ladder's foot holds).
    void ladder_data()
    {
        textRows({ "1.0 1.01 1.50 2.00", "2.00 2.02 2.50 3.00", "3.00 3.05 3.50 4.00", "4.00 4.1 5.0 6.0",
            "6.0 6.2 8.0 10.0", "10.0 10.5 15.5 20.0", "20.0 21 25 30", "30 32 40 50", "50 55 75 100",
            "100 110 500 1000" });
    }
    void ladder()
    {
        const QStringList row = fields();
        for (const QString& text : row.mid(1)) {
            double price = text.toDouble();
            short decimals = -1;
            QVERIFY2(QPriceValidator::RoundPrice(price, decimals), qPrintable(text));
            QCOMPARE(shown(price, decimals), text);
        }
        float price = row.at(0).toFloat();
        short decimals = -1;
        QPriceValidator::Step(price, true, decimals, 1);
        QCOMPARE(shown(price, decimals), row.at(1));
        QPriceValidator::Step(price, false, decimals, 1);
        QCOMPARE(shown(price, decimals), row.at(0) == "1.0" ? row.at(1) : row.at(0));
    }

    // Validator, text, state under English and Russian locales, repair: accepted text reads as the same number.
    void validate_data()
    {
        textRows({ "price 1,5 Invalid 1,5", "price nan Invalid nan", "number 1\u00a0000 Invalid", "price 2.03 Intermediate 2.02",
            "price 0.5 Intermediate 1.01", "price 2 Acceptable", "number nan Invalid", "number -2.5 Acceptable" });
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

    // Validator, text, key, text after: the arrow and page keys step a price along the ladder and leave
    // other values alone.
    void stepping_data()
    {
        textRows({ "price 1.95 PageUp 2.10", "price 2.03 Down 2.00", "price 1.01 Down 1.01", "price 1000 Up 1000",
            "number 2 Up 2", "none 2 PageDown 2" });
    }
    void stepping()
    {
        const QStringList row = fields();
        QPriceEdit edit;
        if (row.at(0) != "none")
            edit.setValidator(row.at(0) == "price" ? static_cast<QValidator*>(new QPriceValidator(&edit)) : new QNumberValidator(&edit));
        edit.setText(row.at(1));
        QTest::keyClick(&edit, Qt::Key(QMetaEnum::fromType<Qt::Key>().keyToValue(qPrintable("Key_" + row.at(2)))));
        QCOMPARE(edit.text(), row.at(3));
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
