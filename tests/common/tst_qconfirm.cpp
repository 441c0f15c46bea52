#include "QConfirm.h"
#include "QLog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

enum class Box { Question, Confirm, Info, Error, Warning };
using Records = QList<QPair<QLog::QLogType, QString>>;

QAbstractButton* helpButtonOf(QMessageBox* box)
{
    for (QAbstractButton* button : box->buttons()) {
        if (box->buttonRole(button) == QMessageBox::HelpRole)
            return button;
    }
    return nullptr;
}

// "Icon: standard buttons in order, *default, +Help" of a box about to be shown.
QString describe(QMessageBox* box)
{
    const QMetaEnum names = QMetaEnum::fromType<QMessageBox::StandardButtons>();
    QStringList buttons;
    for (uint bit = QMessageBox::FirstButton; bit <= QMessageBox::LastButton; bit <<= 1) {
        if (QAbstractButton* button = box->button(QMessageBox::StandardButton(bit)))
            buttons << (button == box->defaultButton() ? "*" : "") + QString(names.valueToKey(int(bit)));
    }
    if (QAbstractButton* help = helpButtonOf(box))
        buttons << "+" + help->text();
    return QString(QMetaEnum::fromType<QMessageBox::Icon>().valueToKey(box->icon())) + ": " + buttons.join(' ');
}

// Stands in for the user: notes each box and presses a button of it.
struct FakeUser
{
    QMessageBox::StandardButton press = QMessageBox::NoButton; // NoButton: close unanswered
    bool pressHelp = false;
    QStringList seen;
    QStringList texts;
    bool commonForm = true;
    QPointer<QMessageBox> lastBox;

    FakeUser()
    {
        QConfirm::SetResponder([this](QMessageBox* box) {
            seen << describe(box);
            texts << box->text();
            commonForm = commonForm && box->windowTitle() == QStringLiteral("Tarnwickstone")
                         && box->textFormat() == Qt::RichText && box->windowModality() == Qt::WindowModal;
            lastBox = box;
            return pressHelp ? helpButtonOf(box) : box->button(press);
        });
    }
    ~FakeUser() { QConfirm::SetResponder({}); }
    Q_DISABLE_COPY(FakeUser)
};

// Questions offer Save, Discard and Cancel with Save the default, as the
// unsaved-template question does.
int call(Box box, const QString& text, bool critical, bool always, const QString& topic = QString())
{
    switch (box) {
    case Box::Question:
        return AskQuestion(text, critical, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                           QMessageBox::Save);
    case Box::Confirm:
        return AskConfirm(text, critical, always);
    case Box::Info:
        return ShowInfo(text, critical, always);
    case Box::Error:
        return ShowError(text, topic);
    case Box::Warning:
        return ShowWarning(text, topic);
    }
    return -1;
}

} // namespace

Q_DECLARE_METATYPE(Box)

class tst_QConfirm : public QObject
{
    Q_OBJECT

    std::unique_ptr<QLog> log;
    std::unique_ptr<FakeUser> user;

