#include "QCheckBoxWithColor.h"
#include "TempSettings.h"

#include <QCheckBox>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

QCheckBox* innerBox(QCheckBoxWithColor& box)
{
    return box.findChild<QCheckBox*>(QStringLiteral("checkBox"));
}

QToolButton* colorButton(QCheckBoxWithColor& box)
{
    return box.findChild<QToolButton*>(QStringLiteral("button"));
}

// Stands in for the user at the colour dialog; an invalid answer cancels.
struct FakeDialog
{
    QColor answer;
    QColor offered;
    int shown = 0;
    bool closeRow = false;

    FakeDialog()
    {
        QCheckBoxWithColor::SetColorPicker([this](const QColor& current, QWidget* parent) {
            ++shown;
            offered = current;
            if (closeRow)
                delete parent;
            return answer;
        });
    }
    ~FakeDialog() { QCheckBoxWithColor::SetColorPicker({}); }
    Q_DISABLE_COPY(FakeDialog)
};

const QColor backPrice(178, 235, 255);
const QColor layPrice(255, 204, 220);

} // namespace

class tst_QCheckBoxWithColor : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempSettings> settings;

private slots:
    void init() { settings = std::make_unique<TempSettings>(); }
    void cleanup() { settings.reset(); }

    void checkedStateAndColourSurviveARestart_data()
    {
        QTest::addColumn<bool>("checked");
        QTest::addColumn<QColor>("picked");

        QTest::newRow("ticked, light") << true << backPrice;
        QTest::newRow("unticked, dark") << false << QColor(20, 30, 90);
        QTest::newRow("ticked, translucent") << true << QColor(10, 200, 30, 128);
    }

    void checkedStateAndColourSurviveARestart()
    {
        QFETCH(bool, checked);
        QFETCH(QColor, picked);

        FakeDialog dialog;
        dialog.answer = picked;
        {
            QCheckBoxWithColor box;
            box.SetSettingsKey("Columns", "ShowVolume", !checked, layPrice);
            QSignalSpy clicked(&box, &QCheckBoxWithColor::clicked);
            QSignalSpy colorChanged(&box, &QCheckBoxWithColor::colorChanged);

            innerBox(box)->click();
            colorButton(box)->click();
            QCOMPARE(clicked.count(), 1);
            QCOMPARE(clicked.at(0).at(0).toBool(), checked);
            QCOMPARE(dialog.offered, layPrice);
            QCOMPARE(colorChanged.count(), 1);
            QCOMPARE(colorChanged.at(0).at(0).value<QColor>(), picked);
        }
        settings->reopen();
        QCOMPARE(settings->keys(), QStringList({ "Columns/ShowVolume", "Columns/ShowVolume_color" }));

        QCheckBoxWithColor restored;
        QSignalSpy clicked(&restored, &QCheckBoxWithColor::clicked);
        restored.SetSettingsKey("Columns", "ShowVolume", !checked, Qt::white);
        QCOMPARE(restored.isChecked(), checked);
        QCOMPARE(restored.color(), picked);
        QCOMPARE(clicked.count(), 0);
    }

    void defaultsWhenNothingUsableIsStored_data()
    {
        QTest::addColumn<bool>("storeOpen");
        QTest::addColumn<QVariant>("storedColor"); // invalid: nothing stored

        QTest::newRow("nothing stored") << true << QVariant();
        QTest::newRow("stored colour is no colour") << true << QVariant("not a colour");
        QTest::newRow("no store open") << false << QVariant();
    }

    void defaultsWhenNothingUsableIsStored()
    {
        QFETCH(bool, storeOpen);
        QFETCH(QVariant, storedColor);

        if (storedColor.isValid())
            settings->store()->setValue("Columns/ShowLayPrice_color", storedColor);
        if (!storeOpen)
            CloseSettingsStore();

        FakeDialog dialog;
        dialog.answer = backPrice;
        QCheckBoxWithColor box;
        QSignalSpy colorChanged(&box, &QCheckBoxWithColor::colorChanged);
        box.SetSettingsKey("Columns", "ShowLayPrice", true, layPrice);
        QVERIFY(box.isChecked());
        QCOMPARE(box.color(), layPrice);
        QCOMPARE(colorChanged.count(), 0);

        // Without a store the row still works; it just forgets.
        if (!storeOpen) {
            innerBox(box)->click();
            colorButton(box)->click();
            QCOMPARE(box.color(), backPrice);
            QCOMPARE(colorChanged.count(), 1);
            settings->reopen();
        }
        QCOMPARE(settings->keys().count(), storedColor.isValid() ? 1 : 0);
    }

    void textColourFollowsTheLightness_data()
    {
        QTest::addColumn<QColor>("color");
        QTest::addColumn<QColor>("text");

        QTest::newRow("black") << QColor(Qt::black) << QColor(Qt::white);
        QTest::newRow("lightness 126") << QColor::fromHsl(200, 255, 126) << QColor(Qt::white);
        QTest::newRow("lightness 127") << QColor::fromHsl(200, 255, 127) << QColor(Qt::black);
        QTest::newRow("grey 126") << QColor(126, 126, 126) << QColor(Qt::white);
        QTest::newRow("grey 127") << QColor(127, 127, 127) << QColor(Qt::black);
        QTest::newRow("white") << QColor(Qt::white) << QColor(Qt::black);
    }

    void textColourFollowsTheLightness()
    {
        QFETCH(QColor, color);
        QFETCH(QColor, text);

        QCheckBoxWithColor box;
        box.setColor(color);
        const QCheckBox* inner = innerBox(box);
        const QPalette palette = inner->palette();
        for (auto group : { QPalette::Active, QPalette::Inactive, QPalette::Disabled }) {
            QCOMPARE(palette.brush(group, inner->backgroundRole()).color(), color);
            QCOMPARE(palette.brush(group, inner->foregroundRole()).color(), text);
        }
        QVERIFY(inner->autoFillBackground());
        QVERIFY(!colorButton(box)->icon().isNull()); // the icon resource is linked in
        QCOMPARE(settings->keys(), QStringList());
    }

    // Only the user's own clicks store, and only once the owner named a key.
    void nothingElseStores()
    {
        FakeDialog dialog; // cancels
        QCheckBoxWithColor box;
        box.SetSettingsKey("Columns", "ShowSilks", false, backPrice);
        QSignalSpy clicked(&box, &QCheckBoxWithColor::clicked);
        QSignalSpy colorChanged(&box, &QCheckBoxWithColor::colorChanged);
        box.setChecked(true);
        box.setColor(layPrice);
        box.callDialog();
        QCOMPARE(dialog.shown, 1);
        QCOMPARE(box.color(), layPrice);
        QCOMPARE(clicked.count() + colorChanged.count(), 0);

        dialog.answer = backPrice;
        QCheckBoxWithColor unkeyed;
        innerBox(unkeyed)->click();
        unkeyed.callDialog();
        QCOMPARE(unkeyed.color(), backPrice);
        QCOMPARE(settings->keys(), QStringList());
    }

    void rowClosedWhileTheDialogIsOpen()
    {
        FakeDialog dialog;
        dialog.answer = backPrice;
        dialog.closeRow = true;
        auto* box = new QCheckBoxWithColor;
        box->SetSettingsKey("Columns", "ShowFarSP", false, Qt::white);
        box->callDialog();
        QCOMPARE(settings->keys(), QStringList());
    }
};

QTEST_MAIN(tst_QCheckBoxWithColor)
#include "tst_qcheckboxwithcolor.moc"
