#include "ConditionIds.h"
#include "QSearcher.h"
#include "SearchFilter.h"

#include <QJsonDocument>
#include <QtTest>

namespace {

QJsonObject json(const char* text)
{
    return QJsonDocument::fromJson(text).object();
}

} // namespace

// Every number and text condition of a search goes through these two tests.
class tst_Matching : public QObject
{
    Q_OBJECT

private slots:
    void matchNumber_data()
    {
        QTest::addColumn<QJsonObject>("condition");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("expected");

        const QJsonObject range = json(R"({"from": 2, "to": 5})");
        const QJsonObject outside = json(R"({"from": 2, "to": 5, "invert": true})");
        for (const auto& [value, inside] :
            { std::pair { 1.99, false }, { 2.0, true }, { 3.5, true }, { 5.0, true }, { 5.01, false } }) {
            QTest::addRow("2..5 holds %g", value) << range << value << inside;
            QTest::addRow("outside 2..5, %g", value) << outside << value << !inside;
        }
        // The forms the condition rows write for "Is between" and "Is outside".
        const QJsonObject between = SearchFilter::NumberCondition(NumberComparison::Between, {}, 2, 5, false, {});
        const QJsonObject written = SearchFilter::NumberCondition(NumberComparison::Outside, {}, 2, 5, true, {});
        QTest::newRow("written between, lower bound") << between << 2.0 << true;
        QTest::newRow("written outside, lower bound") << written << 2.0 << false;
        QTest::newRow("written outside, upper bound") << written << 5.0 << false;
        QTest::newRow("written outside, past the upper bound") << written << 5.01 << true;

        QTest::newRow("empty object is 0..0, 0") << QJsonObject() << 0.0 << true;
        QTest::newRow("empty object is 0..0, 0.01") << QJsonObject() << 0.01 << false;
        QTest::newRow("inverted empty object, 0") << json(R"({"invert": true})") << 0.0 << false;
        QTest::newRow("inverted empty object, -1") << json(R"({"invert": true})") << -1.0 << true;
        QTest::newRow("missing from reads 0") << json(R"({"to": 5})") << -0.5 << false;

        const QJsonObject list = json(R"({"list": [1, 2, 3]})");
        const QJsonObject notInList = json(R"({"list": [1, 2, 3], "invert": true})");
        QTest::newRow("list holds 2") << list << 2.0 << true;
        QTest::newRow("list lacks 2.5") << list << 2.5 << false;
        QTest::newRow("inverted list, 2.5") << notInList << 2.5 << true;
        QTest::newRow("inverted list, 2") << notInList << 2.0 << false;
        QTest::newRow("empty inverted list") << json(R"({"list": [], "invert": true})") << 42.0 << true;
        QTest::newRow("empty list") << json(R"({"list": []})") << 0.0 << false;
        QTest::newRow("a text in the list is no number") << json(R"({"list": ["2"]})") << 2.0 << false;
        QTest::newRow("written list")
            << SearchFilter::NumberCondition(NumberComparison::InList, {}, 0, 0, false, { "1.5", "7" }) << 7.0
            << true;
        QTest::newRow("written list, not in it")
            << SearchFilter::NumberCondition(NumberComparison::NotInList, {}, 0, 0, true, { "1.5", "7" }) << 1.5
            << false;
        // A "list" that is no array leaves the range form.
        QTest::newRow("string list is 0..0, 0") << json(R"({"list": "1,2"})") << 0.0 << true;
        QTest::newRow("string list is 0..0, 1") << json(R"({"list": "1,2"})") << 1.0 << false;
        QTest::newRow("string list beside bounds") << json(R"({"list": "1", "from": 1, "to": 3})") << 2.0 << true;
    }

    void matchNumber()
    {
        QFETCH(QJsonObject, condition);
        QFETCH(double, value);
        QFETCH(bool, expected);
        QCOMPARE(QSearcher::MatchNumber(condition, value), expected);
    }

