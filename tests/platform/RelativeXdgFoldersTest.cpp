#include "core/ClipboardImageStore.h"
#include "platform/linux/LinuxInstanceLock.h"
#include "platform/linux/LinuxLoginItem.h"
#include "platform/linux/LinuxSettingsStore.h"
#include "platform/linux/SqliteHistoryStore.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace {

// Sets a variable for one row and puts back what it was.
class ScopedVariable {
public:
    ScopedVariable(const char *name, const QByteArray &value)
        : m_name(name)
    {
        if (qEnvironmentVariableIsSet(name))
            m_old = qgetenv(name);
        qputenv(name, value);
    }
    ~ScopedVariable()
    {
        if (m_old)
            qputenv(m_name, *m_old);
        else
            qunsetenv(m_name);
    }
    ScopedVariable(const ScopedVariable &) = delete;
    ScopedVariable &operator=(const ScopedVariable &) = delete;

private:
    const char *m_name;
    std::optional<QByteArray> m_old;
};

// A relative XDG path would name another folder from every working folder a start has, and with
// it another history and other settings: it is ignored, and the default below the home is used.
// An absolute one is used as it stands.
TEST(RelativeXdgFolders, ARelativeBaseFolderIsIgnoredForTheDefaultBelowTheHome)
{
    QTemporaryDir home;
    QTemporaryDir working;
    const ScopedVariable homeVariable("HOME", QFile::encodeName(home.path()));
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(working.path()));
    // Each relative name exists as a private folder under the working folder, as a folder that a
    // start from there would take.
    for (const char *folder : {"data", "config", "run"})
        ASSERT_TRUE(QDir(working.path()).mkdir(QString::fromLatin1(folder)));
    QFile::setPermissions(working.filePath(QStringLiteral("run")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString h = home.path();
    const QString absolute = working.filePath(QStringLiteral("absolute"));
    const struct {
        const char *variable;
        QByteArray value;
        const char *what;
        std::function<QString()> path;
        QString expected;
    } rows[] = {
        {"XDG_DATA_HOME", "data", "the history", &SqliteHistoryStore::defaultPath, h + "/.local/share/Tarnel/history.sqlite3"},
        {"XDG_DATA_HOME", "./data", "the image files", &ClipboardImageStore::defaultDirectoryPath,
         ClipboardImageStore::directoryPathIn(h + "/.local/share")},
        {"XDG_DATA_HOME", QFile::encodeName(absolute), "the history", &SqliteHistoryStore::defaultPath,
         absolute + "/Tarnel/history.sqlite3"},
        {"XDG_CONFIG_HOME", "config", "the settings", &LinuxSettingsStore::defaultPath, h + "/.config/Tarnel/defaults.json"},
        {"XDG_CONFIG_HOME", "config/", "the earlier product's settings", &LinuxSettingsStore::earlierProductPath,
         h + "/.config/Quorvel/defaults.json"},
        {"XDG_CONFIG_HOME", "config", "the autostart entry", &LinuxLoginItem::defaultEntryPath,
         h + "/.config/autostart/tarnel.desktop"},
        {"XDG_CONFIG_HOME", QFile::encodeName(absolute), "the settings", &LinuxSettingsStore::defaultPath,
         absolute + "/Tarnel/defaults.json"},
        // No default: the socket goes where a start without a runtime folder puts it.
        {"XDG_RUNTIME_DIR", "run", "the instance socket",
         [] { return QDir::isAbsolutePath(LinuxInstanceLock::defaultServerName()) ? QStringLiteral("absolute")
                                                                                  : LinuxInstanceLock::defaultServerName(); },
         QStringLiteral("absolute")},
    };
    for (const auto &row : rows) {
        const ScopedVariable variable(row.variable, row.value);
        EXPECT_EQ(row.path().toStdString(), row.expected.toStdString())
            << row.variable << "=" << row.value.constData() << ": " << row.what;
    }
    QDir::setCurrent(previous);
}

} // namespace
