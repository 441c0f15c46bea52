#include "QActionButton.h"
#include "QClickableLabel.h"
#include "QMyLineEdit.h"

#include <QAction>
#include <QFocusEvent>
#include <QIntValidator>
#include <QRegularExpressionValidator>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

enum class Check { Port, Email, Mask, Free };

void applyCheck(QLineEdit& edit, Check check)
{
    if (check == Check::Port)
        edit.setValidator(new QIntValidator(1, 9999, &edit));
    if (check == Check::Email)
        edit.setValidator(
            new QRegularExpressionValidator(QRegularExpression("[^@\\s]+@[^@\\s]+\\.[a-z]+"), &edit));
    if (check == Check::Mask)
        edit.setInputMask("99:99");
}

void sendFocus(QWidget& widget, QEvent::Type type, Qt::FocusReason reason)
{
    QFocusEvent event(type, reason);
    QApplication::sendEvent(&widget, &event);
}

// What a line edit reports, in order, with its text and selection then.
struct SignalRecord
{
    QStringList lines;
    QObject context; // drops the connections with the record

    explicit SignalRecord(QMyLineEdit& edit)
    {
        QObject::connect(&edit, &QLineEdit::editingFinished, &context,
            [this, &edit] { lines << "finished:" + edit.text(); });
        QObject::connect(&edit, &QMyLineEdit::focussed, &context, [this, &edit](bool in) {
            lines << QStringLiteral("focus:%1:%2").arg(in).arg(edit.selectedText());
        });
    }
    Q_DISABLE_COPY(SignalRecord)
};

QIcon squareIcon(Qt::GlobalColor color)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(color);
    return QIcon(pixmap);
}

enum class Change { Text, Tips, Icon, Disabled, Checked, NotCheckable };

} // namespace

Q_DECLARE_METATYPE(Check)
Q_DECLARE_METATYPE(Change)

class tst_SmallWidgets : public QObject
{
    Q_OBJECT

private slots:
    void lineEditTakesBackUnacceptableText_data()
    {
        QTest::addColumn<Check>("check");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("reason");

        const int other = Qt::OtherFocusReason;
        QTest::newRow("port emptied") << Check::Port << "8080"
                                      << ""
                                      << "8080" << other;
        QTest::newRow("port zero") << Check::Port << "8080"
                                   << "0"
                                   << "8080" << other;
        QTest::newRow("port changed") << Check::Port << "8080"
                                      << "3128"
                                      << "3128" << other;
        QTest::newRow("address half typed") << Check::Email << "me@example.com"
                                            << "you@"
                                            << "me@example.com" << other;
        QTest::newRow("mask incomplete") << Check::Mask << "12:30"
                                         << "9"
                                         << "12:30" << other;
        QTest::newRow("no validator") << Check::Free << "proxy"
                                      << ""
                                      << "" << other;
        QTest::newRow("tabbed in") << Check::Port << "8080"
                                   << "0"
                                   << "8080" << int(Qt::TabFocusReason);
    }

    void lineEditTakesBackUnacceptableText()
    {
        QFETCH(Check, check);
        QFETCH(QString, before);
        QFETCH(QString, typed);
        QFETCH(QString, after);
        QFETCH(int, reason);

        QMyLineEdit edit;
        applyCheck(edit, check);
        edit.setText(before);
        SignalRecord record(edit);

        sendFocus(edit, QEvent::FocusIn, Qt::FocusReason(reason));
        edit.selectAll();
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QTest::keyClicks(&edit, typed);
        sendFocus(edit, QEvent::FocusOut, Qt::OtherFocusReason);

        QCOMPARE(edit.text(), after);
        // Each signal once, after the base class: a Tab in has selected the
        // text already, and the settings tab's editingFinished sees the text
        // that stays.
        const QString selected = reason == Qt::TabFocusReason ? before : QString();
        QCOMPARE(record.lines, QStringList({ "focus:1:" + selected, "finished:" + after, "focus:0:" }));
    }

