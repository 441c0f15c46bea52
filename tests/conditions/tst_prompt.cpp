#include "Prompt.h"

#include "conditions/DataRows.h"

#include <QIntValidator>
#include <QLineEdit>
#include <QPushButton>

class tst_Prompt : public QObject
{
    Q_OBJECT

private slots:
    // Validator, initial value, keys typed ("<": erase), OK enabled, key pressed, the outcome. The initial value
    // is judged as given, every edit again; Return accepts only while OK is enabled, Escape always cancels.
    void keyboard_data()
    {
        textRows({ "none x < yes Return accepted", "stake ten - no Return open", "stake - 42 yes Return accepted",
            "stake 5 < no Enter open", "stake ten - no Escape rejected" });
    }
    void keyboard()
    {
        const QStringList row = fields();
        QIntValidator stake(1, 100);
        Prompt prompt("Stake", row.at(0) == "stake" ? &stake : nullptr, row.at(1));
        auto* edit = prompt.findChild<QLineEdit*>("ValueEdit");
        QCOMPARE(prompt.value(), row.at(1));
        QSignalSpy finished(&prompt, &QDialog::finished);
        prompt.show();
        QApplication::setActiveWindow(&prompt);
        QVERIFY(QTest::qWaitForWindowActive(&prompt));
        edit->end(false);
        QTest::keyClicks(edit, QString(row.at(2)).replace('<', '\b'));
        QCOMPARE(prompt.findChild<QPushButton*>("ButOK")->isEnabled(), row.at(3) == "yes");
        QTest::keyClick(edit, Qt::Key(QMetaEnum::fromType<Qt::Key>().keyToValue(qPrintable("Key_" + row.at(4)))));
        if (row.at(5) == "open") {
            QVERIFY(prompt.isVisible() && finished.isEmpty());
            return;
        }
        // The Cancel button's shortcut clicks it a moment later.
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
        QCOMPARE(finished.first().first().toInt(), row.at(5) == "accepted" ? QDialog::Accepted : QDialog::Rejected);
    }
};

QTEST_MAIN(tst_Prompt)
#include "tst_prompt.moc"
