// Tarnel as a user installs it: `cmake --install` into the per-user prefix lays down files that
// the desktop's own validators accept, the installed program runs from there with no build folder
// around it, and launch at login names that installed program.
#include <gtest/gtest.h>

#include "platform/linux/LinuxLoginItem.h"

#include <QSvgRenderer>

#include "X11TestSupport.h"

using namespace x11test;

namespace {

// Copying the program is the slow part of an install; a loaded machine may take a while.
constexpr int kInstallMs = 60000;

// A tool run to its end with its output (error output included); its exit code, -1 when it did
// not run or end.
int runTool(const QString &program, const QStringList &arguments, QByteArray *output = nullptr, int ms = 10000)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted(5000) || !process.waitForFinished(ms)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    if (output)
        *output = process.readAll();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// The per-user prefix inside this test's own home, installed once for the whole binary.
QString prefix() { return qEnvironmentVariable("HOME") + QStringLiteral("/.local"); }
QString installedProgram() { return prefix() + QStringLiteral("/bin/tarnel"); }
QString autostartEntry() { return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/autostart/tarnel.desktop"); }

bool install(QByteArray *output)
{
    static QByteArray log;
    static const int result = runTool(QStringLiteral(TARNEL_CMAKE_COMMAND),
                                      {"--install", QStringLiteral(TARNEL_BUILD_DIR), "--prefix", prefix()}, &log, kInstallMs);
    *output = log;
    return result == 0;
}

// The program named by the Exec= line of a desktop entry.
QString execProgramOf(const QString &entryPath)
{
    QFile file(entryPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray &line : file.readAll().split('\n'))
        if (line.startsWith("Exec="))
            return LinuxLoginItem::execProgram(QString::fromUtf8(line.mid(5)));
    return {};
}

bool isExecutableFile(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

// Run from the home folder, so nothing is found by being started inside the build.
void leaveTheBuildFolder() { QDir::setCurrent(qEnvironmentVariable("HOME")); }

void keys(const QStringList &names) { xdotool(QStringList{"key", "--delay", "60"} + names); }

} // namespace

TEST(InstalledProgram, LaysDownTheProgramAndDesktopFilesThatTheDesktopsValidatorsAccept)
{
    QByteArray output;
    ASSERT_TRUE(install(&output)) << output.constData();

    EXPECT_TRUE(isExecutableFile(installedProgram()));
    const QString entry = prefix() + QStringLiteral("/share/applications/tarnel.desktop");
    const QString icon = prefix() + QStringLiteral("/share/icons/hicolor/scalable/apps/tarnel.svg");
    const QString metainfo = prefix() + QStringLiteral("/share/metainfo/tarnel.metainfo.xml");

    EXPECT_EQ(runTool(QStringLiteral("desktop-file-validate"), {entry}, &output), 0) << output.constData();
    EXPECT_TRUE(output.trimmed().isEmpty()) << "no warnings either: " << output.constData();
    EXPECT_EQ(runTool(QStringLiteral("appstreamcli"), {"validate", "--no-net", metainfo}, &output), 0) << output.constData();

    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const char *line : {"Name=Tarnel", "Exec=tarnel", "Icon=tarnel", "Categories=Utility;", "StartupNotify=false"})
        EXPECT_TRUE(lines.contains(line)) << line;
    const auto hasKey = [&lines](const QByteArray &key) {
        return std::any_of(lines.begin(), lines.end(), [&key](const QByteArray &line) { return line.startsWith(key + '='); });
    };
    EXPECT_TRUE(hasKey("Comment") && hasKey("Comment[sk]")) << "an English and a Slovak comment";

    EXPECT_TRUE(QSvgRenderer(icon).isValid()) << "the icon is a drawable SVG";
    QFile metadata(metainfo);
    ASSERT_TRUE(metadata.open(QIODevice::ReadOnly));
    const QByteArray xml = metadata.readAll();
    EXPECT_TRUE(xml.contains("<launchable type=\"desktop-id\">tarnel.desktop</launchable>")) << "it names the entry installed";
    EXPECT_TRUE(xml.contains("<summary xml:lang=\"sk\">") && xml.contains("<p xml:lang=\"sk\">")) << "in Slovak too";
    EXPECT_TRUE(xml.contains("<screenshot type=\"default\">"));

    // The manifest the README's uninstall reads lists every installed file.
    QFile manifest(QStringLiteral(TARNEL_BUILD_DIR "/install_manifest.txt"));
    ASSERT_TRUE(manifest.open(QIODevice::ReadOnly));
    const QList<QByteArray> installed = manifest.readAll().trimmed().split('\n');
    for (const QString &path : {installedProgram(), entry, icon, metainfo})
        EXPECT_TRUE(installed.contains(path.toUtf8())) << path.toStdString();
}

TEST(InstalledProgram, StartsAwayFromTheBuildFolderShowsItsPanelAndReadsNothingFromTheBuild)
{
    QByteArray output;
    ASSERT_TRUE(install(&output)) << output.constData();
    leaveTheBuildFolder();
    writeSettings(R"({"tarnel.onboardingComplete": true})");
    movePointer(QPoint(960, 900));

    Program tarnel(installedProgram());
    ASSERT_TRUE(waitForPanel()) << tarnel.errorOutput().constData();
    // Every file the program has mapped (libraries, fonts, icon themes) comes from the system or
    // the prefix, none from the source or build folders.
    QFile maps(QStringLiteral("/proc/%1/maps").arg(tarnel.pid()));
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    const QByteArray mapped = maps.readAll();
    EXPECT_FALSE(mapped.contains(TARNEL_BUILD_DIR));
    EXPECT_FALSE(mapped.contains(TARNEL_SOURCE_DIR "/"));
}

TEST(InstalledProgram, LaunchAtLoginTurnedOnInTheInstalledProgramStartsItAndOutlivesAMovedProgram)
{
    QByteArray output;
    ASSERT_TRUE(install(&output)) << output.constData();
    leaveTheBuildFolder();
    QFile::remove(autostartEntry());
    writeSettings("{}");
    movePointer(QPoint(960, 900));
    {
        Program tarnel(installedProgram());
        const std::optional<Window> guide = waitForRole("tarnel-onboarding");
        ASSERT_TRUE(guide) << tarnel.errorOutput().constData();
        ASSERT_TRUE(waitForActive(tarnel.pid()));
        ASSERT_TRUE(waitForKeyboard(*guide));
        // Past the welcome, permissions and screenshots steps, the preferences step starts on the
        // notch; after the two display modes, two looks, two languages, recording and the Paste
        // Stack's repeat comes launch at login.
        keys({"Return", "Return", "Return"});
        keys({"Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "space"});
        ASSERT_TRUE(QTest::qWaitFor([] { return QFile::exists(autostartEntry()); })) << tarnel.errorOutput().constData();
        EXPECT_EQ(execProgramOf(autostartEntry()), installedProgram());
        EXPECT_TRUE(isExecutableFile(execProgramOf(autostartEntry())));
    }

    // An entry left naming a program that is gone (a build folder removed since) is written
    // again by the next start for the program that runs.
    QFile entry(autostartEntry());
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly | QIODevice::Truncate));
    entry.write("[Desktop Entry]\nType=Application\nName=Tarnel\nExec=\"/nonexistent/build-test/src/tarnel\"\n");
    entry.close();
    writeSettings(R"({"tarnel.onboardingComplete": true})");
    Program tarnel(installedProgram());
    EXPECT_TRUE(QTest::qWaitFor([] { return execProgramOf(autostartEntry()) == installedProgram(); }))
        << tarnel.errorOutput().constData();
    EXPECT_TRUE(QTest::qWaitFor([&] { return tarnel.errorOutput().contains("no longer exists"); }))
        << "the log says so: " << tarnel.errorOutput().constData();
}
