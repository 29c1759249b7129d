#include "platform/linux/InstalledProgram.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

bool InstalledProgram::isInstalled(const QString &executable)
{
    const QFileInfo program(executable);
    if (!program.isFile() || !program.isExecutable())
        return false;
    return QFileInfo(desktopEntryBeside(executable)).isFile();
}

QString InstalledProgram::desktopEntryBeside(const QString &executable)
{
    return QDir::cleanPath(QFileInfo(executable).absoluteDir().filePath(QStringLiteral(TARNEL_INSTALL_ENTRY_FROM_BINDIR)));
}

QStringList InstalledProgram::candidates()
{
    QStringList found{QDir(QStringLiteral(TARNEL_INSTALL_FULL_BINDIR)).filePath(QStringLiteral("tarnel"))};
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("tarnel"));
    if (!onPath.isEmpty() && !found.contains(onPath))
        found << onPath;
    return found;
}

QString InstalledProgram::choose(const QString &running, const QStringList &candidates)
{
    const QString runningPath = QFileInfo(running).absoluteFilePath();
    if (isInstalled(runningPath))
        return runningPath;
    for (const QString &candidate : candidates)
        if (QFileInfo(candidate).isAbsolute() && isInstalled(candidate))
            return QDir::cleanPath(candidate);
    return runningPath;
}
