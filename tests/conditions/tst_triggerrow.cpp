#include "ConditionIds.h"
#include "FilterBuilder.h"
#include "MetadataLabels.h"
#include "QCatalog.h"
#include "QListEditor.h"
#include "QPriceEdit.h"
#include "QPriceValidator.h"
#include "QSportsCatalog.h"
#include "TriggerRow.h"

#include "conditions/FilterReaders.h"
#include "conditions/RowSetup.h"

#include <QComboBox>
#include <QPushButton>
#include <QtTest>

using FilterReaders::Json;
using RowSetup::code;
using RowSetup::load;
using RowSetup::Parts;
using RowSetup::select;

namespace {

// Stands for every code of the sports catalog, which exists only once the
// test has started.
const QString everySport = QStringLiteral("<every sport>");

const QStringList editorNames = { "ValueText", "Value1", "Value2", "Values", "ListEditor" };

QStringList codes(const QComboBox* combo)
{
    QStringList all;
    for (int i = 0; i < combo->count(); ++i)
        all << combo->itemData(i).value<MyList>().code;
    return all;
}

QStringList shownEditors(TriggerRow& row)
{
    QStringList shown;
    for (const QString& name : editorNames) {
        if (row.findChild<QWidget*>(name)->isVisibleTo(&row))
            shown << name;
    }
    return shown;
}

QString validatorOf(const QPriceEdit* edit)
{
    return edit->validator() ? QString::fromLatin1(edit->validator()->metaObject()->className()) : QString();
}

// The list editor borrows its validator; the newest child is the current one.
QString listValidatorOf(const QListEditor* list)
{
    const auto validators = list->findChildren<QValidator*>(QString(), Qt::FindDirectChildrenOnly);
    return validators.isEmpty() ? QString()
                                : QString::fromLatin1(validators.last()->metaObject()->className());
}

QCatalog* catalogNamed(const QString& name)
{
    if (name == "countries")
        return QCatalog::countries;
    if (name == "sports")
        return QCatalog::sports;
    if (name == "marketTypes")
        return QCatalog::marketTypes;
    if (name == "sexTypes")
        return QCatalog::sexTypes;
    return nullptr;
}

bool marked(const QWidget* widget)
{
    return widget->property("isError").toBool();
}

} // namespace

class tst_TriggerRow : public QObject
{
    Q_OBJECT

    QTemporaryDir folder;
    HttpTestServer server;
    LocalExchange exchange { server };

private slots:
    void initTestCase()
    {
        QVERIFY(folder.isValid());
        QCatalog::Init(folder.path()); // the built-in catalogs
        QPriceValidator::InitPriceLadder();
        MetadataLabels::Init();
    }

    void startState()
    {
        TriggerRow row;
        Parts parts(row);
        QCOMPARE(row.objectName(), QStringLiteral("TriggerRow"));
        QCOMPARE(codes(parts.objects),
            QStringList({ "Event", "Market", "Any", "All", "Fav", "Home", "Away", "Draw" }));
        QCOMPARE(code(parts.objects), QStringLiteral("Event"));
        QCOMPARE(code(parts.properties), QStringLiteral("Sport"));
        QCOMPARE(codes(parts.comparisons), QStringList({ "InList", "NotInList" }));
        QCOMPARE(code(parts.comparisons), QStringLiteral("InList"));
        QVERIFY(!parts.parameters->isVisibleTo(&row));
        QCOMPARE(parts.parameters->count(), 0);
        QCOMPARE(shownEditors(row), QStringList({ "ListEditor" }));
        QCOMPARE(parts.list->Codes(true), QCatalog::sports->Codes({}, true));
        QVERIFY(!row.IsValid()); // nothing chosen yet
        QVERIFY(parts.remove->isEnabled());
        row.SetDeleteEnabled(false);
        QVERIFY(!parts.remove->isEnabled());
    }

