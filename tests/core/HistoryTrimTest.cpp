#include "core/HistoryTrim.h"

#include <gtest/gtest.h>

#include <QTimeZone>

namespace {

const QDateTime kNow(QDate(2026, 3, 1), QTime(12, 0), QTimeZone::utc());

// Compact history notation: one letter per entry, newest first; "p" after the letter pins it,
// "x" makes it expired (end time one second ago), "=" expires exactly now, "+" in the future.
QList<ClipboardEntry> history(const QStringList &items)
{
    QList<ClipboardEntry> entries;
    for (const QString &item : items) {
        ClipboardEntry entry;
        entry.id = item.left(1);
        entry.text = entry.id;
        entry.isPinned = item.contains(QLatin1Char('p'));
        if (item.contains(QLatin1Char('x')))
            entry.temporaryUntil = kNow.addSecs(-1);
        if (item.contains(QLatin1Char('=')))
            entry.temporaryUntil = kNow;
        if (item.contains(QLatin1Char('+')))
            entry.temporaryUntil = kNow.addSecs(1);
        entries.append(entry);
    }
    return entries;
}

QStringList ids(const QList<ClipboardEntry> &entries)
{
    QStringList out;
    for (const ClipboardEntry &entry : entries)
        out.append(entry.id);
    return out;
}

struct Case {
    const char *name;
    QStringList history;
    QSet<QString> stack;
    qint64 limit;
    QStringList kept;
};

TEST(HistoryTrim, ExpiresThenAppliesTheLimitWithPinsAndStackProtected)
{
    const Case cases[] = {
        {"expired goes", {"A", "Bx", "C"}, {}, 100, {"A", "C"}},
        {"end time equal to now is expired", {"A=", "B"}, {}, 100, {"B"}},
        {"stacked expired entry stays", {"Ax", "B"}, {"A"}, 100, {"A", "B"}},
        {"pinned temporary entry still expires", {"Apx", "B"}, {}, 100, {"B"}},
        {"limit 3 with a pin", {"A", "Bp", "C", "D", "E"}, {}, 3, {"A", "B", "C"}},
        {"more protected than the limit", {"Ap", "B", "Cp", "Dp", "E"}, {}, 2, {"A", "C", "D"}},
        {"limit 0 keeps only protected", {"A", "Bp", "C", "D"}, {"D"}, 0, {"B", "D"}},
        {"stack protects from the limit", {"A", "B", "C"}, {"C"}, 2, {"A", "C"}},
        {"expired entries free budget", {"Ax", "B", "C"}, {}, 2, {"B", "C"}},
        {"expired and over the limit, interleaved", {"A", "Bx", "C", "D", "Ex", "F"}, {}, 2, {"A", "C"}},
        {"a pin at the bottom", {"A", "B", "C", "Dp"}, {}, 2, {"A", "D"}},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(ids(HistoryTrim::trimmed(history(c.history), c.stack, c.limit, kNow)), c.kept) << c.name;
    }
}

} // namespace
