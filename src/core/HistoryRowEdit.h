#pragma once

#include <QtGlobal>

// Rows put into or taken out of the history, at `row` of the list as it stood just before;
// a list that mirrors the history row by row repeats these instead of comparing the lists.
struct HistoryRowEdit {
    enum class Kind {
        Inserted,
        Removed,
    };
    Kind kind = Kind::Inserted;
    qsizetype row = 0;
    qsizetype count = 0;
    bool operator==(const HistoryRowEdit &) const = default;
};