    void editors_data()
    {
        QTest::addColumn<QString>("object");
        QTest::addColumn<QString>("property");
        QTest::addColumn<QString>("parameter");
        QTest::addColumn<QString>("comparison");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("validator");
        QTest::addColumn<bool>("paired");
        QTest::addColumn<QString>("catalog");
        const QStringList text { "ValueText" };
        const QStringList one { "Value1" };
        const QStringList range { "Value1", "Value2" };
        const QStringList list { "ListEditor" };
        const QStringList none;
        const QString regExp = "QRegExpValidator";
        const QString number = "QNumberValidator";
        const QString whole = "QWholeNumberValidator";
        const QString price = "QPriceValidator";
        // clang-format off
        QTest::newRow("event sport") << "Event" << "Sport" << "" << "NotInList" << list << "" << false << "sports";
        QTest::newRow("event country") << "Event" << "Country" << "" << "InList" << list << "" << false << "countries";
        QTest::newRow("event name") << "Event" << "Name" << "" << "Cont" << text << regExp << false << "";
        QTest::newRow("event name list") << "Event" << "Name" << "" << "InList" << list << regExp << false << "";
        QTest::newRow("minutes to start") << "Event" << "MinToStart" << "" << "EQ" << one << number << false << "";
        QTest::newRow("minutes since start range") << "Event" << "MinSinceOff" << "" << "Btw" << range << number << true << "";
        QTest::newRow("match minute list") << "Event" << "Minute" << "" << "InList" << list << number << false << "";
        QTest::newRow("home score outside") << "Event" << "HomeScore" << "" << "Ots" << range << number << true << "";
        QTest::newRow("scores equal") << "Event" << "DrawScore" << "" << "EQ" << none << "" << false << "";
        QTest::newRow("home ahead by") << "Event" << "DrawScore" << "" << "GR" << text << whole << false << "";
        QTest::newRow("market type") << "Market" << "Type" << "" << "InList" << list << "" << false << "marketTypes";
        QTest::newRow("market status") << "Market" << "Status" << "" << "InPlay" << none << "" << false << "";
        QTest::newRow("selections") << "Market" << "NumSel" << "" << "EQ" << one << whole << false << "";
        QTest::newRow("places range") << "Market" << "NumPls" << "" << "Btw" << range << whole << true << "";
        QTest::newRow("withdrawns list") << "Market" << "NumWith" << "" << "NotInList" << list << whole << false << "";
        QTest::newRow("volume") << "Market" << "Volume" << "" << "GE" << one << number << false << "";
        QTest::newRow("favourite back range") << "Fav" << "Back" << "" << "Btw" << range << price << true << "";
        QTest::newRow("favourite back list") << "Fav" << "Back" << "" << "InList" << list << price << false << "";
        QTest::newRow("any lay") << "Any" << "Lay" << "" << "EQ" << one << price << false << "";
        QTest::newRow("every actual SP outside") << "All" << "ActualSP" << "" << "Ots" << range << price << true << "";
        QTest::newRow("draw volume % outside") << "Draw" << "Volume" << "" << "Ots" << range << number << true << "";
        QTest::newRow("any name") << "Any" << "Name" << "" << "EQ" << text << regExp << false << "";
        QTest::newRow("every name not in list") << "All" << "Name" << "" << "NotInList" << list << regExp << false << "";
        QTest::newRow("selection has bets") << "Any" << "HasBets" << "" << "None" << none << "" << false << "";
        QTest::newRow("trainer") << "Any" << "Silks" << "TRAINER_NAME" << "Cont" << text << regExp << false << "";
        QTest::newRow("owners") << "Fav" << "Silks" << "OWNER_NAME" << "InList" << list << regExp << false << "";
        QTest::newRow("sex type") << "All" << "Silks" << "SEX_TYPE" << "InList" << list << "" << false << "sexTypes";
        QTest::newRow("form") << "Any" << "Silks" << "FORM" << "NSQ" << text << "QPatternValidator" << false << "";
        QTest::newRow("age range") << "Any" << "Silks" << "AGE" << "Btw" << range << number << true << "";
        QTest::newRow("stall list") << "Fav" << "Silks" << "STALL_DRAW" << "InList" << list << number << false << "";
        // clang-format on
    }

