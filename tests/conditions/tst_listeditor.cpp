#include "QCatalog.h"
#include "QListEditor.h"
#include "QMultiSelectDialog.h"
#include "QNumberValidator.h"
#include "QPriceValidator.h"

#include <QApplication>
#include <QListWidget>
#include <QRegExpValidator>
#include <QtTest>

#include <functional>

namespace {

const QByteArray placesCatalog = R"({"data": [
    {"code": "GB", "en": "Britain", "fav": true},
    {"code": "IE", "en": "Ireland", "fav": true},
    {"code": "FR", "en": "France"}
]})";

const QByteArray gamesCatalog = R"({"data": [{"code": "1", "en": "Soccer"}, {"code": "2", "en": "Tennis"}]})";

bool marked(const QWidget& widget)
{
    return widget.property("isError").toBool();
}

// Clicks the editor and hands the dialog it opens to answer, which must close
// it. Returns whether a dialog opened.
bool clickAndAnswer(QListEditor& editor, const std::function<void(QMultiSelectDialog&)>& answer)
{
    bool opened = false;
    QTimer::singleShot(0, &editor, [&] {
        if (auto* dialog = qobject_cast<QMultiSelectDialog*>(QApplication::activeModalWidget())) {
            opened = true;
            answer(*dialog);
            if (dialog->isVisible()) // a failed check must not leave it open
                dialog->reject();
        }
    });
    QTest::mouseClick(&editor, Qt::LeftButton);
    QCoreApplication::processEvents();
    return opened;
}

QListWidget* listOf(QMultiSelectDialog& dialog)
{
    return dialog.findChild<QListWidget*>(QStringLiteral("List"));
}

} // namespace

class tst_ListEditor : public QObject
{
    Q_OBJECT

    QTemporaryDir folder;
    QCatalog places;
    QCatalog games;

