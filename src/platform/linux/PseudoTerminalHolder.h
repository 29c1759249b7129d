#pragma once

#include <QString>
#include <QtGlobal>

// Tells a terminal emulator by what it does rather than by its name: it holds the master side of
// a pseudo-terminal open, which the program running in it reads and writes as its terminal.
// Whatever the user calls the window (xterm -class Foo), its process is that holder.
class PseudoTerminalHolder {
public:
    // Whether the process has /dev/ptmx open. A process that is gone, belongs to another user
    // (its descriptors cannot be read) or has no such descriptor is none.
    static bool holdsMaster(qint64 pid);
    // The same under another root for /proc (tests).
    static bool holdsMaster(qint64 pid, const QString &procRoot);
};