    void editors()
    {
        QFETCH(QString, object);
        QFETCH(QString, property);
        QFETCH(QString, parameter);
        QFETCH(QString, comparison);
        QFETCH(QStringList, shown);
        QFETCH(QString, validator);
        QFETCH(bool, paired);
        QFETCH(QString, catalog);

        TriggerRow row;
        Parts parts(row);
        QVERIFY(load(row, object, property, parameter, comparison));
        QCOMPARE(shownEditors(row), shown);
        QCOMPARE(parts.parameters->isVisibleTo(&row), !parameter.isEmpty());
        for (const QPriceEdit* edit : { parts.text, parts.value1, parts.value2 }) {
            if (shown.contains(edit->objectName()))
                QCOMPARE(validatorOf(edit), validator);
        }
        if (shown.contains("ListEditor") && catalog.isEmpty())
            QCOMPARE(listValidatorOf(parts.list), validator);
        // With no items chosen, the excluded codes are the whole catalog.
        if (shown.contains("ListEditor")) {
            const QCatalog* expectedCatalog = catalogNamed(catalog);
            QCOMPARE(
                parts.list->Codes(true), expectedCatalog ? expectedCatalog->Codes({}, true) : QStringList());
        }
        if (paired) {
            QCOMPARE(parts.value1->Pair(), parts.value2);
            QCOMPARE(parts.value2->Pair(), parts.value1);
        } else {
            QCOMPARE(parts.value1->Pair(), nullptr);
            QCOMPARE(parts.value2->Pair(), nullptr);
        }
    }

    // Lists are kept where they mean the same, dropped where they do not.
    void listItemsAcrossComparisons()
    {
        TriggerRow row;
        Parts parts(row);
        QVERIFY(load(row, "Event", "Sport", "", "InList", {}, { "1" }));
        QVERIFY(select(parts.properties, "Country")); // another catalog
        QCOMPARE(parts.list->Items(), QStringList());

        QVERIFY(load(row, "Fav", "Back", "", "InList", {}, { "2.5", "3" }));
        QVERIFY(select(parts.comparisons, "NotInList"));
        QVERIFY(select(parts.properties, "Volume"));
        QCOMPARE(parts.list->Items(), QStringList({ "2.5", "3" })); // free list to free list
        QVERIFY(row.IsValid());
    }

