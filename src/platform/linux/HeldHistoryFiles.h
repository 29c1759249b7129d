#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <ctime>
#include <sys/types.h>

// The files of the history as this run left them: the database, its log and the log's index, each
// known by its identity on disk (device and inode) and by the size the run's own last open, commit
// or close left it at.
//
// A path says nothing by itself: a file deleted, renamed away or moved over is another file under
// the same name, and SQLite goes on writing the one it has open. What tells is the identity, and,
// for the same file, what no SQLite connection of another program does to it: cut it shorter than
// the run's last commit left it, write into the database or its log (another history copied over
// it, as cp does), or take its owner's read and write bits. A new modification time alone tells
// nothing (a backup or sync tool sets the times of what it restored): a write is told by the bytes,
// against a digest of them noted whenever the run's own open, commit or close left the file at a
// new size or time. Readers beside the run write into the index, so that what is written into it
// tells nothing: an index is known by its identity alone.
class HeldHistoryFiles {
public:
    enum class File { Database,
                      Log,
                      Index };
    enum class State { Held,
                       Missing,
                       Replaced,
                       CutShort,
                       Overwritten,
                       Unreadable };

    explicit HeldHistoryFiles(QString databasePath);

    QString pathOf(File file) const;
    // After the run opened the database, committed to it, or closed its last connection (closedLast):
    // what is at the path now and was its own before is its own still, at its new size.
    void noteOwnState(bool closedLast = false);
    // Nothing noted: the next open takes the files at the path as they are.
    void forget();
    bool noted() const { return m_noted; }
    // Held while the file at the path is the one noted (or nothing was noted of it: a log or
    // index made since by a reader beside the run is taken as it is). A file that only got a new
    // time is held at that time from then on, so that its bytes are read once for it.
    State stateOf(File file) const;
    // Empty while every file is held; else what happened to which, for the log.
    QString change() const;
    // Whether only the mode changed: the files are still the run's own, and are made readable
    // again. Returns whether every file is held now.
    bool restoreOwnModes();
    // With every connection closed and nothing folded in: moves aside whole, under asideBase and
    // the file's suffix, what is at the path and is not the run's own; removes the run's own log
    // and index, which would otherwise be applied to whatever database comes next at the path;
    // keeps the database where it is still the run's own. Forgets what was noted. Where the files
    // went.
    QStringList letGo(const QString &asideBase);

private:
    struct Noted {
        bool present = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec modified{};
        bool ownerMayReadWrite = true;
        // The digest of the bytes at that size and time; empty for an index, or a file that
        // could not be read then.
        QByteArray content;
    };
    static Noted look(const QString &path);
    // The digest of what the file holds, read without following a link or waiting on a pipe;
    // empty when it cannot be read.
    QByteArray contentOf(File file) const;
    // now, as looked at, with the digest of its bytes: the one noted while its size and time are
    // the noted ones, read anew otherwise.
    Noted withContent(File file, Noted now, const Noted &noted) const;

    QString m_databasePath;
    bool m_noted = false;
    // A touch found while looking is taken in at once (see stateOf).
    mutable std::array<Noted, 3> m_files{};
};
