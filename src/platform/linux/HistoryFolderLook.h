#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <chrono>

class QFileSystemWatcher;
class QTimer;

// The look at the history's folder: the folder around it (where a deletion, a rename or a
// replacement of it shows), the folder itself and the history's database.
//
// It lives on a thread of its own, with every stat() its watch makes: a disk that hangs holds that
// thread, never the interface. It hears the kernel's folder events where it can have them; where
// the user's inotify instances are used up by other programs, it polls the paths every
// kPollInterval instead, and says so once.
class HistoryFolderLook : public QObject {
    Q_OBJECT

public:
    // How often the paths are looked at where no folder events can be had.
    static constexpr std::chrono::milliseconds kPollInterval{1000};

    // settle: how long a change is left to settle before due() comes, as a folder moved aside is
    // often followed at once by the one that replaces it; it counts from the first change, so
    // that a program that keeps touching the files (a reader beside the run) never puts the look
    // off for longer.
    HistoryFolderLook(QString folder, QString database, std::chrono::milliseconds settle);
    ~HistoryFolderLook() override;

    // On the look's thread: begins to watch.
    void start();
    // On the look's thread: due() within this time, unless it comes sooner anyway.
    void lookWithin(std::chrono::milliseconds time);
    bool polls() const { return m_polls; }

Q_SIGNALS:
    // On the look's thread, once: the paths are watched from now on. What changed since the run
    // became ready and before this is not seen as a change.
    void watching();
    // On the look's thread: a change seen has settled, or a look asked for is due. The paths are
    // watched again once it has been handled: the folder may have been made only then.
    void due();

private:
    void watch();
    void poll();
    // What a poll compares: of each path its own state and, of a folder, its entries.
    QList<QByteArray> state() const;

    QString m_folder;
    QString m_database;
    std::chrono::milliseconds m_settle;
    bool m_polls = false;
    QFileSystemWatcher *m_watch = nullptr;
    QTimer *m_poll = nullptr;
    QTimer *m_due = nullptr;
    QList<QByteArray> m_seen;
};