    void cascade()
    {
        TriggerRow row;
        Parts parts(row);

        // Selections with metadata share one property list and keep the choice.
        QVERIFY(load(row, "Any", "Lay", "", "Btw"));
        QSignalSpy propertyMoves(parts.properties, QOverload<int>::of(&QComboBox::currentIndexChanged));
        QVERIFY(select(parts.objects, "All"));
        QVERIFY(select(parts.objects, "Fav"));
        QCOMPARE(propertyMoves.count(), 0);
        QCOMPARE(code(parts.properties), QStringLiteral("Lay"));
        QCOMPARE(code(parts.comparisons), QStringLiteral("Btw"));

        // Home has a list of its own: refilled, first property chosen.
        QVERIFY(select(parts.objects, "Home"));
        QCOMPARE(
            codes(parts.properties), QStringList({ "Back", "Lay", "Last", "Volume", "Name", "HasBets" }));
        QCOMPARE(code(parts.properties), QStringLiteral("Back"));
        QCOMPARE(parts.comparisons->count(), 10);
        QVERIFY(select(parts.properties, "Lay"));
        propertyMoves.clear();
        QVERIFY(select(parts.objects, "Away"));
        QCOMPARE(propertyMoves.count(), 0);

        // Same property, another comparison set: refilled from its first item.
        QVERIFY(load(row, "Any", "Name", "", "Starts"));
        QCOMPARE(parts.comparisons->count(), 6);
        QVERIFY(select(parts.objects, "All"));
        QCOMPARE(code(parts.properties), QStringLiteral("Name"));
        QCOMPARE(parts.comparisons->count(), 8);
        QCOMPARE(code(parts.comparisons), QStringLiteral("EQ"));

        // Four items starting with "EQ" each, yet different lists.
        QVERIFY(load(row, "Event", "MinToStart", "", "Btw"));
        QVERIFY(select(parts.properties, "DrawScore"));
        QCOMPARE(codes(parts.comparisons), QStringList({ "EQ", "GR", "LS", "NE" }));
        QCOMPARE(parts.comparisons->currentText(), QStringLiteral("Are equal"));
        QVERIFY(select(parts.properties, "MinToStart"));
        QCOMPARE(codes(parts.comparisons), QStringList({ "EQ", "GR", "LS", "Btw" }));
        QCOMPARE(parts.comparisons->currentText(), QStringLiteral("Is equal to"));

        // The parameter combo comes and goes with "Silks" and keeps its choice.
        QVERIFY(load(row, "Any", "Back", "", "EQ"));
        QVERIFY(select(parts.properties, "Silks"));
        QVERIFY(parts.parameters->isVisibleTo(&row));
        QCOMPARE(parts.parameters->count(), 22);
        QCOMPARE(code(parts.parameters), QStringLiteral("TRAINER_NAME"));
        QVERIFY(select(parts.parameters, "AGE"));
        QVERIFY(select(parts.comparisons, "GR"));
        QVERIFY(select(parts.properties, "Back"));
        QVERIFY(!parts.parameters->isVisibleTo(&row));
        QVERIFY(select(parts.properties, "Silks"));
        QCOMPARE(code(parts.parameters), QStringLiteral("AGE"));

        // Between numeric parameters the comparison stays; FORM has its own set.
        QVERIFY(select(parts.comparisons, "GR"));
        QVERIFY(select(parts.parameters, "STALL_DRAW"));
        QCOMPARE(code(parts.comparisons), QStringLiteral("GR"));
        QVERIFY(select(parts.parameters, "FORM"));
        QCOMPARE(codes(parts.comparisons), QStringList({ "SQ", "NSQ" }));
        QCOMPARE(code(parts.comparisons), QStringLiteral("SQ"));
    }

    // Every change of a combo's current item is one Changed(), and a refill
    // of a combo that held items is two.
    void changedCounts_data()
    {
        QTest::addColumn<QStringList>("from"); // object, property, parameter, comparison
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("combo");
        QTest::addColumn<QString>("to");
        QTest::addColumn<int>("changes");
        // clang-format off
        QTest::newRow("comparison") << QStringList{"Fav", "Back", "", "EQ"} << QStringList{}
            << "CondList" << "Btw" << 1;
        QTest::newRow("property, comparisons kept") << QStringList{"Fav", "Back", "", "Btw"} << QStringList{}
            << "PropList" << "Lay" << 1;
        QTest::newRow("object, properties kept") << QStringList{"Any", "Lay", "", "EQ"} << QStringList{}
            << "ObjList" << "All" << 1;
        QTest::newRow("property, comparisons refilled") << QStringList{"Any", "Back", "", "EQ"} << QStringList{}
            << "PropList" << "Name" << 3;
        QTest::newRow("object, properties refilled") << QStringList{"Any", "Back", "", "EQ"} << QStringList{}
            << "ObjList" << "Home" << 3;
        QTest::newRow("object, both refilled") << QStringList{"Event", "Sport", "", "InList"} << QStringList{}
            << "ObjList" << "Market" << 7;
        QTest::newRow("silks for the first time") << QStringList{"Any", "Back", "", "EQ"} << QStringList{}
            << "PropList" << "Silks" << 4;
        QTest::newRow("parameter, comparisons refilled") << QStringList{"Any", "Silks", "AGE", "EQ"} << QStringList{}
            << "ParamsList" << "FORM" << 3;
        QTest::newRow("another catalog clears the list") << QStringList{"Event", "Sport", "", "InList"}
            << QStringList{"1"} << "PropList" << "Country" << 2;
        QTest::newRow("same catalog keeps the list") << QStringList{"Event", "Sport", "", "InList"}
            << QStringList{"1"} << "CondList" << "NotInList" << 1;
        // clang-format on
    }

