#include "platform/linux/InstalledProgram.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A program file, with the desktop entry an install lays down beside it when installed.
QString makeProgram(const QTemporaryDir &root, const QString &bin, bool installed, bool executable = true)
{
    const QString program = root.filePath(bin + QStringLiteral("/tarnel"));
    EXPECT_TRUE(writeFile(program, "#!/bin/sh\n"));
    QFile::setPermissions(program, executable ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                              : QFile::ReadOwner | QFile::WriteOwner);
    if (installed) {
        EXPECT_TRUE(writeFile(InstalledProgram::desktopEntryBeside(program), "[Desktop Entry]\n"));
    }
    return program;
}

TEST(InstalledProgram, TheLoginEntryNamesTheRunningProgramWhenInstalledElseAnInstalledOneElseTheRunningOne)
{
    QTemporaryDir root;
    const QString installedHere = makeProgram(root, "home/.local/bin", true);
    const QString build = makeProgram(root, "src/build-test/src", false);
    const QString installedElsewhere = makeProgram(root, "usr/local/bin", true);
    const QString bareProgram = makeProgram(root, "opt/bare/bin", false);
    const QString notExecutable = makeProgram(root, "opt/broken/bin", true, false);
    const QString gone = root.filePath("opt/gone/bin/tarnel");

    EXPECT_TRUE(InstalledProgram::isInstalled(installedHere));
    EXPECT_FALSE(InstalledProgram::isInstalled(build));
    EXPECT_FALSE(InstalledProgram::isInstalled(notExecutable));
    EXPECT_FALSE(InstalledProgram::isInstalled(gone));

    const struct {
        const char *name;
        QString running;
        QStringList candidates;
        QString expected;
    } cases[] = {
        {"installed and running", installedHere, {installedElsewhere}, installedHere},
        {"from the build, installed elsewhere", build, {bareProgram, notExecutable, gone, installedElsewhere},
         installedElsewhere},
        {"from the build, nothing installed", build, {bareProgram, notExecutable, gone}, build},
        {"from the build, no candidates", build, {}, build},
    };
    for (const auto &c : cases)
        EXPECT_EQ(InstalledProgram::choose(c.running, c.candidates), c.expected) << c.name;
}

} // namespace
