#include "LogWidgetItem.h"
#include "QLog.h"

#include <QAction>
#include <QTranslator>
#include <QtTest>

#include <memory>

using LogType = QLog::QLogType;

namespace {

// The panel as the main window's form places it.
std::unique_ptr<QLog> makePanel()
{
    auto log = std::make_unique<QLog>();
    log->setSortingEnabled(true);
    log->setSelectionMode(QAbstractItemView::ContiguousSelection);
    return log;
}

LogWidgetItem* record(const QLog& log, int row)
{
    return static_cast<LogWidgetItem*>(log.topLevelItem(row));
}

QStringList messages(const QLog& log)
{
    QStringList result;
    for (int row = 0; row < log.topLevelItemCount(); ++row)
        result << record(log, row)->Message();
    return result;
}

QImage imageOf(const QIcon& icon)
{
    return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
}

QImage imageOf(const QString& path)
{
    return QFile::exists(path) ? imageOf(QIcon(path)) : QImage();
}

} // namespace

class tst_QLog : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(!QLog::Instance());
    }

    void actionsFormTheContextMenu()
    {
        QLog log;
        const QList<QAction*> order{log.clearAction, log.selectAllAction, log.copyAction, log.exportAction};
        QCOMPARE(log.actions(), order);
        const QList<QKeySequence> shortcuts{QKeySequence(), QKeySequence::SelectAll, QKeySequence("Ctrl+C"),
                                            QKeySequence("Ctrl+E")};
        const QStringList icons{":/icons/eraser.png", ":/icons/cards_stack.png", ":/icons/clipboard.png",
                                ":/icons/disk-black.png"};
        for (int i = 0; i < order.size(); ++i) {
            QCOMPARE(order[i]->parent(), &log);
            QCOMPARE(order[i]->shortcut(), shortcuts[i]);
            QVERIFY2(!imageOf(icons[i]).isNull(), qPrintable(icons[i]));
            QCOMPARE(imageOf(order[i]->icon()), imageOf(icons[i]));
        }
    }

    void copyAndExportFollowTheSelection()
    {
        auto log = makePanel();
        const auto enabled = [&log] {
            return QPair<bool, bool>(log->copyAction->isEnabled(), log->exportAction->isEnabled());
        };
        const QPair<bool, bool> on(true, true), off(false, false);
        QCOMPARE(enabled(), off);

        log->Info("one");
        log->Warning("two");
        log->Error("three");
        QCOMPARE(enabled(), off);
        log->topLevelItem(1)->setSelected(true);
        QCOMPARE(enabled(), on);
        log->SelectNone();
        QCOMPARE(enabled(), off);
        log->selectAllAction->trigger();
        QCOMPARE(log->selectedItems().size(), 3);
        QCOMPARE(enabled(), on);
        log->clearAction->trigger();
        QCOMPARE(log->topLevelItemCount(), 0);
        QCOMPARE(enabled(), off);
    }

    void recordsByType_data()
    {
        QTest::addColumn<QList<int>>("types");
        QTest::addColumn<int>("warnings");
        QTest::addColumn<int>("errors");

        QTest::newRow("nothing") << QList<int>{} << 0 << 0;
        QTest::newRow("information") << QList<int>{0, 0} << 0 << 0;
        QTest::newRow("a warning and two errors") << QList<int>{1, 2, 0, 2} << 1 << 2;
        QTest::newRow("type out of range") << QList<int>{7, -1} << 0 << 0;
    }

    // Counts, icons and one Logged per record, sent once the record is in the panel.
    void recordsByType()
    {
        QFETCH(QList<int>, types);
        QFETCH(int, warnings);
        QFETCH(int, errors);

        auto log = makePanel();
        QList<QPair<int, QString>> logged;
        connect(log.get(), &QLog::Logged, this, [&](LogType type, const QString& text) {
            if (messages(*log).value(log->topLevelItemCount() - 1) == text)
                logged.append({int(type), text});
        });
        const QStringList icons{":/icons/blank.png", ":/icons/exclamation.png", ":/icons/error.png"};
        QList<QPair<int, QString>> expected;
        for (int i = 0; i < types.size(); ++i) {
            const QString text = QString("record %1").arg(i);
            QLog::Write(LogType(types[i]), text);
            expected.append({types[i], text});
            QCOMPARE(imageOf(record(*log, i)->icon(1)), imageOf(icons.value(types[i])));
        }
        QCOMPARE(logged, expected);
        QCOMPARE(log->property("warnings").toInt(), warnings);
        QCOMPARE(log->property("errors").toInt(), errors);

        // Only the main window resets the counts, when the user looks at the log.
        log->Clear();
        QCOMPARE(log->property("warnings").toInt(), warnings);
        QCOMPARE(log->property("errors").toInt(), errors);
    }

    void recordHoldsItsMomentAndTextAsGiven()
    {
        auto log = makePanel();
        const QString text = QString::fromUtf8("<b>Ставка</b> &amp;\n  ");
        const QDateTime before = QDateTime::currentDateTime();
        log->Info(text);
        const LogWidgetItem* item = record(*log, 0);
        const QDateTime moment = item->Moment();

        QCOMPARE(item->Message(), text);
        QVERIFY(moment >= before && moment <= QDateTime::currentDateTime());
        QCOMPARE(item->text(0), moment.time().toString("hh:mm:ss"));
        QCOMPARE(item->toolTip(0), QLocale().toString(moment.date(), "d MMM"));
        QCOMPARE(item->foreground(0).color(), QColor(Qt::gray));
        QCOMPARE(int(item->flags()), 33);
    }

    void ordersByMoment_data()
    {
        QTest::addColumn<QDateTime>("earlier");
        QTest::addColumn<QDateTime>("later");

        const QDate day(2024, 3, 1);
        QTest::newRow("midnight") << QDateTime(day, QTime(23, 59, 59)) << QDateTime(day.addDays(1), QTime(0, 0, 1));
        QTest::newRow("new year") << QDateTime(QDate(2023, 12, 31), QTime(23, 0)) << QDateTime(QDate(2024, 1, 1), QTime(1, 0));
        QTest::newRow("same time next day") << QDateTime(day, QTime(9, 30)) << QDateTime(day.addDays(1), QTime(9, 30));
        QTest::newRow("same second") << QDateTime(day, QTime(12, 0, 0, 100)) << QDateTime(day, QTime(12, 0, 0, 900));
    }

    void ordersByMoment()
    {
        QFETCH(QDateTime, earlier);
        QFETCH(QDateTime, later);

        auto log = makePanel();
        log->addTopLevelItem(new LogWidgetItem(later, QIcon(), "later"));
        log->addTopLevelItem(new LogWidgetItem(earlier, QIcon(), "earlier"));
        log->sortByColumn(0, Qt::AscendingOrder);
        QCOMPARE(messages(*log), QStringList({"earlier", "later"}));
        QCOMPARE(record(*log, 0)->toolTip(0) == record(*log, 1)->toolTip(0), earlier.date() == later.date());
    }

    void keepsTheOrderOfRecordsAddedInOneMoment()
    {
        auto log = makePanel();
        QStringList added;
        for (int i = 0; i < 200; ++i) {
            added << QString::number(i);
            log->Info(added.last());
        }
        QCoreApplication::processEvents();
        QCOMPARE(messages(*log), added);
    }

    void keepsRecordsWrittenBeforeAPanelRegisters()
    {
        QLog::Write(LogType::Warning, "catalog missing");
        QLog::Write(LogType::Error, "catalog unreadable");
        const QDateTime written = QDateTime::currentDateTime();
        QTest::qWait(20);

        auto log = makePanel();
        QCOMPARE(QLog::Instance(), log.get());
        QCOMPARE(messages(*log), QStringList({"catalog missing", "catalog unreadable"}));
        QCOMPARE(log->property("warnings").toInt(), 1);
        QCOMPARE(log->property("errors").toInt(), 1);
        QVERIFY(record(*log, 1)->Moment() <= written); // the moment written, not the moment shown

        log.reset();
        QCOMPARE(makePanel()->topLevelItemCount(), 0); // handed over once
    }

    void firstPanelStaysTheProgramLog()
    {
        auto first = makePanel();
        makePanel().reset();
        QCOMPARE(QLog::Instance(), first.get());
        QLog::Write(LogType::Info, "still logged");
        QCOMPARE(messages(*first), QStringList{"still logged"});

        first.reset();
        QVERIFY(!QLog::Instance());
        QLog::Write(LogType::Error, "kept for the next panel");
        QCOMPARE(messages(*makePanel()), QStringList{"kept for the next panel"});
    }

    void languageChangeRetranslatesTheActions()
    {
        QLog log;
        const auto texts = [&log] {
            return QStringList{log.clearAction->text(), log.selectAllAction->text(), log.copyAction->text(),
                               log.exportAction->text()};
        };
        const QStringList english = texts();
        QCOMPARE(english, QStringList({"Clear log", "Select All", "Copy selected to the clipboard",
                                       "Export selected to a file"}));

        QTranslator russian;
        QVERIFY(russian.load(":/Translations/Tarnwickstone_ru_RU.qm"));
        QCoreApplication::installTranslator(&russian);
        log.LanguageChanged();
        const QStringList translated = texts();
        QCoreApplication::removeTranslator(&russian);
        QCOMPARE(translated, QStringList({QString::fromUtf8("Очистить журнал"), QString::fromUtf8("Выделить всё"),
                                          QString::fromUtf8("Копировать выделенное в буфер обмена"),
                                          QString::fromUtf8("Сохранить выделенное в файл")}));
        log.LanguageChanged();
        QCOMPARE(texts(), english);
    }
};

QTEST_MAIN(tst_QLog)
#include "tst_qlog.moc"
