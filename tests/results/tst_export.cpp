#include "QCatalog.h"
#include "ResultsExport.h"
#include "TickedMarkets.h"

#include "common/FakeUser.h"
#include "common/TestFiles.h"

#include <QBuffer>
#include <QTextCodec>
#include <QXmlStreamReader>
#include <QtTest>

#include <optional>

namespace {

using ResultsExport::Format;

const QByteArray Bom = "\xEF\xBB\xBF";
const QDateTime Now(QDate(2026, 12, 7), QTime(9, 5, 3), Qt::UTC);

// Ascot: Alpha and Charlie (hidden) ticked; Golf: nothing ticked; football: the draw ticked.
struct Fixture : TickedMarkets
{
    QMarket* ascot = add("1.234567890", 7, R"({"name": "Ascot 5th Dec", "venue": "Ascot"})", "2m Hcap",
        "2026-12-05T15:30:00.000Z", { "11:Alpha", "12:Bravo", "13:Charlie" });
    QMarket* golf = add("1.300000000", 3, R"({"name": "Open"})", "Winner", "2026-12-05T16:00:00.000Z",
        { "31:Ace", "32:Birdie" });
    QMarket* football = add("2.100000001", 1, R"({"name": "Arsenal v Chelsea"})", "Match Odds",
        "2026-12-06T20:00:00.000Z", { "21:Arsenal", "22:Chelsea", "23:The Draw" });

    Fixture()
    {
        values(ascot, { 1000, 1.025, 0.985 });
        values(runner(ascot, 0), { 0.25, 2.5, 2.52, 2.6, 2.58, 0 });
        values(runner(ascot, 2), { 0.125, 6.2, 6.4, 7, 6.8, 0 });
        values(football, { 12345678.9, 1.0, 0.99 });
        values(runner(football, 2), { 0.5, 3.4, 3.45, 0, 3.5, 0 });
        tick(ascot, 0);
        tick(ascot, 2);
        tick(football, 2);
        view.setRowHidden(2, ascot->index(), true);
    }
};

QByteArray written(const QVector<TickedMarket>& markets, Format format, bool prices, bool volume, bool cv)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const bool done = format == Format::Text ? ResultsExport::WriteText(buffer, markets, cv)
        : format == Format::Csv              ? ResultsExport::WriteCsv(buffer, markets, prices, volume)
                                             : ResultsExport::WriteXml(buffer, markets, prices, volume, Now);
    return done ? buffer.data() : QByteArray("<refused>");
}

const QByteArray CsvTitles = R"("Market name","Market ID","Market Time","Selection ID","Runner Index","Runner Name")";
const QByteArray XmlHead = Bom + "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<markets timestamp=\"Mon Dec 7 09:05:03 2026\">\n";

// The fields of a CSV text, a line a row: quoted fields, "" for a quote.
QList<QStringList> parseCsv(const QString& text)
{
    QList<QStringList> rows { {} };
    QString field;
    bool quoted = false, inField = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted && c == '"' && i + 1 < text.size() && text[i + 1] == '"')
            field += c, ++i;
        else if (c == '"')
            quoted = !quoted, inField = true;
        else if (quoted)
            field += c;
        else if (c == ',' || c == '\n') {
            rows.last() << field, field.clear(), inField = false;
            if (c == '\n')
                rows << QStringList();
        } else
            field += c, inField = true;
    }
    if (inField)
        rows.last() << field;
    if (rows.last().isEmpty())
        rows.removeLast();
    return rows;
}

// The market names (attributes) and runner names (sections) an XML reader gets from an export.
struct XmlNames
{
    QStringList markets, runners;
    QString error;
};

XmlNames readXml(const QByteArray& xml)
{
    XmlNames read;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("market"))
            read.markets << reader.attributes().value("name").toString();
        if (reader.isStartElement() && reader.name() == QLatin1String("selection"))
            read.runners << reader.readElementText();
    }
    if (reader.hasError())
        read.error = reader.errorString();
    return read;
}

// The answer of the save dialog, and what it was asked.
struct SaveDialog : FakeUser
{
    std::optional<FileDialog::Request> request;
    explicit SaveDialog(const QString& answer)
        : FakeUser(answer)
    {
        FileDialog::SetResponder([this](const FileDialog::Request& made) { return ++asked, request = made, this->answer; });
    }
};

} // namespace

