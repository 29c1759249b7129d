#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <ctime>
#include <sys/types.h>

// The files of the history as this run holds them: the database, its log and the log's index,
// each known by its identity on disk (device and inode) and by the size this run's own last open,
// commit or close left it at.
//
// The path alone says nothing: a file deleted, renamed away or moved over is another file at the
// same name, and one cut short, made unreadable, or a log and an index no longer made for each
// other, is the same file with what another program made of it. Either way it is no longer the
// history this run holds, and its log must not be applied over it: every connection lets go without
// folding the log in, whatever is not this run's own is set aside whole beside the path, and a
// fresh file is written from what the run holds. (SQLite programs beside the run may write the
// files too, so their times and contents alone tell nothing.)
class HeldHistoryFiles {
public:
    explicit HeldHistoryFiles(QString databasePath);

    // After this run opened the database, committed to it or closed it: what is at the path now is
    // its own.
    void noteOwnState();
    // Forgets what was noted: the next open takes the files at the path as they are.
    void forget();
    // Empty while the files at the path are the ones noted (or nothing was noted yet); else what
    // happened to which, for the log.
    QString change() const;
    // With every connection closed and nothing folded in: sets aside whole what is at the path and
    // is not this run's own, removes this run's own log and index where the database they belong
    // to is no longer at the path, and forgets what was noted. Where the files went.
    QStringList letGo(const QString &asideBase);

private:
    enum class File { Database,
                      Log,
                      Index };
    struct Noted {
        bool present = false;
        dev_t device = 0;
        ino_t inode = 0;
        // {-1, -1} when the owner may not read and write it.
        timespec changed{};
        off_t size = 0;
    };
    enum class State { Held,
                       Missing,
                       Replaced,
                       Changed };
    QString pathOf(File file) const;
    static Noted look(const QString &path);
    State stateOf(File file) const;
    // Whether the index at the path was made for the log at the path.
    bool indexFollowsLog() const;

    QString m_databasePath;
    bool m_noted = false;
    std::array<Noted, 3> m_files{};
};
