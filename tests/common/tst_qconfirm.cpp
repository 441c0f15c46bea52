#include "FakeUser.h"
#include "QLog.h"

#include <QApplication>
#include <QtTest>

enum class Box { Question, Confirm, Info, Error, Warning };

// Questions offer Save, Discard and Cancel, Save the default, as the unsaved-template one does.
static int call(Box box, const QString& text, bool critical, bool always, const QString& topic = QString())
{
    const auto buttons = QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel;
    return box == Box::Question ? AskQuestion(text, critical, buttons, QMessageBox::Save)
        : box == Box::Confirm   ? AskConfirm(text, critical, always)
        : box == Box::Info      ? ShowInfo(text, critical, always)
        : box == Box::Error     ? ShowError(text, topic)
                                : ShowWarning(text, topic);
}

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

    // Shown or answered at once; the messages are logged either way. The user closes a question without an
    // answer, so a shown box tells from one not shown.
    void gatingByLevel()
    {
        const struct { Box box; bool critical, always; const char* shownAtLevel; } rows[] = {
            { Box::Question, 1, 0, "yyn" }, { Box::Confirm, 0, 0, "ynn" }, { Box::Confirm, 1, 0, "yyn" },
            { Box::Confirm, 0, 1, "yyy" }, { Box::Info, 1, 0, "yyn" }, { Box::Info, 0, 1, "yyy" },
            { Box::Error, 0, 0, "yyy" }, { Box::Warning, 0, 0, "yyy" } };
        const int answered[] = { QMessageBox::NoButton, 0, 1, 1, 1 }, unasked[] = { QMessageBox::Save, 1, 0 };
        const QStringList logs[] = { {}, {}, { "1 Proceed?" }, { "2 Proceed?" }, { "1 Proceed?" } };
        for (const auto& row : rows) {
            for (int level = 0; level < 3; ++level) {
                const bool shown = row.shownAtLevel[level] == 'y';
                const int box = int(row.box);
                FakeUser user;
                SetInteractiveLevel(level);
                logged.clear();
                const int result = call(row.box, "Proceed?", row.critical, row.always);
                QCOMPARE(result, shown ? answered[box] : unasked[box]);
                QCOMPARE(user.boxes.size(), int(shown));
                QCOMPARE(logged, logs[box]);
            }
        }
        QCOMPARE(SetInteractiveLevel(5) * 10 + SetInteractiveLevel(-1), 22);
        SetInteractiveLevel(QConfirm::All);
    }

    // Help is asked for once, after the box is gone, only when there is a topic. Outside text shows as
    // typed, "\n" breaks the line, the program's own markup is rendered; the log gets what the user read, as
    // plain text.
    void helpAndText()
    {
        FakeUser user;
        ShowError("Failed.\n\nTry a proxy", "SaveFile");
        ShowWarning(QString("SMTP ERROR: %1<br>").arg(EscapeForBox("<b>550</b> \"x\" & co\nend")), "mail");
        ShowError("No topic");
        QCOMPARE(user.boxes, QStringList({ "Critical: Failed.<br><br>Try a proxy",
            "Warning: SMTP ERROR: &lt;b&gt;550&lt;/b&gt; &quot;x&quot; &amp; co<br>end<br>",
            "Critical: No topic" }));
        QCOMPARE(user.topics + QString::number(helpWithABoxOpen), "SaveFile,mail0");
        QCOMPARE(logged.mid(0, 2),
            QStringList({ "2 Failed.\n\nTry a proxy", "1 SMTP ERROR: <b>550</b> \"x\" & co\nend\n" }));
    }

    // The box's nested loop keeps delivering events: the window under it may close meanwhile, which counts
    // as closing the box unanswered.
    void windowClosedUnderAnOpenBox()
    {
        for (Box box : { Box::Question, Box::Confirm, Box::Error }) {
            FakeUser user;
            auto* window = new QWidget;
            window->show();
            QApplication::setActiveWindow(window);
            QVERIFY(QTest::qWaitForWindowActive(window));
            bool overTheWindow = false;
            QConfirm::SetResponder([&overTheWindow, window](QMessageBox* shown) {
                overTheWindow = shown->parentWidget() == window && shown->windowModality() == Qt::WindowModal;
                QAbstractButton* any = shown->buttons().value(0);
                delete window;
                return any;
            });
            QCOMPARE(call(box, "Sure?", true, true, "SaveFile"), box == Box::Error ? 1 : 0);
            QVERIFY(overTheWindow && user.topics.isEmpty());
        }
    }
};

QTEST_MAIN(tst_QConfirm)
#include "tst_qconfirm.moc"
