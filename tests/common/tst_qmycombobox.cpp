#include "QMyComboBox.h"
#include "TempSettings.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

void fillActions(QMyComboBox& box)
{
    for (const char* code : { "Export", "Back", "Lay", "Cancel" })
        box.AddItem(QStringLiteral("%1 text").arg(code), QString(code));
    box.AddItem("[Manual selection]", "Manual", true);
}
const int manual = 4;

QString joined(const QString& group, const QString& key)
{
    return group.isEmpty() ? key : group + "/" + key;
}

enum class Unstored { MarkedItem, NoItem, EmptyKey, NoStore };

} // namespace

Q_DECLARE_METATYPE(Unstored)

class tst_QMyComboBox : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempSettings> settings;

private slots:
    void init() { settings = std::make_unique<TempSettings>(); }
    void cleanup() { settings.reset(); }

    void restoresTheStoredChoice_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored"); // invalid: nothing stored
        QTest::addColumn<int>("expectedIndex");
        QTest::addColumn<QString>("storedAfter");

        QTest::newRow("nothing stored: first item") << "Action"
                                                    << "Action" << QVariant() << 0 << "Export";
        QTest::newRow("empty text: first item") << "Action"
                                                << "Action" << QVariant("") << 0 << "Export";
        QTest::newRow("stored code") << "Action"
                                     << "Type" << QVariant("Lay") << 2 << "Lay";
        QTest::newRow("top-level key") << ""
                                       << "Select" << QVariant("Cancel") << 3 << "Cancel";
        QTest::newRow("case differs: none, kept") << "Action"
                                                  << "Action" << QVariant("lay") << -1 << "lay";
        QTest::newRow("code gone: none, kept") << ""
                                               << "Select" << QVariant("Liability") << -1 << "Liability";
    }

    void restoresTheStoredChoice()
    {
        QFETCH(QString, group);
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        QFETCH(int, expectedIndex);
        QFETCH(QString, storedAfter);

        if (stored.isValid())
            settings->store()->setValue(joined(group, key), stored);
        QMyComboBox box;
        fillActions(box);
        QSignalSpy announced(&box, QOverload<int>::of(&QComboBox::currentIndexChanged));
        box.SetSettingsKey(group, key);

        QCOMPARE(box.currentIndex(), expectedIndex);
        QCOMPARE(announced.last().at(0).toInt(), expectedIndex);
        // Nothing else is written: -1 must not store an empty or invalid value.
        settings->reopen();
        QCOMPARE(settings->keys(), QStringList { joined(group, key) });
        QCOMPARE(settings->store()->value(joined(group, key)).toString(), storedAfter);
    }

    void storesTheChosenCodeInTheFile_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("iniText");

        QTest::newRow("grouped") << "Action"
                                 << "Type"
                                 << "[Action]\nType=Lay";
        QTest::newRow("no group") << ""
                                  << "Select"
                                  << "[General]\nSelect=Lay";
    }

    void storesTheChosenCodeInTheFile()
    {
        QFETCH(QString, group);
        QFETCH(QString, key);
        QFETCH(QString, iniText);

        {
            QMyComboBox box;
            fillActions(box);
            box.SetSettingsKey(group, key);
            box.setCurrentIndex(2);
        }
        settings->reopen();
        QFile file(settings->path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(file.readAll()).trimmed(), iniText);
    }

    void writesNothingForAnUnstoredChoice_data()
    {
        QTest::addColumn<Unstored>("what");
        QTest::newRow("item marked not stored") << Unstored::MarkedItem;
        QTest::newRow("index -1") << Unstored::NoItem;
        QTest::newRow("empty key") << Unstored::EmptyKey;
        QTest::newRow("no store open") << Unstored::NoStore;
    }

    void writesNothingForAnUnstoredChoice()
    {
        QFETCH(Unstored, what);

        settings->store()->setValue("Select", "Back");
        QMyComboBox box;
        fillActions(box);
        box.SetSettingsKey(QString(), what == Unstored::EmptyKey ? QString() : QStringLiteral("Select"));
        if (what == Unstored::NoStore)
            CloseSettingsStore();

        const int chosen = what == Unstored::MarkedItem ? manual : what == Unstored::NoItem ? -1 : 2;
        box.setCurrentIndex(chosen);
        box.SaveIndex(chosen);
        // A reload (the main window's, at each search) brings back the stored
        // code when there is a store and a key; otherwise the choice stays.
        box.LoadIndex();
        const bool reloads = what == Unstored::MarkedItem || what == Unstored::NoItem;
        QCOMPARE(box.currentIndex(), reloads ? 1 : chosen);

        if (what == Unstored::NoStore)
            settings->reopen();
        QCOMPARE(settings->keys(), QStringList { "Select" });
        QCOMPARE(settings->store()->value("Select").toString(), QStringLiteral("Back"));
    }

    // Owners refill and key the box again; only the final choice is announced.
    void fillingIsSilentAndRefillingRestores()
    {
        settings->store()->setValue("Action/InPlay", "Keep");
        QMyComboBox box;
        QSignalSpy announced(&box, QOverload<int>::of(&QComboBox::currentIndexChanged));
        box.AddItem("Cancel in-play", "Cancel");
        box.AddItem("Keep in-play", "Keep");
        QCOMPARE(announced.count(), 0);

        box.SetSettingsKey("Action", QString());
        QCOMPARE(announced.count(), 1);
        QCOMPARE(box.currentIndex(), 0);

        box.SetSettingsKey("Action", "InPlay");
        QCOMPARE(box.currentIndex(), 1);
        announced.clear();
        box.clear();
        box.AddItem("Take SP", "SP");
        box.AddItem("Cancel in-play", "Cancel");
        QCOMPARE(announced.count(), 0);
        QCOMPARE(settings->store()->value("Action/InPlay").toString(), QStringLiteral("Keep"));

        box.AddItem("Keep in-play", "Keep");
        box.SetSettingsKey("Action", "InPlay");
        QCOMPARE(box.currentIndex(), 2);
        QCOMPARE(announced.last().at(0).toInt(), 2);
        QCOMPARE(settings->keys(), QStringList { "Action/InPlay" });
    }
};

QTEST_MAIN(tst_QMyComboBox)
#include "tst_qmycombobox.moc"
