#include "Prompt.h"

#include <QIntValidator>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QtTest>

namespace {

enum class Rule { None, Stake, Code };

// The validator is the dialog's to borrow: it lives beside it here.
std::unique_ptr<QValidator> makeValidator(Rule rule)
{
    switch (rule) {
    case Rule::None:
        return nullptr;
    case Rule::Stake:
        return std::make_unique<QIntValidator>(1, 100);
    case Rule::Code:
        return std::make_unique<QRegularExpressionValidator>(QRegularExpression(QStringLiteral("[A-Z]{2}")));
    }
    return nullptr;
}

} // namespace

Q_DECLARE_METATYPE(Rule)

class tst_Prompt : public QObject
{
    Q_OBJECT

private slots:
    void initialValue_data()
    {
        QTest::addColumn<Rule>("rule");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("okEnabled");
        // clang-format off
        QTest::newRow("no validator, empty") << Rule::None << "" << true;
        QTest::newRow("acceptable") << Rule::Stake << "100" << true;
        QTest::newRow("empty") << Rule::Stake << "" << false;
        QTest::newRow("not a number") << Rule::Stake << "ten" << false;
        QTest::newRow("incomplete") << Rule::Code << "G" << false;
        QTest::newRow("pattern") << Rule::Code << "GB" << true;
        // clang-format on
    }

    // The initial value is judged as given, not cut to what the validator takes.
    void initialValue()
    {
        QFETCH(Rule, rule);
        QFETCH(QString, value);
        QFETCH(bool, okEnabled);
        const std::unique_ptr<QValidator> validator = makeValidator(rule);
        Prompt prompt(QStringLiteral("Stake"), validator.get(), value);
        auto* edit = prompt.findChild<QLineEdit*>(QStringLiteral("ValueEdit"));
        auto* ok = prompt.findChild<QPushButton*>(QStringLiteral("ButOK"));
        QVERIFY(edit && ok);
        QCOMPARE(prompt.windowTitle(), QStringLiteral("Stake"));
        QCOMPARE(prompt.value(), value);
        QCOMPARE(edit->validator(), validator.get());
        QCOMPARE(ok->isEnabled(), okEnabled);
        QVERIFY(prompt.isModal());
    }

    // Typing re-judges the text at every edit; Return goes to OK only while
    // it is enabled, Escape always cancels.
    void keyboard_data()
    {
        QTest::addColumn<Rule>("rule");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("okEnabled");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("result"); // -1: still open
        QTest::addColumn<QString>("text");
        const int open = -1;
        // clang-format off
        QTest::newRow("typed to acceptable, Return") << Rule::Stake << "" << "42" << true << int(Qt::Key_Return) << int(QDialog::Accepted) << "42";
        QTest::newRow("erased, Return") << Rule::Stake << "5" << "\b" << false << int(Qt::Key_Return) << open << "";
        QTest::newRow("invalid start, Enter") << Rule::Code << "G" << "" << false << int(Qt::Key_Enter) << open << "G";
        QTest::newRow("invalid start, Escape") << Rule::Code << "G" << "" << false << int(Qt::Key_Escape) << int(QDialog::Rejected) << "G";
        QTest::newRow("typed empty, no validator") << Rule::None << "x" << "\b" << true << int(Qt::Key_Return) << int(QDialog::Accepted) << "";
        // clang-format on
    }

    void keyboard()
    {
        QFETCH(Rule, rule);
        QFETCH(QString, value);
        QFETCH(QString, typed);
        QFETCH(bool, okEnabled);
        QFETCH(int, key);
        QFETCH(int, result);
        QFETCH(QString, text);
        const std::unique_ptr<QValidator> validator = makeValidator(rule);
        Prompt prompt(QString(), validator.get(), value);
        QSignalSpy finished(&prompt, &QDialog::finished);
        prompt.show();
        QApplication::setActiveWindow(&prompt);
        QVERIFY(QTest::qWaitForWindowActive(&prompt));
        auto* edit = prompt.findChild<QLineEdit*>(QStringLiteral("ValueEdit"));
        QCOMPARE(QApplication::focusWidget(), edit);

        edit->end(false);
        QTest::keyClicks(edit, typed);
        QCOMPARE(prompt.findChild<QPushButton*>(QStringLiteral("ButOK"))->isEnabled(), okEnabled);
        QTest::keyClick(edit, Qt::Key(key));
        QCOMPARE(prompt.value(), text);
        if (result < 0) {
            QVERIFY(prompt.isVisible());
            QCOMPARE(finished.count(), 0);
        } else {
            // The Cancel button's shortcut clicks it a moment later.
            QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
            QCOMPARE(finished.first().first().toInt(), result);
        }
    }
};

QTEST_MAIN(tst_Prompt)
#include "tst_prompt.moc"
