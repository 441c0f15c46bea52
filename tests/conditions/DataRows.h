#pragma once

#include <QtTest>

// Rows written as one text each, naming the row; its fields are the words, or parts between " | " ("-": empty).
inline void textRows(std::initializer_list<const char*> rows)
{
    QTest::addColumn<QString>("row");
    for (const char* row : rows)
        QTest::newRow(row) << QString(row);
}

inline QStringList fields(const QString& separator = " ")
{
    return QString(QTest::currentDataTag()).split(separator).replaceInStrings(QRegularExpression("^-$"), "");
}
