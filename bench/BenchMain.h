#pragma once

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QtGlobal>

#include <cstdio>

// What every benchmark binary's main() does around its own set-up.
namespace benchmain {

// Makes the folders the run's environment names that do not exist yet (the runtime folder
// readable by its owner only), before anything looks for them: a program that finds its
// runtime, settings or temporary folder missing falls back elsewhere or gives up, and a whole
// benchmark would then report nothing.
inline void makeNamedFolders()
{
    for (const char *name : {"XDG_RUNTIME_DIR", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "TMPDIR"}) {
        const QString folder = qEnvironmentVariable(name);
        if (folder.isEmpty() || QDir(folder).exists())
            continue;
        if (!QDir().mkpath(folder)) {
            std::fprintf(stderr, "%s names %s, which could not be made\n", name, qPrintable(folder));
            continue;
        }
        if (qstrcmp(name, "XDG_RUNTIME_DIR") == 0)
            QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
}

// Views draw offscreen unless the run chose a platform (a display for end-to-end runs).
inline void drawOffscreenUnlessChosen()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Runs the benchmarks the command line names (all by default).
inline int runBenchmarks(int &argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace benchmain