class tst_Export : public QObject
{
    Q_OBJECT

    QTemporaryDir catalogs;

private slots:
    void initTestCase()
    {
        QCatalog::Init(catalogs.path());
        QConfirm::Init();
        SetInteractiveLevel(QConfirm::All);
    }

    void formats_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<bool>("prices");
        QTest::addColumn<bool>("volume");
        QTest::addColumn<bool>("cv");
        QTest::addColumn<QByteArray>("bytes");

        const QByteArray text = Bom
            + "[Horse Racing → Ascot → 2m Hcap] Alpha\n[Horse Racing → Ascot → 2m Hcap] Charlie\n"
              "[Soccer → Arsenal v Chelsea → Match Odds] The Draw\n";
        QTest::newRow("text") << int(Format::Text) << false << false << false << text;
        QTest::newRow("text, prices and volume change nothing") << int(Format::Text) << true << true << false << text;
        QTest::newRow("text, CV") << int(Format::Text) << false << false << true
                                  << Bom + "[234567890] Alpha\n[234567890] Charlie\n[100000001] The Draw\n";

        const QByteArray ascot = R"("Horse Racing → Ascot → 2m Hcap","1.234567890","Sat Dec 5 15:30:00 2026",)";
        const QByteArray football = R"("Soccer → Arsenal v Chelsea → Match Odds","2.100000001","Sun Dec 6 20:00:00 2026",)";
        QTest::newRow("CSV") << int(Format::Csv) << false << false << false
                             << Bom + CsvTitles + "\n" + ascot + R"("11","1","Alpha")" + "\n" + ascot
                + R"("13","3","Charlie")" + "\n" + football + R"("23","3","The Draw")" + "\n";
        QTest::newRow("CSV, volume") << int(Format::Csv) << false << true << true
                                     << Bom + CsvTitles + R"(,"Volume","Market Volume")" + "\n" + ascot
                + R"("11","1","Alpha","250","1000")" + "\n" + ascot + R"("13","3","Charlie","125","1000")" + "\n"
                + football + R"("23","3","The Draw","6.17284e+06","1.23457e+07")" + "\n";
        const QByteArray priceTitles = R"(,"Back Price","Lay Price","Far SP","Near SP","Actual SP","Back Book","Lay Book")";
        QTest::newRow("CSV, prices") << int(Format::Csv) << true << false << false
                                     << Bom + CsvTitles + priceTitles + "\n" + ascot
                + R"("11","1","Alpha","2.5","2.52","2.6","2.58","0","102.5","98.5")" + "\n" + ascot
                + R"("13","3","Charlie","6.2","6.4","7","6.8","0","102.5","98.5")" + "\n" + football
                + R"("23","3","The Draw","3.4","3.45","0","3.5","0","100","99")" + "\n";
        QTest::newRow("CSV, volume and prices")
            << int(Format::Csv) << true << true << false
            << Bom + CsvTitles + R"(,"Volume","Market Volume")" + priceTitles + "\n" + ascot
                + R"("11","1","Alpha","250","1000","2.5","2.52","2.6","2.58","0","102.5","98.5")" + "\n" + ascot
                + R"("13","3","Charlie","125","1000","6.2","6.4","7","6.8","0","102.5","98.5")" + "\n" + football
                + R"("23","3","The Draw","6.17284e+06","1.23457e+07","3.4","3.45","0","3.5","0","100","99")" + "\n";

