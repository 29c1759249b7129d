#pragma once

#include <QString>

#include <optional>

struct sqlite3;

// What an open SQLite file holds, asked of it before the history is read from it or written into
// it: nothing at all yet, a Tarnel history, and whether its pages are whole.
class HistoryFileForm {
public:
    // The first column of the first row the query gives, 0 when none; nothing (with the reason)
    // when the file could not be asked.
    static std::optional<qint64> queryInteger(sqlite3 *db, const char *sql, QString *error);
    // Whether the open file holds nothing at all; nothing when it cannot be read.
    static std::optional<bool> isBlank(sqlite3 *db, QString *error);
    // False, with the reason, when the open file is not a Tarnel history that may be written. A
    // history written before files were marked is marked now.
    static bool isTarnelHistory(sqlite3 *db, const QString &path, QString *error);
    // False, with SQLite's answer, when a page of the file is damaged.
    static bool isWhole(sqlite3 *db, QString *problem);
    // Whether the file at the path (never followed if a link) is a Tarnel history whose rows can
    // be read, asked without writing a byte into it or beside it, whatever log lies beside it.
    static bool holdsReadableHistory(const QString &path);
};
