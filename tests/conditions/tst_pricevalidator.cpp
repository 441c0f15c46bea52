#include "QNumberValidator.h"
#include "QPriceEdit.h"
#include "QPriceValidator.h"
#include "ReadNumber.h"

#include <QtTest>

Q_DECLARE_METATYPE(QValidator::State)

class tst_PriceValidator : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QPriceValidator::InitPriceLadder(); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    // Each text is judged in both interface languages: the default locale must not matter.
    void validate_data()
    {
        QTest::addColumn<bool>("price");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QValidator::State>("state");
        const auto row = [](const char* name, bool price, const QString& input, QValidator::State state) {
            QTest::addRow("%s %s", price ? "price" : "number", name) << price << input << state;
        };
        // clang-format off
        row("empty", true, "", QValidator::Intermediate);
        row("letters", true, "abc", QValidator::Invalid);
        row("decimal comma", true, "1,5", QValidator::Invalid);
        row("group separator", true, "1,000", QValidator::Invalid);
        row("on the ladder", true, "2", QValidator::Acceptable);
        row("off the ladder", true, "2.01", QValidator::Intermediate);
        row("top", true, "1000", QValidator::Acceptable);
        row("above the top", true, "1001", QValidator::Intermediate);
        row("exponent", true, "1e2", QValidator::Acceptable);
        row("negative", true, "-3", QValidator::Intermediate);
        row("spaces", true, " 1.5 ", QValidator::Acceptable);
        row("not a number", true, "nan", QValidator::Invalid);
        row("infinity", true, "inf", QValidator::Invalid);
        row("decimal point", false, "1.5", QValidator::Acceptable);
        row("decimal comma", false, "1,5", QValidator::Invalid);
        row("group separator", false, "1,000", QValidator::Invalid);
        row("Russian group separator", false, QStringLiteral("1\u00a0000"), QValidator::Invalid);
        row("negative", false, "-2.5", QValidator::Acceptable);
        row("exponent", false, "1e3", QValidator::Acceptable);
        row("letters", false, "abc", QValidator::Invalid);
        // clang-format on
    }

    void validate()
    {
        QFETCH(bool, price);
        QFETCH(QString, input);
        QFETCH(QValidator::State, state);
        for (const QLocale& locale :
            { QLocale(QLocale::English, QLocale::UnitedKingdom), QLocale(QLocale::Russian) }) {
            QLocale::setDefault(locale);
            QScopedPointer<QValidator> validator(price
                    ? static_cast<QValidator*>(new QPriceValidator(nullptr))
                    : new QNumberValidator(nullptr));
            QString text = input;
            int pos = text.size();
            QCOMPARE(validator->validate(text, pos), state);
            QCOMPARE(text, input);
            // Whatever is accepted is read back downstream as the same number.
            bool ok = false;
            const double value = ReadNumber(input, &ok);
            if (state == QValidator::Acceptable)
                QVERIFY(ok && value == QLocale::c().toDouble(input.trimmed()));
        }
    }

    void fixup_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("output");
        // clang-format off
        QTest::newRow("cleared stays empty") << "" << "";
        QTest::newRow("letters stay") << "abc" << "abc";
        QTest::newRow("decimal comma stays") << "1,5" << "1,5";
        QTest::newRow("not a number stays") << "nan" << "nan";
        QTest::newRow("2.03") << "2.03" << "2.02";
        QTest::newRow("2.01") << "2.01" << "2.00";
        QTest::newRow("1005") << "1005" << "1000";
        QTest::newRow("1000.3") << "1000.3" << "1000";
        QTest::newRow("4.15") << "4.15" << "4.1";
        QTest::newRow("7.75") << "7.75" << "7.6";
        QTest::newRow("below the ladder") << "0.5" << "1.01";
        QTest::newRow("negative") << "-3" << "1.01";
        // clang-format on
    }

    void fixup()
    {
        QFETCH(QString, input);
        QFETCH(QString, output);
        QPriceValidator validator(nullptr);
        validator.fixup(input);
        QCOMPARE(input, output);
    }

    // Every repaired number is a price the validator then accepts.
    void fixupGivesAcceptablePrices()
    {
        QPriceValidator validator(nullptr);
        for (int hundredths = -50; hundredths <= 101000; hundredths += 7) {
            QString text = QString::number(hundredths / 100.0, 'f', 2);
            validator.fixup(text);
            int pos = 0;
            QVERIFY2(validator.validate(text, pos) == QValidator::Acceptable, qPrintable(text));
        }
    }

    // In an edit: a keystroke making the text Invalid is refused, and Return
    // repairs an off-ladder price but leaves a cleared field clear.
    void typingAndReturn_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("result");
        // clang-format off
        QTest::newRow("repaired") << "2.03" << "2.02";
        QTest::newRow("kept") << "2.04" << "2.04";
        QTest::newRow("cleared") << "" << "";
        QTest::newRow("comma refused") << "1,5" << "15";
        // clang-format on
    }

    void typingAndReturn()
    {
        QFETCH(QString, typed);
        QFETCH(QString, result);
        QPriceEdit edit;
        edit.setValidator(new QPriceValidator(&edit));
        edit.setText(QStringLiteral("3"));
        edit.selectAll();
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QTest::keyClicks(&edit, typed);
        QTest::keyClick(&edit, Qt::Key_Return);
        QCOMPARE(edit.text(), result);
    }
};

QTEST_MAIN(tst_PriceValidator)
#include "tst_pricevalidator.moc"
