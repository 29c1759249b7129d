#pragma once

#include <QList>

// A stored list read record by record. A record that cannot be read is skipped (and logged)
// so that the others survive; the counts tell the caller that the stored form lost something
// and should be kept aside before it is overwritten.
template <typename T>
struct DecodedList {
    QList<T> items;
    // Records that were present but could not be read.
    int skippedCount = 0;
    // The stored bytes were not a JSON array at all (syntax error, bad UTF-8, nesting too deep,
    // another top-level value); items is then empty.
    bool unreadable = false;

    bool isComplete() const { return !unreadable && skippedCount == 0; }
};