    Records loggedDuring(const std::function<void()>& action)
    {
        Records records;
        const auto connection = connect(log.get(), &QLog::Logged, this,
                                        [&records](QLog::QLogType t, const QString& s) { records.append({t, s}); });
        action();
        disconnect(connection);
        return records;
    }

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("Tarnwickstone"));
        QConfirm::Init();
        QVERIFY(QConfirm::Instance());
    }

    void init()
    {
        SetInteractiveLevel(QConfirm::All);
        log = std::make_unique<QLog>();
        user = std::make_unique<FakeUser>();
    }

    void cleanup()
    {
        user.reset();
        log.reset();
    }

    void levelIsStoredWithinRange()
    {
        const QList<QPair<int, int>> requestedAndStored{{0, 0}, {1, 1}, {2, 2}, {5, 2}, {-1, 2}, {INT_MAX, 2}};
        for (const auto& [requested, stored] : requestedAndStored) {
            QCOMPARE(SetInteractiveLevel(requested), stored);
            QCOMPARE(InteractionLevel(), stored);
        }
    }

    void gatingByLevel_data()
    {
        QTest::addColumn<Box>("box");
        QTest::addColumn<bool>("critical");
        QTest::addColumn<bool>("always");
        QTest::addColumn<int>("level");
        QTest::addColumn<bool>("shown");

        struct Row
        {
            Box box;
            const char* name;
            bool critical;
            bool always;
            const char* shownAtLevel; // All, Critical, None
        };
        const Row rows[] = {
            {Box::Question, "AskQuestion", false, false, "ynn"}, {Box::Question, "AskQuestion", true, false, "yyn"},
            {Box::Confirm, "AskConfirm", false, false, "ynn"},   {Box::Confirm, "AskConfirm", true, false, "yyn"},
            {Box::Confirm, "AskConfirm", false, true, "yyy"},    {Box::Confirm, "AskConfirm", true, true, "yyy"},
            {Box::Info, "ShowInfo", false, false, "ynn"},        {Box::Info, "ShowInfo", true, false, "yyn"},
            {Box::Info, "ShowInfo", false, true, "yyy"},         {Box::Info, "ShowInfo", true, true, "yyy"},
            {Box::Error, "ShowError", false, false, "yyy"},      {Box::Warning, "ShowWarning", false, false, "yyy"},
        };
        for (const Row& row : rows) {
            for (int level = 0; level < 3; ++level) {
                QTest::addRow("%s critical=%d always=%d level=%d", row.name, row.critical, row.always, level)
                    << row.box << row.critical << row.always << level << (row.shownAtLevel[level] == 'y');
            }
        }
    }

    // Shown or answered at once; logged either way where the function logs.
    void gatingByLevel()
    {
        QFETCH(Box, box);
        QFETCH(bool, critical);
        QFETCH(bool, always);
        QFETCH(int, level);
        QFETCH(bool, shown);

        SetInteractiveLevel(level);
        // The user answers against the default, so a shown box is told apart
        // from one that answered by itself.
        user->press = box == Box::Question ? QMessageBox::Discard
                    : box == Box::Confirm  ? QMessageBox::No
                                           : QMessageBox::Ok;
        int result = -1;
        const Records records = loggedDuring([&] { result = call(box, QStringLiteral("Proceed?"), critical, always); });

        QCOMPARE(user->seen.size(), shown ? 1 : 0);
        const QMap<Box, int> resultShown{{Box::Question, QMessageBox::Discard}, {Box::Confirm, 0}, {Box::Info, 1},
                                         {Box::Error, 1}, {Box::Warning, 1}};
        const QMap<Box, int> resultNotShown{{Box::Question, QMessageBox::Save}, {Box::Confirm, 1}, {Box::Info, 0}};
        QCOMPARE(result, shown ? resultShown[box] : resultNotShown[box]);

        const QMap<Box, Records> logged{{Box::Info, {{QLog::QLogType::Warning, "Proceed?"}}},
                                        {Box::Error, {{QLog::QLogType::Error, "Proceed?"}}},
                                        {Box::Warning, {{QLog::QLogType::Warning, "Proceed?"}}}};
        QCOMPARE(records, logged.value(box));
    }

    void boxForm_data()
    {
        QTest::addColumn<Box>("box");
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QString>("form");

        QTest::newRow("question") << Box::Question << "" << "Question: *Save Cancel Discard";
        QTest::newRow("confirmation") << Box::Confirm << "" << "Question: *Yes No";
        QTest::newRow("information") << Box::Info << "" << "Information: *Ok";
        QTest::newRow("error with topic") << Box::Error << "SaveFile" << "Critical: *Ok +Help";
        QTest::newRow("error without topic") << Box::Error << "" << "Critical: *Ok";
        QTest::newRow("warning with topic") << Box::Warning << "search" << "Warning: *Ok +Help";
        QTest::newRow("warning without topic") << Box::Warning << "" << "Warning: *Ok";
    }

    void boxForm()
    {
        QFETCH(Box, box);
        QFETCH(QString, topic);
        QFETCH(QString, form);

        call(box, QStringLiteral("Text"), false, false, topic);
        QCOMPARE(user->seen, QStringList{form});
        QVERIFY(user->commonForm);
        QVERIFY(!user->lastBox); // deleted once closed
    }

    void questionOffersTheGivenButtons()
    {
        const auto perBet = QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No | QMessageBox::NoToAll;
        QCOMPARE(AskQuestion("Q", true, perBet, QMessageBox::Yes), int(QMessageBox::NoButton));
        // A default that is not offered leaves the box without one, and is
        // still the answer when the question is not shown.
        AskQuestion("Q", true, QMessageBox::Ok | QMessageBox::RestoreDefaults, QMessageBox::Abort);
        QCOMPARE(user->seen, QStringList({"Question: *Yes YesToAll No NoToAll", "Question: Ok RestoreDefaults"}));

        SetInteractiveLevel(QConfirm::None);
        QCOMPARE(AskQuestion("Q", true, QMessageBox::Ok, QMessageBox::Abort), int(QMessageBox::Abort));
    }

    void helpIsRequestedAfterTheBoxCloses_data()
    {
        QTest::addColumn<Box>("box");
        QTest::addColumn<QString>("topic");
        QTest::addColumn<bool>("pressHelp");
        QTest::addColumn<QStringList>("requested");

        QTest::newRow("error, Help") << Box::Error << "SaveFile" << true << QStringList{"SaveFile"};
        QTest::newRow("error, OK") << Box::Error << "SaveFile" << false << QStringList{};
        QTest::newRow("warning, Help") << Box::Warning << "search" << true << QStringList{"search"};
        QTest::newRow("warning, OK") << Box::Warning << "search" << false << QStringList{};
        QTest::newRow("no topic") << Box::Error << "" << true << QStringList{};
    }

    void helpIsRequestedAfterTheBoxCloses()
    {
        QFETCH(Box, box);
        QFETCH(QString, topic);
        QFETCH(bool, pressHelp);
        QFETCH(QStringList, requested);

        user->press = QMessageBox::Ok;
        user->pressHelp = pressHelp;
        QStringList topics;
        bool boxWasClosed = true;
        connect(QConfirm::Instance(), &QConfirm::showHelp, this, [&](const QString& url) {
            boxWasClosed = boxWasClosed && !user->lastBox;
            topics << url;
        });
        QCOMPARE(call(box, QStringLiteral("Unable to save file: disk full"), false, false, topic), 1);
        QObject::disconnect(QConfirm::Instance(), &QConfirm::showHelp, nullptr, nullptr);

        QCOMPARE(topics, requested);
        QVERIFY(boxWasClosed);
    }

    // External text shows as typed, "\n" breaks the line, the program's own
    // markup is rendered; the log gets what the user read, as plain text.
    void richTextAndExternalText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("boxText");
        QTest::addColumn<QString>("logText");

        QTest::newRow("line breaks") << "forbidden.\n\nTry a proxy" << "forbidden.<br><br>Try a proxy"
                                     << "forbidden.\n\nTry a proxy";
        QTest::newRow("server reply") << QString("SMTP ERROR: %1").arg(EscapeForBox("<b>550</b> \"x\" & co\nend"))
                                      << "SMTP ERROR: &lt;b&gt;550&lt;/b&gt; &quot;x&quot; &amp; co<br>end"
                                      << "SMTP ERROR: <b>550</b> \"x\" & co\nend";
        QTest::newRow("own markup") << QString("ERROR placing the bet:<br><br>%1").arg(EscapeForBox("<i>"))
                                    << "ERROR placing the bet:<br><br>&lt;i&gt;" << "ERROR placing the bet:\n\n<i>";
    }

    void richTextAndExternalText()
    {
        QFETCH(QString, text);
        QFETCH(QString, boxText);
        QFETCH(QString, logText);

        const Records records = loggedDuring([&] { ShowError(text); });
        QCOMPARE(user->texts, QStringList{boxText});
        QCOMPARE(records.value(0).second, logText);
    }

    void messagesBeforeTheLogPanelAreKept()
    {
        log.reset();
        SetInteractiveLevel(QConfirm::None);
        ShowError(QStringLiteral("Unable to open file '%1'").arg(EscapeForBox("a&b.txt")), QStringLiteral("OpenFile"));
        ShowInfo(QStringLiteral("Catalogs updated"));

        log = std::make_unique<QLog>();
        QCOMPARE(log->topLevelItemCount(), 2);
        QCOMPARE(log->topLevelItem(0)->text(1), QStringLiteral("Unable to open file 'a&b.txt'"));
        QCOMPARE(log->topLevelItem(1)->text(1), QStringLiteral("Catalogs updated"));
        QCOMPARE(log->property("errors").toInt(), 1);
        QCOMPARE(log->property("warnings").toInt(), 1);
    }

    // The box's nested event loop keeps delivering events: the window under
    // it may close meanwhile, which counts as closing the box unanswered.
    void windowClosedUnderAnOpenBox()
    {
        for (Box box : {Box::Question, Box::Confirm, Box::Error}) {
            auto* window = new QWidget;
            window->show();
            QApplication::setActiveWindow(window);
            QVERIFY(QTest::qWaitForWindowActive(window));

            bool overTheWindow = false;
            QConfirm::SetResponder([&](QMessageBox* shown) {
                overTheWindow = shown->parentWidget() == window;
                QAbstractButton* help = helpButtonOf(shown);
                delete window;
                return help;
            });
            QSignalSpy help(QConfirm::Instance(), &QConfirm::showHelp);
            QCOMPARE(call(box, "Sure?", true, true, "SaveFile"), box == Box::Error ? 1 : 0);
            QVERIFY(overTheWindow);
            QCOMPARE(help.count(), 0);
        }
    }

    // The modal loop itself, as the program runs it.
    void modalBoxReturnsTheClickedButton()
    {
        user.reset();
        const auto clickLater = [this](const QString& text) {
            QTimer::singleShot(0, this, [text] {
                for (QWidget* widget : QApplication::topLevelWidgets()) {
                    if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
                        for (QAbstractButton* button : box->buttons()) {
                            if (button->text().remove('&') == text)
                                button->click();
                        }
                    }
                }
            });
        };
        QSignalSpy help(QConfirm::Instance(), &QConfirm::showHelp);
        clickLater("No");
        QCOMPARE(AskConfirm("Sure?", true, true), false);
        clickLater("Cancel");
        QCOMPARE(call(Box::Question, "Save?", true, false), int(QMessageBox::Cancel));
        clickLater("Help");
        QCOMPARE(ShowError("Failed", "BET"), true);
        QCOMPARE(help.count(), 1);
    }
};

QTEST_MAIN(tst_QConfirm)
#include "tst_qconfirm.moc"