    void changedCounts()
    {
        QFETCH(QStringList, from);
        QFETCH(QStringList, items);
        QFETCH(QString, combo);
        QFETCH(QString, to);
        QFETCH(int, changes);
        TriggerRow row;
        QVERIFY(load(row, from.at(0), from.at(1), from.at(2), from.at(3), {}, items));
        QSignalSpy changed(&row, &TriggerRow::Changed);
        QVERIFY(select(row.findChild<QComboBox*>(combo), to));
        QCOMPARE(changed.count(), changes);
    }

    // Changed() comes before the stage it announces runs.
    void changedBeforeTheStage()
    {
        TriggerRow row;
        Parts parts(row);
        QVERIFY(load(row, "Fav", "Back", "", "EQ"));
        QList<bool> upperShownAtChange;
        connect(
            &row, &TriggerRow::Changed, this, [&] { upperShownAtChange << parts.value2->isVisibleTo(&row); });
        QVERIFY(select(parts.comparisons, "Btw"));
        QCOMPARE(upperShownAtChange, QList<bool>({ false }));
        QVERIFY(parts.value2->isVisibleTo(&row));
    }

    void changedByEdits()
    {
        auto* row = new TriggerRow;
        Parts parts(*row);
        QVERIFY(load(*row, "Fav", "Back", "", "EQ"));
        QSignalSpy changed(row, &TriggerRow::Changed);
        QTest::keyClicks(parts.value1, "1.5");
        QCOMPARE(changed.count(), 3);
        // Stepping on the ladder is the program's edit, not the user's.
        QTest::keyClick(parts.value1, Qt::Key_Up);
        QCOMPARE(parts.value1->text(), QStringLiteral("1.51"));
        parts.value1->setText("2");
        QCOMPARE(changed.count(), 3);

        QPointer<TriggerRow> alive(row);
        QTest::mouseClick(parts.remove, Qt::LeftButton);
        QCOMPARE(changed.count(), 4);
        QVERIFY(alive); // deleted on the next turn of the event loop
        QTRY_VERIFY_WITH_TIMEOUT(!alive, 10000);
    }