    void writeCatalogFile(const QString& name, const QByteArray& contents)
    {
        QFile file(folder.filePath(name + QStringLiteral(".json")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(folder.isValid());
        writeCatalogFile(QStringLiteral("places"), placesCatalog);
        writeCatalogFile(QStringLiteral("games"), gamesCatalog);
        QCatalog::Init(folder.path());
        places.Load(QStringLiteral("places"), false);
        games.Load(QStringLiteral("games"), true);
        QPriceValidator::InitPriceLadder();
    }

    void overCatalog_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QStringList>("chosenCodes");
        QTest::addColumn<QStringList>("otherCodes");
        // clang-format off
        QTest::newRow("catalog order") << QStringList{"IE", "GB"} << "Britain,Ireland" << true
                                       << QStringList{"GB", "IE"} << QStringList{"FR"};
        QTest::newRow("one") << QStringList{"FR"} << "France" << true << QStringList{"FR"} << QStringList{"GB", "IE"};
        QTest::newRow("a code gone") << QStringList{"XX", "FR"} << "France" << true
                                     << QStringList{"FR"} << QStringList{"GB", "IE"};
        // Sent as an empty list these would restrict nothing.
        QTest::newRow("every code gone") << QStringList{"XX"} << "" << false << QStringList{} << QStringList{"GB", "IE", "FR"};
        QTest::newRow("case matters") << QStringList{"gb"} << "" << false << QStringList{} << QStringList{"GB", "IE", "FR"};
        QTest::newRow("none") << QStringList{} << "" << false << QStringList{} << QStringList{"GB", "IE", "FR"};
        // clang-format on
    }

    void overCatalog()
    {
        QFETCH(QStringList, items);
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(QStringList, chosenCodes);
        QFETCH(QStringList, otherCodes);
        QListEditor editor;
        editor.SetCatalog(&places);
        editor.SetItems(items);
        QCOMPARE(editor.text(), text);
        QCOMPARE(editor.IsValid(), valid);
        QCOMPARE(marked(editor), !valid);
        QCOMPARE(editor.cursorPosition(), 0);
        QCOMPARE(editor.Items(), items);
        QCOMPARE(editor.Codes(false), chosenCodes);
        QCOMPARE(editor.Codes(true), otherCodes);
    }

    void freeValues_data()
    {
        QTest::addColumn<QString>("validatorKind");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        // clang-format off
        QTest::newRow("no validator") << "" << QStringList{"a b", ""} << "a b," << true;
        QTest::newRow("no items") << "" << QStringList{} << "" << false;
        QTest::newRow("a number and a word") << "number" << QStringList{"1.5", "abc"} << "1.5,abc" << false;
        QTest::newRow("numbers") << "number" << QStringList{"1.5", "-2"} << "1.5,-2" << true;
        QTest::newRow("off the ladder") << "price" << QStringList{"2.02", "2.01"} << "2.02,2.01" << false;
        QTest::newRow("on the ladder") << "price" << QStringList{"2.02", "1000"} << "2.02,1000" << true;
        QTest::newRow("empty text") << "text" << QStringList{"Arsenal", ""} << "Arsenal," << false;
        QTest::newRow("texts") << "text" << QStringList{"Arsenal", "Real Madrid"} << "Arsenal,Real Madrid" << true;
        // clang-format on
    }

    void freeValues()
    {
        QFETCH(QString, validatorKind);
        QFETCH(QStringList, items);
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QListEditor editor;
        QValidator* validator = nullptr;
        if (validatorKind == QLatin1String("number"))
            validator = new QNumberValidator(&editor);
        else if (validatorKind == QLatin1String("price"))
            validator = new QPriceValidator(&editor);
        else if (validatorKind == QLatin1String("text"))
            validator = new QRegExpValidator(QRegExp(QStringLiteral(".+")), &editor);
        editor.SetCatalog(nullptr);
        editor.SetValidator(validator);
        QSignalSpy changed(&editor, &QLineEdit::textChanged);
        editor.SetItems(items);
        QCOMPARE(editor.text(), text);
        QCOMPARE(editor.IsValid(), valid);
        QCOMPARE(marked(editor), !valid);
        // The row counts every change of the shown text as a change of itself.
        QCOMPARE(changed.count(), text.isEmpty() ? 0 : 1);
    }

    void keepingItems()
    {
        QListEditor editor;
        editor.SetCatalog(&places);
        editor.SetItems({ QStringLiteral("FR") });
        editor.SetCatalog(&places);
        QCOMPARE(editor.Items(), QStringList { QStringLiteral("FR") });
        editor.SetValidator(new QNumberValidator(&editor));
        QCOMPARE(editor.Items(), QStringList { QStringLiteral("FR") });
        QCOMPARE(editor.text(), QStringLiteral("France"));

        // Codes of one catalog mean nothing in another.
        editor.SetCatalog(&games);
        QVERIFY(editor.Items().isEmpty());
        QVERIFY(editor.text().isEmpty());
        QVERIFY(!editor.IsValid());

        editor.SetItems({ QStringLiteral("1") });
        editor.SetCatalog(nullptr);
        QVERIFY(editor.Items().isEmpty());

        // Between free lists the typed values stay, judged anew.
        editor.SetItems({ QStringLiteral("abc") });
        QVERIFY(!editor.IsValid());
        editor.SetValidator(new QRegExpValidator(QRegExp(QStringLiteral(".+")), &editor));
        QCOMPARE(editor.Items(), QStringList { QStringLiteral("abc") });
        QVERIFY(editor.IsValid());
        QVERIFY(!marked(editor));
        QCOMPARE(editor.Codes(false), QStringList());
    }

    void choosingFromCatalog()
    {
        QListEditor editor;
        editor.SetItemsWord(QStringLiteral("countries"));
        editor.SetCatalog(&places);
        editor.SetItems({ QStringLiteral("IE") });
        editor.show();
        const bool opened = clickAndAnswer(editor, [](QMultiSelectDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Please select countries:"));
            QCOMPARE(dialog.GetSelected(), QStringList { QStringLiteral("IE") });
            QListWidget* list = listOf(dialog);
            QCOMPARE(list->count(), 3);
            list->item(2)->setCheckState(Qt::Checked); // France
            dialog.accept();
        });
        QVERIFY(opened);
        QCOMPARE(editor.Items(), (QStringList { QStringLiteral("IE"), QStringLiteral("FR") }));
        QCOMPARE(editor.text(), QStringLiteral("Ireland,France"));
        QVERIFY(editor.IsValid());
    }

    void typingFreeValues()
    {
        QListEditor editor;
        editor.SetValidator(new QNumberValidator(&editor));
        editor.SetItems({ QStringLiteral("1") });
        editor.show();
        const bool opened = clickAndAnswer(editor, [](QMultiSelectDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Please enter items:"));
            QCOMPARE(dialog.GetSelected(), QStringList { QStringLiteral("1") });
            dialog.SetValues({ QStringLiteral("2"), QStringLiteral("x") });
            dialog.accept();
        });
        QVERIFY(opened);
        QCOMPARE(editor.Items(), (QStringList { QStringLiteral("2"), QStringLiteral("x") }));
        QCOMPARE(editor.text(), QStringLiteral("2,x"));
        QVERIFY(!editor.IsValid());
    }

    void cancellingChangesNothing()
    {
        QListEditor editor;
        editor.SetCatalog(&places);
        editor.SetItems({ QStringLiteral("GB") });
        editor.show();
        QSignalSpy changed(&editor, &QLineEdit::textChanged);
        QVERIFY(clickAndAnswer(editor, [](QMultiSelectDialog& dialog) {
            listOf(dialog)->item(1)->setCheckState(Qt::Checked);
            dialog.reject();
        }));
        QCOMPARE(editor.Items(), QStringList { QStringLiteral("GB") });
        QCOMPARE(editor.text(), QStringLiteral("Britain"));
        QCOMPARE(changed.count(), 0);
    }

    void disabledEditorOpensNothing()
    {
        QListEditor editor;
        editor.SetCatalog(&places);
        editor.show();
        editor.setEnabled(false);
        QVERIFY(!clickAndAnswer(editor, [](QMultiSelectDialog& dialog) { dialog.reject(); }));
    }

    void showingRevalidates()
    {
        QListEditor editor;
        editor.SetCatalog(&places);
        editor.SetItems({ QStringLiteral("GB") });
        editor.setText(QStringLiteral("stale"));
        editor.show();
        QCOMPARE(editor.text(), QStringLiteral("Britain"));
    }
};

QTEST_MAIN(tst_ListEditor)
#include "tst_listeditor.moc"
