#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

// The Paste Stack's queue of entry ids: how it changes when the user adds, removes, drags and
// pastes. None of these puts an id in twice.
namespace PasteStackQueue {

// The queue with the id at the back; none when the id is already queued.
std::optional<QStringList> appended(const QStringList &queue, const QString &id);

// The queue without any occurrence of the id.
QStringList removed(const QStringList &queue, const QString &id);

// The queue with the id's first occurrence moved so that it ends up at `destination`; none when
// the id is absent or the destination is its current position or lies outside the queue.
std::optional<QStringList> moved(const QStringList &queue, const QString &id, qsizetype destination);

struct AfterPaste {
    QStringList queue;
    QSet<QString> consumed;
    // Whether the pasted id was marked as used up (the consumed set is then saved).
    bool marksConsumed = false;

    bool operator==(const AfterPaste &) const = default;
};

// What a paste-next leaves: without repeat the id leaves the queue and is used up; with repeat
// it moves to the back and stays available.
AfterPaste afterPaste(const QStringList &queue, const QSet<QString> &consumed, const QString &pastedID,
                      bool repeats);

} // namespace PasteStackQueue
