#include "platform/linux/LinuxScreenshotLocation.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <future>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Case {
    const char *name;
    QString environmentPictures; // XDG_PICTURES_DIR in the environment, "$HOME" stands for the home
    QString userDirsFile;        // content of $XDG_CONFIG_HOME/user-dirs.dirs, empty for none
    QStringList folders;         // folders created under the home
    QString expected;            // relative to the home
};

TEST(LinuxScreenshotLocation, PrefersScreenshotsThenPicturesThenTheScreenshotsFolderToMake)
{
    const Case cases[] = {
        {"screenshots subfolder of the pictures folder", "$HOME/Obrázky", "", {"Obrázky/Screenshots"},
         "Obrázky/Screenshots"},
        {"configured pictures folder missing", "$HOME/Obrázky", "", {}, "Obrázky/Screenshots"},
        {"nothing configured", "", "", {"Desktop"}, "Pictures/Screenshots"},
        {"nothing configured, ~/Pictures present", "", "", {"Pictures"}, "Pictures"},
        {"from user-dirs.dirs", "", "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Plocha\"\n"
                                    "XDG_PICTURES_DIR=\"$HOME/Pics\"\n",
         {"Pics/Screenshots"}, "Pics/Screenshots"},
        {"user-dirs.dirs switching the folder off", "", "XDG_PICTURES_DIR=\"$HOME/\"\n", {"Screenshots"}, "Pictures/Screenshots"},
        {"user-dirs.dirs relative path is not a folder", "", "XDG_PICTURES_DIR=\"Pics\"\n", {"Pics"}, "Pictures/Screenshots"},
        {"the environment wins over the file", "$HOME/Env", "XDG_PICTURES_DIR=\"$HOME/Pics\"\n", {"Env", "Pics"},
         "Env"},
    };
    for (const Case &c : cases) {
        QTemporaryDir temp;
        const QString home = temp.filePath(QStringLiteral("home"));
        const QString config = temp.filePath(QStringLiteral("config"));
        QDir().mkpath(home);
        QDir().mkpath(config);
        for (const QString &folder : c.folders)
            ASSERT_TRUE(QDir().mkpath(home + QLatin1Char('/') + folder)) << c.name;
        if (!c.userDirsFile.isEmpty()) {
            QFile file(config + QStringLiteral("/user-dirs.dirs"));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.userDirsFile.toUtf8());
        }
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("HOME"), home);
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        if (!c.environmentPictures.isEmpty()) {
            QString value = c.environmentPictures;
            environment.insert(QStringLiteral("XDG_PICTURES_DIR"), value.replace(QStringLiteral("$HOME"), home));
        }
        const QString expected = QDir::cleanPath(home + QLatin1Char('/') + c.expected);
        EXPECT_EQ(LinuxScreenshotLocation(environment).screenshotFolder(), expected) << c.name;
    }
}

TEST(LinuxScreenshotLocation, AUserDirsFileThatIsNoPlainFileIsPassedOverUnread)
{
    using namespace std::chrono_literals;
    QTemporaryDir temp;
    const QString home = temp.filePath(QStringLiteral("home"));
    const QString config = temp.filePath(QStringLiteral("config"));
    ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/Desktop")));
    ASSERT_TRUE(QDir().mkpath(config));
    const QByteArray pipe = QFile::encodeName(config + QStringLiteral("/user-dirs.dirs"));
    ASSERT_EQ(::mkfifo(pipe.constData(), 0600), 0);
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    // Off this thread, so that a read stuck on the pipe fails the test instead of hanging it.
    auto folder = std::async(std::launch::async, [environment] {
        return LinuxScreenshotLocation(environment).screenshotFolder();
    });
    if (folder.wait_for(10s) != std::future_status::ready) {
        // A writer that comes and goes lets the stuck read end.
        ::close(::open(pipe.constData(), O_WRONLY | O_NONBLOCK));
        folder.wait();
        FAIL() << "the screenshot location waited on the pipe";
    }
    EXPECT_EQ(folder.get(), home + QStringLiteral("/Pictures/Screenshots"));
}

} // namespace