    void validity_data()
    {
        QTest::addColumn<QStringList>("choice"); // object, property, parameter, comparison
        QTest::addColumn<QStringList>("texts"); // ValueText, Value1, Value2
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<bool>("valid");
        const QStringList noItems;
        const QStringList allSports { everySport };
        // clang-format off
        QTest::newRow("price range") << QStringList{"Fav", "Back", "", "Btw"} << QStringList{"", "3", "5"} << noItems << true;
        QTest::newRow("price range reversed") << QStringList{"Fav", "Back", "", "Btw"} << QStringList{"", "5", "3"} << noItems << false;
        QTest::newRow("price off the ladder") << QStringList{"Fav", "Back", "", "Btw"} << QStringList{"", "3", "5.05"} << noItems << false;
        QTest::newRow("scores equal, no value") << QStringList{"Event", "DrawScore", "", "EQ"} << QStringList{} << noItems << true;
        QTest::newRow("ahead by nothing") << QStringList{"Event", "DrawScore", "", "GR"} << QStringList{"", "", ""} << noItems << false;
        QTest::newRow("ahead by 2") << QStringList{"Event", "DrawScore", "", "GR"} << QStringList{"2"} << noItems << true;
        QTest::newRow("ahead by 3.7") << QStringList{"Event", "DrawScore", "", "LS"} << QStringList{"3.7"} << noItems << false;
        QTest::newRow("ahead by two") << QStringList{"Event", "DrawScore", "", "GR"} << QStringList{"two"} << noItems << false;
        QTest::newRow("market status") << QStringList{"Market", "Status", "", "InPlay"} << QStringList{"", "x", "y"} << noItems << true;
        QTest::newRow("market has bets") << QStringList{"Market", "HasBets", "", "None"} << QStringList{} << noItems << true;
        QTest::newRow("form pattern") << QStringList{"Any", "Silks", "FORM", "SQ"} << QStringList{"1.2"} << noItems << true;
        QTest::newRow("form pattern empty") << QStringList{"Any", "Silks", "FORM", "NSQ"} << QStringList{""} << noItems << false;
        QTest::newRow("form pattern malformed") << QStringList{"Any", "Silks", "FORM", "SQ"} << QStringList{"1("} << noItems << false;
        QTest::newRow("event name empty") << QStringList{"Event", "Name", "", "Cont"} << QStringList{""} << noItems << false;
        QTest::newRow("selections empty") << QStringList{"Market", "NumSel", "", "EQ"} << QStringList{"", ""} << noItems << false;
        QTest::newRow("selections 3") << QStringList{"Market", "NumSel", "", "GR"} << QStringList{"", "3"} << noItems << true;
        QTest::newRow("selections 3.7") << QStringList{"Market", "NumSel", "", "GR"} << QStringList{"", "3.7"} << noItems << false;
        QTest::newRow("places 1,000") << QStringList{"Market", "NumPls", "", "LE"} << QStringList{"", "1,000"} << noItems << false;
        QTest::newRow("withdrawns 1 to 2.5") << QStringList{"Market", "NumWith", "", "Btw"} << QStringList{"", "1", "2.5"} << noItems << false;
        QTest::newRow("volume 1,000") << QStringList{"Market", "Volume", "", "GE"} << QStringList{"", "1,000"} << noItems << false;
        QTest::newRow("volume 100000") << QStringList{"Market", "Volume", "", "GE"} << QStringList{"", "100000"} << noItems << true;
        QTest::newRow("places 1 and 2.5 in list") << QStringList{"Market", "NumPls", "", "InList"} << QStringList{} << QStringList{"1", "2.5"} << false;
        QTest::newRow("places 1 and 2 in list") << QStringList{"Market", "NumPls", "", "InList"} << QStringList{} << QStringList{"1", "2"} << true;
        QTest::newRow("empty free list") << QStringList{"Any", "Name", "", "InList"} << QStringList{} << noItems << false;
        QTest::newRow("empty sports list") << QStringList{"Event", "Sport", "", "InList"} << QStringList{} << noItems << false;
        QTest::newRow("one sport") << QStringList{"Event", "Sport", "", "InList"} << QStringList{} << QStringList{"1"} << true;
        QTest::newRow("one sport excluded") << QStringList{"Event", "Sport", "", "NotInList"} << QStringList{} << QStringList{"1"} << true;
        QTest::newRow("every sport excluded") << QStringList{"Event", "Sport", "", "NotInList"} << QStringList{} << allSports << false;
        QTest::newRow("every sex excluded") << QStringList{"Any", "Silks", "SEX_TYPE", "NotInList"} << QStringList{}
            << QStringList{"g", "f", "c"} << true;
        // clang-format on
    }

    void validity()
    {
        QFETCH(QStringList, choice);
        QFETCH(QStringList, texts);
        QFETCH(QStringList, items);
        QFETCH(bool, valid);
        if (items == QStringList { everySport })
            items = QCatalog::sports->Codes({}, true);
        QWidget window;
        TriggerRow row;
        QVERIFY(load(row, choice.at(0), choice.at(1), choice.at(2), choice.at(3), texts, items));
        QCOMPARE(row.IsValid(), valid);
        // A hidden row, and one on a window that is not on screen, judge the same.
        row.setParent(&window);
        QCOMPARE(row.IsValid(), valid);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(row.IsValid(), valid);
        window.hide();
        QCOMPARE(row.IsValid(), valid);
    }

    void reversedRangeMarksTheLowerEdit()
    {
        TriggerRow row;
        Parts parts(row);
        QVERIFY(load(row, "Fav", "Back", "", "Btw", { "", "5", "3" }));
        QVERIFY(marked(parts.value1));
        QVERIFY(!marked(parts.value2));
        // Leaving the range unpairs the edits: the hidden upper edit no
        // longer judges the lower one.
        QVERIFY(select(parts.comparisons, "GR"));
        QVERIFY(!marked(parts.value1));
        parts.value2->setText("1.5");
        QVERIFY(!marked(parts.value1));
        QVERIFY(row.IsValid());
    }