    void matchText_data()
    {
        QTest::addColumn<QJsonObject>("condition");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("expected");

        const QJsonObject equal = json(R"({"text": "Rovers"})");
        const QJsonObject notEqual = json(R"({"text": "Rovers", "invert": true})");
        QTest::newRow("equal, lower case") << equal << "rovers" << true;
        QTest::newRow("equal, upper case") << equal << "ROVERS" << true;
        QTest::newRow("equal, longer name") << equal << "Rovers Reserves" << false;
        QTest::newRow("not equal, lower case") << notEqual << "rovers" << false;
        QTest::newRow("not equal, longer name") << notEqual << "Rovers Reserves" << true;

        QTest::newRow("contains") << json(R"({"text": "ove", "contains": true})") << "Glen Rovers" << true;
        QTest::newRow("contains, absent") << json(R"({"text": "ove", "contains": true})") << "Glen Rangers" << false;
        QTest::newRow("does not contain")
            << json(R"({"text": "ove", "contains": true, "invert": true})") << "Glen Rovers" << false;
        QTest::newRow("does not contain, absent")
            << json(R"({"text": "ove", "contains": true, "invert": true})") << "Glen Rangers" << true;

        const QJsonObject starts = json(R"({"text": "fc", "start": true})");
        const QJsonObject ends = json(R"({"text": "fc", "start": true, "invert": true})");
        QTest::newRow("starts with") << starts << "FC Wanderers" << true;
        QTest::newRow("starts with, at the end") << starts << "Wanderers FC" << false;
        QTest::newRow("ends with") << ends << "Wanderers FC" << true;
        QTest::newRow("ends with, at the start") << ends << "FC Wanderers" << false;
        QTest::newRow("start before contains")
            << json(R"({"text": "ove", "start": true, "contains": true})") << "Glen Rovers" << false;

        // The forms the condition rows write.
        QTest::newRow("written contains")
            << SearchFilter::TextMatch(TextComparison::Contains, "ove") << "GLEN ROVERS" << true;
        QTest::newRow("written not contains")
            << SearchFilter::TextMatch(TextComparison::NotContains, "ove") << "Glen Rovers" << false;
        QTest::newRow("written starts with")
            << SearchFilter::TextMatch(TextComparison::StartsWith, "fc") << "Wanderers FC" << false;
        QTest::newRow("written ends with")
            << SearchFilter::TextMatch(TextComparison::EndsWith, "fc") << "Wanderers FC" << true;

        const QJsonObject list = json(R"({"text": {"list": ["Home", "Away"]}})");
        const QJsonObject notInList = json(R"({"text": {"list": ["Home", "Away"], "invert": true}})");
        QTest::newRow("text list") << list << "home" << true;
        QTest::newRow("text list, absent") << list << "Draw" << false;
        QTest::newRow("inverted text list") << notInList << "home" << false;
        QTest::newRow("inverted text list, absent") << notInList << "Draw" << true;
        QTest::newRow("empty text list") << json(R"({"text": {"list": []}})") << "" << false;
        QTest::newRow("empty inverted text list") << json(R"({"text": {"list": [], "invert": true}})") << "x" << true;
        QTest::newRow("invert beside text leaves a list alone")
            << json(R"({"text": {"list": ["Home"]}, "invert": true})") << "Home" << true;
        QTest::newRow("written list, not in it")
            << QJsonObject { { "text", SearchFilter::TextList({}, true, { "Home", "Away" }) } } << "AWAY" << false;
        QTest::newRow("list object without a list") << json(R"({"text": {"invert": true}})") << "x" << false;

        QTest::newRow("a number as text") << json(R"({"text": 5})") << "5" << false;
        QTest::newRow("no text") << json(R"({"contains": true})") << "" << false;

        QTest::newRow("Cyrillic, equal") << json(R"({"text": "динамо"})") << "ДИНАМО" << true;
        QTest::newRow("Cyrillic, contains") << json(R"({"text": "ЁЖ", "contains": true})") << "ёжик" << true;
        QTest::newRow("accented, starts with")
            << json(R"({"text": "atlético", "start": true})") << "ATLÉTICO Madrid" << true;
        QTest::newRow("accent is a letter of its own") << json(R"({"text": "atletico"})") << "Atlético" << false;
    }

    void matchText()
    {
        QFETCH(QJsonObject, condition);
        QFETCH(QString, value);
        QFETCH(bool, expected);
        QCOMPARE(QSearcher::MatchText(condition, value), expected);
    }
};

QTEST_GUILESS_MAIN(tst_Matching)
#include "tst_matching.moc"
