#include "platform/linux/LinuxScreenshotLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// Expands the "$HOME/..." form of user-dirs.dirs; other values must be absolute paths.
QString expandUserDir(QString value, const QString &home)
{
    if (value.startsWith(QLatin1String("$HOME")))
        value = home + value.mid(5);
    else if (value.startsWith(QLatin1String("${HOME}")))
        value = home + value.mid(7);
    else if (value.startsWith(QLatin1Char('~')))
        value = home + value.mid(1);
    if (!QDir::isAbsolutePath(value))
        return QString();
    return QDir::cleanPath(value);
}

// The value of XDG_PICTURES_DIR in a user-dirs.dirs file: lines of the form
// XDG_PICTURES_DIR="$HOME/Pictures", comments starting with '#'.
QString picturesFromUserDirs(const QString &file, const QString &home)
{
    // A named pipe in the file's place would keep the read waiting for a writer.
    if (!QFileInfo(file).isFile())
        return QString();
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    // The file is a few lines; a huge one is not a user-dirs file.
    constexpr qint64 kMaxUserDirsBytes = 64 * 1024;
    const QList<QByteArray> lines = in.read(kMaxUserDirsBytes).split('\n');
    QString found;
    for (const QByteArray &raw : lines) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1Char('#')) || !line.startsWith(QLatin1String("XDG_PICTURES_DIR")))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0 || line.left(eq).trimmed() != QLatin1String("XDG_PICTURES_DIR"))
            continue;
        QString value = line.mid(eq + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
            value = value.mid(1, value.size() - 2);
        found = expandUserDir(value, home); // the last assignment wins, as in a shell
    }
    return found;
}

bool isFolder(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

} // namespace

LinuxScreenshotLocation::LinuxScreenshotLocation(QProcessEnvironment environment)
    : m_environment(std::move(environment))
{
}

QString LinuxScreenshotLocation::home() const
{
    const QString home = m_environment.value(QStringLiteral("HOME"));
    return QDir::cleanPath(home.isEmpty() ? QDir::homePath() : home);
}

QString LinuxScreenshotLocation::picturesFolder() const
{
    const QString home = this->home();
    QString pictures;
    const QString fromEnvironment = m_environment.value(QStringLiteral("XDG_PICTURES_DIR"));
    if (!fromEnvironment.isEmpty()) {
        pictures = expandUserDir(fromEnvironment, home);
    } else {
        QString configHome = m_environment.value(QStringLiteral("XDG_CONFIG_HOME"));
        if (configHome.isEmpty() || !QDir::isAbsolutePath(configHome))
            configHome = home + QStringLiteral("/.config");
        pictures = picturesFromUserDirs(configHome + QStringLiteral("/user-dirs.dirs"), home);
    }
    if (pictures == home)
        return QString();
    return pictures;
}

QString LinuxScreenshotLocation::screenshotFolder() const
{
    QString pictures = picturesFolder();
    // Without a configured folder, Qt's pictures location is the home's "Pictures".
    if (pictures.isEmpty())
        pictures = home() + QStringLiteral("/Pictures");
    const QString screenshots = pictures + QStringLiteral("/Screenshots");
    if (isFolder(screenshots))
        return screenshots;
    if (isFolder(pictures))
        return pictures;
    // Desktop screenshot tools make this folder with their first screenshot; the model makes
    // it as soon as the import is on, so that it can be watched from the start.
    return screenshots;
}

bool LinuxScreenshotLocation::makeScreenshotFolder() const
{
    return QDir().mkpath(screenshotFolder());
}
