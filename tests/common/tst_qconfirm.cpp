#include "FakeUser.h"
#include "QLog.h"

#include <QApplication>
#include <QPushButton>
#include <QtTest>

class tst_QConfirm : public QObject
{
    Q_OBJECT

    QLog log;
    QStringList logged;
    int helpWithABoxOpen = 0;

private slots:
    void initTestCase()
    {
        QConfirm::Init();
        connect(&log, &QLog::Logged, this, [this](QLog::QLogType type, const QString& text) {
            logged << QString::number(int(type)) + " " + text;
        });
        connect(QConfirm::Instance(), &QConfirm::showHelp, this, [this] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                helpWithABoxOpen += bool(qobject_cast<QMessageBox*>(widget));
        });
    }
    void init() { logged.clear(); }

    // A confirmation skipped at the wrong level or closed and taken as yes; an information box gated
    // otherwise, unlogged, or reported as shown when skipped; an error not shown or logged.
    void gatingByLevel()
    {
        const char* asked[] = { "yyy", "nyy", "nny" };
        for (int level = 0; level < 3; ++level) {
            FakeUser user;
            SetInteractiveLevel(level);
            logged.clear();
            QString shown, informed;
            for (const char* flags : { "00", "10", "01" }) { // critical, always
                shown += AskConfirm("Proceed?", flags[0] == '1', flags[1] == '1') ? 'n' : 'y';
                informed += ShowInfo("Noted.", flags[0] == '1', flags[1] == '1') ? 'y' : 'n';
            }
            QVERIFY(ShowError("Failed."));
            QCOMPARE(shown, QString(asked[level]));
            QCOMPARE(informed, shown);
            QCOMPARE(user.boxes.size(), 2 * shown.count('y') + 1);
            QCOMPARE(logged, QStringList({ "1 Noted.", "1 Noted.", "1 Noted.", "2 Failed." }));
        }
        SetInteractiveLevel(QConfirm::All);
    }

    // A question offering buttons it was not given, or Enter answering other than its default.
    void questionButtons()
    {
        using Box = QMessageBox;
        const auto bet = Box::Yes | Box::YesToAll | Box::No | Box::NoToAll;
        const struct { Box::StandardButtons buttons; Box::StandardButton byDefault; int entered; } rows[] = {
            { Box::Save | Box::Discard | Box::Cancel, Box::Save, Box::Save },
            { bet, Box::NoToAll, Box::NoToAll }, { bet, Box::Save, Box::NoButton } };
        for (const auto& row : rows) {
            Box::StandardButtons offered;
            QConfirm::SetResponder([&offered](QMessageBox* box) {
                for (QAbstractButton* button : box->buttons())
                    offered |= box->standardButton(button);
                return box->defaultButton(); // Enter
            });
            QCOMPARE(AskQuestion("Sure?", true, row.buttons, row.byDefault), row.entered);
            QCOMPARE(offered, row.buttons);
        }
        QConfirm::SetResponder({});
    }

    // Help opened under the open box; outside text rendered as markup; markup in the log.
    void helpAndText()
    {
        FakeUser user;
        ShowError("Failed.\n\nTry a proxy", "SaveFile");
        ShowWarning(QString("SMTP ERROR: %1<br>").arg(EscapeForBox("<b>550</b> \"x\" & co\nend")), "mail");
        QCOMPARE(user.boxes, QStringList({ "Critical: Failed.<br><br>Try a proxy",
            "Warning: SMTP ERROR: &lt;b&gt;550&lt;/b&gt; &quot;x&quot; &amp; co<br>end<br>" }));
        QCOMPARE(user.topics + QString::number(helpWithABoxOpen), "SaveFile,mail0");
        QCOMPARE(logged,
            QStringList({ "2 Failed.\n\nTry a proxy", "1 SMTP ERROR: <b>550</b> \"x\" & co\nend\n" }));
    }

    // The window closing under an open box: a double free, or a yes nobody gave.
    void windowClosedUnderAnOpenBox()
    {
        auto* window = new QWidget;
        window->show();
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        bool overTheWindow = false;
        QConfirm::SetResponder([&overTheWindow, window](QMessageBox* shown) {
            overTheWindow = shown->parentWidget() == window && shown->windowModality() == Qt::WindowModal;
            QAbstractButton* yes = shown->button(QMessageBox::Yes);
            delete window;
            return yes;
        });
        QVERIFY(!AskConfirm("Sure?", true, true) && overTheWindow);
        QConfirm::SetResponder({});
    }
};

QTEST_MAIN(tst_QConfirm)
#include "tst_qconfirm.moc"
