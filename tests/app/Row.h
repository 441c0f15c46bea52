#pragma once

#include <QtTest>

// One row of a data table: Row("tag", a, b) is QTest::newRow("tag") << a << b.
template<typename... Values>
void Row(const char* tag, const Values&... values)
{
    (QTest::newRow(tag) << ... << values);
}