        QTest::newRow("XML") << int(Format::Xml) << false << false << true
                             << XmlHead
                + R"(<market id="1.234567890" name="Horse Racing → Ascot → 2m Hcap" time="Sat Dec 5 15:30:00 2026" selections="3">)"
                + "\n\t" + R"(<selection id="11" index="1"><![CDATA[Alpha]]></selection>)" + "\n\t"
                + R"(<selection id="13" index="3"><![CDATA[Charlie]]></selection>)" + "\n</market>\n"
                + R"(<market id="2.100000001" name="Soccer → Arsenal v Chelsea → Match Odds" time="Sun Dec 6 20:00:00 2026" selections="3">)"
                + "\n\t" + R"(<selection id="23" index="3"><![CDATA[The Draw]]></selection>)" + "\n</market>\n</markets>";
        QTest::newRow("XML, prices and volume")
            << int(Format::Xml) << true << true << false
            << XmlHead
                + R"(<market id="1.234567890" name="Horse Racing → Ascot → 2m Hcap" time="Sat Dec 5 15:30:00 2026" selections="3" backBook="102.5" layBook="98.5" volume="1000">)"
                + "\n\t"
                + R"(<selection id="11" index="1" backPrice="2.5" layPrice="2.52" farSP="2.6" nearSP="2.58" actualSP="0" volume="250"><![CDATA[Alpha]]></selection>)"
                + "\n\t"
                + R"(<selection id="13" index="3" backPrice="6.2" layPrice="6.4" farSP="7" nearSP="6.8" actualSP="0" volume="125"><![CDATA[Charlie]]></selection>)"
                + "\n</market>\n"
                + R"(<market id="2.100000001" name="Soccer → Arsenal v Chelsea → Match Odds" time="Sun Dec 6 20:00:00 2026" selections="3" backBook="100" layBook="99" volume="1.23457e+07">)"
                + "\n\t"
                + R"(<selection id="23" index="3" backPrice="3.4" layPrice="3.45" farSP="0" nearSP="3.5" actualSP="0" volume="6.17284e+06"><![CDATA[The Draw]]></selection>)"
                + "\n</market>\n</markets>";
    }

    // The bytes other programs read; an unticked market leaves no trace, a hidden ticked row is written.
    void formats()
    {
        const Fixture results;
        QCOMPARE(written(TickedSelections(results.view), Format(FETCH(int, format)), FETCH(bool, prices),
                     FETCH(bool, volume), FETCH(bool, cv)),
            FETCH(QByteArray, bytes));
    }

    void nothingTicked()
    {
        Fixture results;
        results.model().setData(results.ascot->index(), Qt::Unchecked, Qt::CheckStateRole);
        results.model().setData(results.football->index(), Qt::Unchecked, Qt::CheckStateRole);
        const QVector<TickedMarket> none = TickedSelections(results.view);
        QCOMPARE(written(none, Format::Text, true, true, true), QByteArray());
        QCOMPARE(written(none, Format::Csv, true, true, true),
            Bom + CsvTitles + R"(,"Volume","Market Volume","Back Price","Lay Price","Far SP","Near SP","Actual SP","Back Book","Lay Book")" + "\n");
        QCOMPARE(written(none, Format::Xml, true, true, true), XmlHead + "</markets>");
    }

    // Every row of the market is counted, only the ticked ones written.
    void twelveRowsTwoTicked()
    {
        TickedMarkets results;
        QStringList runners;
        for (int i = 1; i <= 12; ++i)
            runners << QString("%1:Runner %2").arg(100 + i).arg(i);
        QMarket* market = results.add("1.555", 7, R"({"venue": "York"})", "1m Mdn", "2026-07-01T12:00:00Z", runners);
        results.tick(market, 4);
        results.tick(market, 11);
        QCOMPARE(written(TickedSelections(results.view), Format::Xml, false, false, false),
            XmlHead + R"(<market id="1.555" name="Horse Racing → York → 1m Mdn" time="Wed Jul 1 12:00:00 2026" selections="12">)"
                + "\n\t" + R"(<selection id="105" index="5"><![CDATA[Runner 5]]></selection>)" + "\n\t"
                + R"(<selection id="112" index="12"><![CDATA[Runner 12]]></selection>)" + "\n</market>\n</markets>");
    }

    // Quotes, markup, "]]>" and control characters: the CSV reads back as written, the XML stays well formed.
    void awkwardNamesReadBack()
    {
        TickedMarkets results;
        const QString runnerName = QString::fromUtf8("Say \"No\" ]]> <now> & then\x01\x1F\tgo \xF0\x9F\x90\x8E");
        QMarket* market = results.add("1.77", 7, "{\"venue\": \"\\\"Big\\\" & <Park>\"}", "Race \"A\"\x0B", "2026-07-01T12:00:00Z",
            { "71:" + runnerName, "72:Plain", "73:" + QString(QChar(0xD800)) + "x" + QChar(0xFFFE) + QChar(0xDC00) });
        for (int row : { 0, 1, 2 })
            results.tick(market, row);
        const QVector<TickedMarket> ticked = TickedSelections(results.view);
        const QString marketName = market->text();
        QVERIFY(marketName.contains("\"Big\" & <Park>"));

        const QList<QStringList> rows = parseCsv(QString::fromUtf8(written(ticked, Format::Csv, false, false, false).mid(3)));
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rows[1], (QStringList { marketName, "1.77", "Wed Jul 1 12:00:00 2026", "71", "1", runnerName }));
        QCOMPARE(rows[2].value(5), "Plain");

        const XmlNames read = readXml(written(ticked, Format::Xml, false, false, false));
        QVERIFY2(read.error.isEmpty(), qPrintable(read.error));
        QCOMPARE(read.markets, QStringList { QString(marketName).remove(QChar(0x0B)) });
        QCOMPARE(read.runners, (QStringList { QString::fromUtf8("Say \"No\" ]]> <now> & then\tgo \xF0\x9F\x90\x8E"), "Plain", "x" }));
    }

    // A tab, a line feed or a carriage return in a market's name (an attribute) or a runner's (a section):
    // a reader gets the name back as it was, not with a blank or a line feed in its place.
    void breaksReadBack_data()
    {
        QTest::addColumn<QString>("race");
        QTest::addColumn<QString>("runner");
        QTest::newRow("tab in a market") << "5f\tHcap" << "Quick";
        QTest::newRow("line feed in a market") << "5f\nHcap" << "Quick";
        QTest::newRow("carriage return in a market") << "5f\rHcap" << "Quick";
        QTest::newRow("tab in a runner") << "5f Hcap" << "Quick\tStep";
        QTest::newRow("line feed in a runner") << "5f Hcap" << "Quick\nStep";
        QTest::newRow("carriage return in a runner") << "5f Hcap" << "Quick\rStep";
    }

    void breaksReadBack()
    {
        QFETCH(QString, race);
        QFETCH(QString, runner);
        TickedMarkets results;
        QMarket* market = results.add("1.9", 7, R"({"venue": "Ayr"})", race, "2026-07-01T12:00:00Z", { "91:" + runner });
        results.tick(market, 0);
        const XmlNames read = readXml(written(TickedSelections(results.view), Format::Xml, false, false, false));
        QVERIFY2(read.error.isEmpty(), qPrintable(read.error));
        QCOMPARE(read.markets, QStringList { "Horse Racing → Ayr → " + race });
        QCOMPARE(read.runners, QStringList { runner });
    }

    // Text and CSV in the platform's encoding, marked only when it is a Unicode one; XML always UTF-8.
    void platformEncoding()
    {
        TickedMarkets results;
        QMarket* market = results.add("1.8", 7, R"({"venue": "Épinal"})", "Prix", "2026-07-01T12:00:00Z", { "81:Amélie" });
        results.tick(market, 0);
        const QVector<TickedMarket> ticked = TickedSelections(results.view);
        QTextCodec* const platform = QTextCodec::codecForLocale();
        QTextCodec::setCodecForLocale(QTextCodec::codecForName("ISO-8859-1"));
        const QByteArray text = written(ticked, Format::Text, false, false, true);
        const QByteArray csv = written(ticked, Format::Csv, false, false, false);
        const QByteArray xml = written(ticked, Format::Xml, false, false, false);
        QTextCodec::setCodecForLocale(platform);
        QCOMPARE(text, "[8] Am\xE9lie\n");
        QCOMPARE(csv.left(CsvTitles.size()), CsvTitles);
        QVERIFY(csv.endsWith("\"81\",\"1\",\"Am\xE9lie\"\n"));
        QVERIFY(xml.startsWith(XmlHead));
        QVERIFY(xml.contains("Horse Racing → Épinal → Prix") && xml.contains("<![CDATA[Amélie]]>"));
    }

    // A device that takes nothing: every writer says so.
    void refusedWrites()
    {
        const Fixture results;
        const QVector<TickedMarket> ticked = TickedSelections(results.view);
        for (const Format format : { Format::Text, Format::Csv, Format::Xml }) {
            QBuffer buffer;
            buffer.open(QIODevice::ReadOnly);
            QTest::ignoreMessage(QtWarningMsg, "QIODevice::write (QBuffer): ReadOnly device");
            const bool done = format == Format::Text ? ResultsExport::WriteText(buffer, ticked, false)
                : format == Format::Csv              ? ResultsExport::WriteCsv(buffer, ticked, false, false)
                                                     : ResultsExport::WriteXml(buffer, ticked, false, false, Now);
            QVERIFY2(!done, qPrintable(QString::number(format)));
        }
    }

    void exportSlot_data()
    {
        QTest::addColumn<QVariant>("stored"); // "Action/ExportLastType" before; invalid: none
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("filterShown");
        QTest::addColumn<int>("format"); // written, and stored after

        const QString text = "Text (*.txt)", csv = "Excel, CSV (*.csv)", xml = "XML (*.xml)";
        QTest::newRow(".txt under the CSV filter") << QVariant(2) << "out.txt" << csv << 1;
        QTest::newRow(".TXT: the last format") << QVariant(2) << "out.TXT" << csv << 2;
        QTest::newRow("no suffix: the last format") << QVariant(3) << "out" << xml << 3;
        QTest::newRow(".xml under the CSV filter") << QVariant(2) << "out.xml" << csv << 3;
        QTest::newRow(".csv") << QVariant(1) << "out.csv" << text << 2;
        QTest::newRow("a dot in the folder only") << QVariant(1) << "a.xml/out" << text << 1;
        QTest::newRow("markup in the name") << QVariant(1) << "<i>&amp;.txt" << text << 1;
        QTest::newRow("nothing stored") << QVariant() << "out" << text << 1;
        QTest::newRow("stored 1") << QVariant(1) << "out" << text << 1;
        QTest::newRow("stored 0") << QVariant(0) << "out" << text << 1;
        QTest::newRow("stored -1") << QVariant(-1) << "out" << text << 1;
        QTest::newRow("stored 3") << QVariant(3) << "out" << xml << 3;
        QTest::newRow("stored 4") << QVariant(4) << "out" << xml << 3;
        QTest::newRow("stored 7") << QVariant(7) << "out" << xml << 3;
        QTest::newRow("stored text") << QVariant("csv") << "out" << text << 1;
    }

    // The dialog as asked, the format by the suffix, the settings and the closing box after the file is in place.
    void exportSlot()
    {
        QFETCH(QVariant, stored);
        QFETCH(QString, fileName);
        QFETCH(int, format);
        const TempSettings settings;
        if (stored.isValid())
            settings.store()->setValue("Action/ExportLastType", stored);
        settings.store()->setValue("Action/ExportLastFile", "/earlier/picks.csv");
        QTemporaryDir folder;
        const QString path = folder.filePath(fileName);
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        TickedMarkets results;
        QMarket* market = results.add("1.9", 7, R"({"venue": "Ayr"})", "5f Hcap", "2026-07-01T12:00:00Z", { "91:Quick" });
        results.values(market, { 200, 1.1, 0.9 });
        results.values(TickedMarkets::runner(market, 0), { 0.5, 3, 3.1, 0, 0, 0 });
        results.tick(market, 0);
        QSignalSpy done(&results.view, &QSearcher::ActionDone);
        SaveDialog user(path);

        results.view.Export(true, true, true);

        QCOMPARE(done.count(), 1);
        QVERIFY(user.request.has_value());
        QCOMPARE(user.request->parent, static_cast<QWidget*>(&results.view));
        QCOMPARE(user.request->caption, "Where to save the file to?");
        QCOMPARE(user.request->directory, "/earlier/picks.csv");
        QCOMPARE(user.request->filter, "Text (*.txt);;Excel, CSV (*.csv);;XML (*.xml)");
        QCOMPARE(user.request->selectedFilter, FETCH(QString, filterShown));
        QCOMPARE(user.boxes, QStringList { "Information: File '" + path.toHtmlEscaped() + " saved" });
        QCOMPARE(settings.store()->value("Action/ExportLastType"), QVariant(format));
        QCOMPARE(settings.store()->value("Action/ExportLastFile").toString(), path);

        const QByteArray expected[] = { {},
            Bom + "[9] Quick\n",
            Bom + CsvTitles + R"(,"Volume","Market Volume","Back Price","Lay Price","Far SP","Near SP","Actual SP","Back Book","Lay Book")"
                + "\n" + R"("Horse Racing → Ayr → 5f Hcap","1.9","Wed Jul 1 12:00:00 2026","91","1","Quick","100","200","3","3.1","0","0","0","110","90")" + "\n",
            "\n" + QByteArray(R"(<market id="1.9" name="Horse Racing → Ayr → 5f Hcap" time="Wed Jul 1 12:00:00 2026" selections="1" backBook="110" layBook="90" volume="200">)") + "\n\t"
                + R"(<selection id="91" index="1" backPrice="3" layPrice="3.1" farSP="0" nearSP="0" actualSP="0" volume="100"><![CDATA[Quick]]></selection>)"
                + "\n</market>\n</markets>" };
        const QByteArray content = contentOf(path);
        if (format == Format::Xml) {
            // Stamped with the time of the export.
            QVERIFY(content.startsWith(Bom + "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<markets timestamp=\""));
            QVERIFY2(content.endsWith(expected[format]), content.constData());
        } else {
            QCOMPARE(content, expected[format]);
        }
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), fileName.contains('/') ? 0 : 1);
    }

    void cancelledDialog()
    {
        const TempSettings settings;
        settings.store()->setValue("Action/ExportLastType", 2);
        Fixture results;
        QSignalSpy done(&results.view, &QSearcher::ActionDone);
        SaveDialog user { QString() };
        results.view.Export(false, false, false);
        QCOMPARE(user.asked, 1);
        QCOMPARE(done.count(), 1);
        QCOMPARE(user.boxes, QStringList());
        QCOMPARE(settings.store()->allKeys(), QStringList { "Action/ExportLastType" });
    }

    void failures_data()
    {
        QTest::addColumn<QString>("target"); // in a folder of its own
        QTest::addColumn<int>("folderMode"); // 0: a full disk
        QTest::addColumn<bool>("nobody"); // as a user who is not root
        QTest::addColumn<int>("fileMode"); // 0: the target is a folder
        QTest::addColumn<QString>("reason");

        QTest::newRow("a folder") << "picks.txt" << 0755 << false << 0 << "Filename refers to a directory";
        QTest::newRow("a full disk") << "picks.xml" << 0 << false << 0644 << "File too large";
        QTest::newRow("a read-only folder") << "picks.csv" << 0555 << true << 0666 << "Permission denied";
        QTest::newRow("a read-only file, markup in its name")
            << "<b>&.txt" << 0755 << true << 0444 << "Existing file %1 is not writable";
    }

    // Nothing is lost: the old file and the settings stay as they were, and the box says why.
    void failures()
    {
        QFETCH(QString, target);
        QFETCH(int, folderMode);
        QFETCH(bool, nobody);
        QFETCH(int, fileMode);
        const TempSettings settings;
        settings.store()->setValue("Action/ExportLastType", 2);
        settings.store()->setValue("Action/ExportLastFile", "/earlier/picks.csv");
        QTemporaryDir base;
        chmod(QFile::encodeName(base.path()).constData(), 0755);
        const QString folder = base.filePath("out"), path = folder + "/" + target;
        QVERIFY(QDir().mkpath(folder));
        if (fileMode == 0) {
            QVERIFY(QDir().mkpath(path));
            writeFile(path + "/inside", "kept");
        } else {
            writeFile(path, "old content", fileMode);
        }
        chmod(QFile::encodeName(folder).constData(), mode_t(folderMode ? folderMode : 0755));
        Fixture results;
        QSignalSpy done(&results.view, &QSearcher::ActionDone);
        SaveDialog user(path);
        {
            std::optional<Unprivileged> asNobody;
            std::optional<FileSizeLimit> limit;
            if (nobody)
                asNobody.emplace();
            if (folderMode == 0)
                limit.emplace();
            results.view.Export(true, true, false);
        }
        chmod(QFile::encodeName(folder).constData(), 0755);

        QCOMPARE(done.count(), 1);
        QCOMPARE(user.boxes,
            QStringList { "Critical: Unable to save file: " + FETCH(QString, reason).replace("%1", path).toHtmlEscaped() });
        QCOMPARE(user.topics, "SaveFile");
        if (fileMode == 0)
            QCOMPARE(contentOf(path + "/inside"), "kept");
        else
            QCOMPARE(contentOf(path), "old content");
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList { target });
        QCOMPARE(settings.store()->value("Action/ExportLastType").toInt(), 2);
        QCOMPARE(settings.store()->value("Action/ExportLastFile").toString(), "/earlier/picks.csv");
    }
};

QTEST_MAIN(tst_Export)
#include "tst_export.moc"
