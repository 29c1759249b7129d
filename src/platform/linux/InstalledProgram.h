#pragma once

#include <QString>
#include <QStringList>

// Tells an installed Tarnel from one that runs where it was built. An installed program sits in
// the bin folder of a prefix whose data folder holds Tarnel's desktop entry (the layout that
// `cmake --install` lays down); a build folder has no such entry beside its program.
class InstalledProgram
{
public:
    static bool isInstalled(const QString &executable);
    // Where the install puts the desktop entry, seen from the program at executable.
    static QString desktopEntryBeside(const QString &executable);
    // Where an installed Tarnel may be: the prefix the build was configured for, then PATH.
    static QStringList candidates();
    // The program a login entry should start, as an absolute path: the running program when it
    // is installed, else the first installed candidate, else the running program. A build folder
    // comes and goes; an installed program stays where the desktop expects it.
    static QString choose(const QString &running, const QStringList &candidates);
};