    // A combo without a current item (a stored code the list does not hold)
    // leaves the condition unsaid, so the row cannot be searched.
    void missingChoice_data()
    {
        QTest::addColumn<QStringList>("choice");
        QTest::addColumn<QString>("combo");
        QTest::addColumn<bool>("valid");
        // clang-format off
        QTest::newRow("object") << QStringList{"Market", "Status", "", "InPlay"} << "ObjList" << false;
        QTest::newRow("property") << QStringList{"Market", "Status", "", "InPlay"} << "PropList" << false;
        QTest::newRow("comparison") << QStringList{"Market", "Status", "", "InPlay"} << "CondList" << false;
        QTest::newRow("shown parameter") << QStringList{"Any", "Silks", "FORM", "SQ"} << "ParamsList" << false;
        QTest::newRow("hidden parameter") << QStringList{"Market", "Status", "", "InPlay"} << "ParamsList" << true;
        // clang-format on
    }

    void missingChoice()
    {
        QFETCH(QStringList, choice);
        QFETCH(QString, combo);
        QFETCH(bool, valid);
        TriggerRow row;
        Parts parts(row);
        // Values that whatever the row falls back to would accept.
        const QStringList texts { "1.2", "5" };
        QVERIFY(load(row, choice.at(0), choice.at(1), choice.at(2), choice.at(3), texts));
        select(parts.properties, "Silks");
        select(parts.parameters, "AGE"); // gives the hidden combo a choice to lose
        QVERIFY(load(row, choice.at(0), choice.at(1), choice.at(2), choice.at(3), texts));
        QVERIFY(row.IsValid());
        QVERIFY(!select(row.findChild<QComboBox*>(combo), "NoSuchCode"));
        QCOMPARE(row.HasEveryChoice(), valid);
        QCOMPARE(row.IsValid(), valid);
    }

    void findItem()
    {
        QComboBox combo;
        for (const auto& [id, text] : { std::pair(1, "A"), std::pair(2, "B"), std::pair(3, "A") }) {
            MyList item;
            item.id = id;
            item.code = QLatin1String(text);
            combo.addItem(item.code, QVariant::fromValue(item));
        }
        QCOMPARE(TriggerRow::FindItem(&combo, "A"), 0);
        QCOMPARE(TriggerRow::FindItem(&combo, "B"), 1);
        QCOMPARE(TriggerRow::FindItem(&combo, "a"), -1);
        QCOMPARE(TriggerRow::FindItem(&combo, ""), -1);
    }

    // Rows as the user sets them up, through to the filter the search gets.
    void filterFromRows()
    {
        QWidget window; // not shown: a template built off screen
        QJsonObject filter;
        for (const RowSetup::Spec& spec : RowSetup::GoldenRows()) {
            auto* row = new TriggerRow(&window);
            QVERIFY(load(*row, spec));
            QVERIFY(row->IsValid());
            row->AddToFilter(filter);
        }
        COMPARE_JSON(filter, RowSetup::GoldenFilter());
        COMPARE_JSON(
            FilterReaders::SentMarketFilter(server, filter), FilterReaders::MeantMarketFilter(filter));
    }

    // The minutes a row shows, measured from a fixed clock.
    void startTimeFromARow()
    {
        TriggerRow row;
        QVERIFY(load(row, "Event", "MinToStart", "", "EQ", { "", "5" }));
        QJsonObject filter;
        FilterBuilder::Add(filter, row.Condition(), QDateTime(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC));
        COMPARE_JSON(filter,
            Json(R"({"marketStartTime": {"from": "2024-05-01T12:04:30Z", "to": "2024-05-01T12:05:30Z"}})"));
    }
};

QTEST_MAIN(tst_TriggerRow)
#include "tst_triggerrow.moc"