    // A context menu takes the focus for a moment; the edit goes on.
    void lineEditKeepsTheEditWhileAPopupIsOpen()
    {
        QMyLineEdit edit;
        applyCheck(edit, Check::Port);
        edit.setText("8080");
        sendFocus(edit, QEvent::FocusIn, Qt::MouseFocusReason);
        edit.clear();
        QTest::keyClicks(&edit, "0");

        sendFocus(edit, QEvent::FocusOut, Qt::PopupFocusReason);
        QCOMPARE(edit.text(), QStringLiteral("0"));
        sendFocus(edit, QEvent::FocusIn, Qt::PopupFocusReason);
        sendFocus(edit, QEvent::FocusOut, Qt::MouseFocusReason);
        QCOMPARE(edit.text(), QStringLiteral("8080"));
    }

    void labelReportsAnyMouseButton()
    {
        QClickableLabel label;
        QCOMPARE(label.cursor().shape(), Qt::PointingHandCursor);
        QSignalSpy clicked(&label, &QClickableLabel::clicked);
        for (Qt::MouseButton button : { Qt::LeftButton, Qt::RightButton, Qt::MiddleButton })
            QTest::mouseClick(&label, button);
        QCOMPARE(clicked.count(), 3);
    }

    void buttonMirrorsItsAction_data()
    {
        QTest::addColumn<Change>("change");
        QTest::newRow("text") << Change::Text;
        QTest::newRow("tips") << Change::Tips;
        QTest::newRow("icon") << Change::Icon;
        QTest::newRow("disabled") << Change::Disabled;
        QTest::newRow("checked") << Change::Checked;
        QTest::newRow("no longer checkable") << Change::NotCheckable;
    }

    void buttonMirrorsItsAction()
    {
        QFETCH(Change, change);

        QAction action(squareIcon(Qt::red), "Copy");
        action.setToolTip("Copy the selected records");
        action.setStatusTip("Copies to the clipboard");
        action.setCheckable(true);
        QActionButton button;
        button.setAction(&action);

        auto same = [&] {
            return button.text() == action.text() && button.toolTip() == action.toolTip()
                && button.statusTip() == action.statusTip()
                && button.icon().cacheKey() == action.icon().cacheKey()
                && button.isEnabled() == action.isEnabled() && button.isCheckable() == action.isCheckable()
                && button.isChecked() == action.isChecked();
        };
        QVERIFY(same());

        switch (change) {
        case Change::Text:
            action.setText("Clear");
            break;
        case Change::Tips:
            action.setToolTip("Clear the log");
            action.setStatusTip("Removes every record");
            break;
        case Change::Icon:
            action.setIcon(squareIcon(Qt::blue));
            break;
        case Change::Disabled:
            action.setEnabled(false);
            break;
        case Change::Checked:
            action.setChecked(true);
            break;
        case Change::NotCheckable:
            action.setChecked(true);
            action.setCheckable(false);
            break;
        }
        QVERIFY(same());
    }

    void buttonTriggersItsActionOnce_data()
    {
        QTest::addColumn<int>("binds");
        QTest::newRow("bound once") << 1;
        QTest::newRow("bound twice") << 2;
        QTest::newRow("bound three times") << 3;
    }

    void buttonTriggersItsActionOnce()
    {
        QFETCH(int, binds);

        QAction action("Export");
        action.setCheckable(true);
        QActionButton button;
        for (int i = 0; i < binds; ++i)
            button.setAction(&action);
        QSignalSpy triggered(&action, &QAction::triggered);

        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(triggered.count(), 1);
        QVERIFY(action.isChecked());
        QVERIFY(button.isChecked());

        action.setEnabled(false);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(triggered.count(), 1);
    }

    void rebindingLeavesTheFirstActionAlone()
    {
        QAction first("Clear");
        QAction second("Select all");
        QActionButton button;
        button.setAction(&first);
        button.setAction(&second);

        QSignalSpy firstTriggered(&first, &QAction::triggered);
        QSignalSpy secondTriggered(&second, &QAction::triggered);
        first.setEnabled(false);
        QCOMPARE(button.text(), QStringLiteral("Select all"));
        QVERIFY(button.isEnabled());
        button.click();
        QCOMPARE(firstTriggered.count(), 0);
        QCOMPARE(secondTriggered.count(), 1);

        // The log panel owns the actions and may go first.
        auto gone = std::make_unique<QAction>("Copy");
        button.setAction(gone.get());
        gone.reset();
        button.click();
        button.setAction(&second);
        button.click();
        QCOMPARE(secondTriggered.count(), 2);
    }
};

QTEST_MAIN(tst_SmallWidgets)
#include "tst_smallwidgets.moc"
