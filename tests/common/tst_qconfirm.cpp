#include "QConfirm.h"
#include "QLog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

enum class Box { Question, Confirm, Info, Error, Warning };

static QAbstractButton* helpButtonOf(QMessageBox* box)
{
    for (QAbstractButton* button : box->buttons())
        if (box->buttonRole(button) == QMessageBox::HelpRole)
            return button;
    return nullptr;
}

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

    std::unique_ptr<QLog> log;
    QStringList seen, logged, topics; // a topic asked for while its box is open is marked
    QPointer<QMessageBox> lastBox;
    QMessageBox::StandardButton press = QMessageBox::Ok;

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName("Tarnwickstone");
        QConfirm::Init();
        connect(QConfirm::Instance(), &QConfirm::showHelp, this,
            [this](const QString& topic) { topics << topic + (lastBox ? " (box open)" : ""); });
    }

    // The user notes each box ("Icon *Default +Help: text") and presses `press`, or Help for NoButton.
    void init()
    {
        SetInteractiveLevel(QConfirm::All);
        log.reset(); // the panel it replaces would stay the program log
        log = std::make_unique<QLog>();
        connect(log.get(), &QLog::Logged, this, [this](QLog::QLogType type, const QString& text) {
            logged << QString::number(int(type)) + " " + text;
        });
        seen.clear(), logged.clear(), topics.clear();
        QConfirm::SetResponder([this](QMessageBox* box) {
            const QMetaEnum icon = QMetaEnum::fromType<QMessageBox::Icon>();
            const QMetaEnum button = QMetaEnum::fromType<QMessageBox::StandardButtons>();
            const char* defaultButton = button.valueToKey(box->standardButton(box->defaultButton()));
            const char* format = box->textFormat() == Qt::RichText ? "" : "(plain) ";
            seen << QString("%1 *%2%3: %4%5").arg(icon.valueToKey(box->icon()), defaultButton,
                helpButtonOf(box) ? " +Help" : "", format, box->text());
            lastBox = box;
            return press ? box->button(press) : helpButtonOf(box);
        });
    }

    // Shown or answered at once; the messages are logged either way. The user answers against the default,
    // so a shown box tells from one not shown.
    void gatingByLevel()
    {
        const struct { Box box; bool critical, always; const char* shownAtLevel; } rows[] = {
            { Box::Question, 0, 0, "ynn" }, { Box::Question, 1, 0, "yyn" }, { Box::Confirm, 0, 0, "ynn" },
            { Box::Confirm, 1, 0, "yyn" }, { Box::Confirm, 0, 1, "yyy" }, { Box::Confirm, 1, 1, "yyy" },
            { Box::Info, 0, 0, "ynn" }, { Box::Info, 1, 0, "yyn" }, { Box::Info, 0, 1, "yyy" },
            { Box::Info, 1, 1, "yyy" }, { Box::Error, 0, 0, "yyy" }, { Box::Warning, 0, 0, "yyy" } };
        const int answered[] = { QMessageBox::Discard, 0, 1, 1, 1 }, unasked[] = { QMessageBox::Save, 1, 0 };
        const QStringList logs[] = { {}, {}, { "1 Proceed?" }, { "2 Proceed?" }, { "1 Proceed?" } };
        for (const auto& row : rows) {
            for (int level = 0; level < 3; ++level) {
                const bool shown = row.shownAtLevel[level] == 'y';
                const int box = int(row.box);
                QCOMPARE(SetInteractiveLevel(level), level);
                seen.clear(), logged.clear();
                press = box == 0 ? QMessageBox::Discard : box == 1 ? QMessageBox::No : QMessageBox::Ok;
                const int result = call(row.box, "Proceed?", row.critical, row.always);
                QCOMPARE(seen.size(), int(shown));
                QCOMPARE(result, shown ? answered[box] : unasked[box]);
                QCOMPARE(logged, logs[box]);
            }
        }
        for (const int outOfRange : { 5, -1 })
            QCOMPARE(SetInteractiveLevel(outOfRange) * 10 + InteractionLevel(), 22);
    }

    // Help is asked for once, after the box is gone, only when there is a topic. Outside text shows as
    // typed, "\n" breaks the line, the program's own markup is rendered; the log gets what the user read, as
    // plain text.
    void boxFormHelpAndText()
    {
        press = QMessageBox::NoButton;
        call(Box::Question, "Save?", false, false);
        AskConfirm("Sure?");
        ShowInfo("Saved");
        ShowError("Failed.\n\nTry a proxy", "SaveFile");
        ShowWarning(QString("SMTP ERROR: %1<br>").arg(EscapeForBox("<b>550</b> \"x\" & co\nend")), "mail");
        ShowError("No topic");
        QCOMPARE(seen, QStringList({ "Question *Save: Save?", "Question *Yes: Sure?",
            "Information *Ok: Saved", "Critical *Ok +Help: Failed.<br><br>Try a proxy",
            "Warning *Ok +Help: SMTP ERROR: &lt;b&gt;550&lt;/b&gt; &quot;x&quot; &amp; co<br>end<br>",
            "Critical *Ok: No topic" }));
        QCOMPARE(topics, QStringList({ "SaveFile", "mail" }));
        QCOMPARE(logged.mid(1, 2),
            QStringList({ "2 Failed.\n\nTry a proxy", "1 SMTP ERROR: <b>550</b> \"x\" & co\nend\n" }));
    }

    // The box's nested loop keeps delivering events: the window under it may close meanwhile, which counts
    // as closing the box unanswered.
    void windowClosedUnderAnOpenBox()
    {
        for (Box box : { Box::Question, Box::Confirm, Box::Error }) {
            auto* window = new QWidget;
            window->show();
            QApplication::setActiveWindow(window);
            QVERIFY(QTest::qWaitForWindowActive(window));
            bool overTheWindow = false;
            QConfirm::SetResponder([&overTheWindow, window](QMessageBox* shown) {
                overTheWindow = shown->parentWidget() == window && shown->windowModality() == Qt::WindowModal;
                QAbstractButton* help = helpButtonOf(shown);
                delete window;
                return help;
            });
            QCOMPARE(call(box, "Sure?", true, true, "SaveFile"), box == Box::Error ? 1 : 0);
            QVERIFY(overTheWindow && topics.isEmpty());
        }
    }
};

QTEST_MAIN(tst_QConfirm)
#include "tst_qconfirm.moc"
