#pragma once

#include <QJsonObject>

class QDateTime;
struct RowCondition;

// Turns the rows of a search template, one at a time in row order, into the
// search filter object. Each row writes one key, a few related keys, or one
// entry of "sel"; a later row on the same key replaces the earlier value,
// except that lists continue the earlier list of their key. Building never
// fails: a value that is not a number counts as 0, and an id outside the
// vocabulary adds nothing (or a bare "sel" entry).
class FilterBuilder
{
public:
    FilterBuilder() = delete;

    // Adds row's condition to filter. now is the UTC moment the start-time
    // windows are measured from.
    static void Add(QJsonObject& filter, const RowCondition& row, const QDateTime& now);
};
