#include "QNumberValidator.h"
#include "QPriceEdit.h"
#include "QPriceValidator.h"

#include <QtTest>

Q_DECLARE_METATYPE(Qt::Key)

namespace {

bool marked(const QWidget& widget)
{
    return widget.property("isError").toBool();
}

void retype(QPriceEdit& edit, const QString& text)
{
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClicks(&edit, text);
}

} // namespace

class tst_PriceEdit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QPriceValidator::InitPriceLadder(); }

    void pairing()
    {
        QPriceEdit lower;
        QPriceEdit upper;
        lower.SetPair(&upper, true);
        QCOMPARE(upper.Pair(), &lower);
        // Unpairing one side leaves the other's link alone.
        lower.SetPair(nullptr, true);
        QCOMPARE(lower.Pair(), nullptr);
        QCOMPARE(upper.Pair(), &lower);
        {
            QPriceEdit partner;
            upper.SetPair(&partner, false);
            QCOMPARE(partner.Pair(), &upper);
        }
        // A destroyed partner leaves no dangling link behind.
        QCOMPARE(upper.Pair(), nullptr);
        upper.setText(QStringLiteral("2"));
    }

    void rangeMarking_data()
    {
        QTest::addColumn<QString>("lowerText");
        QTest::addColumn<QString>("upperText");
        QTest::addColumn<bool>("typeInLower");
        QTest::addColumn<bool>("lowerMarked");
        QTest::addColumn<bool>("upperMarked");
        // clang-format off
        QTest::newRow("reversed, typing the lower") << "5" << "3" << true << false << true;
        QTest::newRow("reversed, typing the upper") << "5" << "3" << false << true << false;
        QTest::newRow("equal bounds") << "3" << "3" << true << false << false;
        QTest::newRow("in order") << "2" << "3" << false << false << false;
        QTest::newRow("empty upper reads as 0") << "2" << "" << true << false << true;
        QTest::newRow("off the ladder, in order") << "2.01" << "3" << true << true << false;
        QTest::newRow("off the ladder, reversed") << "5" << "4.15" << true << false << true;
        // clang-format on
    }

    void rangeMarking()
    {
        QFETCH(QString, lowerText);
        QFETCH(QString, upperText);
        QFETCH(bool, typeInLower);
        QFETCH(bool, lowerMarked);
        QFETCH(bool, upperMarked);
        QPriceEdit lower;
        QPriceEdit upper;
        lower.setValidator(new QPriceValidator(&lower));
        upper.setValidator(new QPriceValidator(&upper));
        lower.SetPair(&upper, true);
        // Start reversed, with both marked, so that clearing is seen too.
        lower.setText(QStringLiteral("900"));
        upper.setText(QStringLiteral("1.5"));
        (typeInLower ? upper : lower).setText(typeInLower ? upperText : lowerText);
        retype(typeInLower ? lower : upper, typeInLower ? lowerText : upperText);
        QCOMPARE(marked(lower), lowerMarked);
        QCOMPARE(marked(upper), upperMarked);
    }

    void stepping_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<QString>("result");
        // clang-format off
        QTest::newRow("page up across a band") << "1.95" << Qt::Key_PageUp << "2.10";
        QTest::newRow("page down across a band") << "2.10" << Qt::Key_PageDown << "1.95";
        QTest::newRow("down") << "2.02" << Qt::Key_Down << "2.00";
        QTest::newRow("down from the bottom") << "1.01" << Qt::Key_Down << "1.01";
        QTest::newRow("up from the top") << "1000" << Qt::Key_Up << "1000";
        QTest::newRow("up into whole prices") << "20" << Qt::Key_Up << "21";
        QTest::newRow("up between entries") << "2.03" << Qt::Key_Up << "2.04";
        QTest::newRow("up from empty") << "" << Qt::Key_Up << "1.01";
        // clang-format on
    }

    void stepping()
    {
        QFETCH(QString, start);
        QFETCH(Qt::Key, key);
        QFETCH(QString, result);
        QPriceEdit edit;
        edit.setValidator(new QPriceValidator(&edit));
        edit.setText(start);
        QSignalSpy edited(&edit, &QLineEdit::textEdited);
        QTest::keyClick(&edit, key);
        QCOMPARE(edit.text(), result);
        // A stepped price is the program's change, not the user's edit.
        QCOMPARE(edited.count(), 0);
    }

    // Only a validator named "PriceValidator" makes the keys step.
    void otherEditsDoNotStep()
    {
        QPriceEdit number;
        number.setValidator(new QNumberValidator(&number));
        QPriceEdit plain;
        QPriceEdit renamed;
        auto* price = new QPriceValidator(&renamed);
        price->setObjectName(QStringLiteral("priceValidator"));
        renamed.setValidator(price);
        for (QPriceEdit* edit : { &number, &plain, &renamed }) {
            edit->setText(QStringLiteral("2.02"));
            edit->setCursorPosition(1);
            for (Qt::Key key : { Qt::Key_Up, Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown })
                QTest::keyClick(edit, key);
            QCOMPARE(edit->text(), QStringLiteral("2.02"));
            QCOMPARE(edit->cursorPosition(), 1);
        }
    }

    // The mark must reach the style sheet at once, not at some later repolish.
    void errorMarkRepaints()
    {
        QWidget window;
        window.setStyleSheet(QStringLiteral("QLineEdit { background-color: white; border: none; }"
                                            "*[isError=\"true\"] { background-color: #FF9999; }"));
        auto* edit = new QPriceEdit(&window);
        edit->resize(80, 24);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QPoint inside(edit->width() - 4, edit->height() / 2);
        edit->setError(true);
        QCOMPARE(edit->grab().toImage().pixelColor(inside), QColor(0xFF, 0x99, 0x99));
        edit->setError(false);
        QCOMPARE(edit->grab().toImage().pixelColor(inside), QColor(Qt::white));
    }
};

QTEST_MAIN(tst_PriceEdit)
#include "tst_priceedit.moc"
