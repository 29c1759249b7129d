#include "platform/x11/LinuxSettingsStore.h"

#include "core/Logging.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QDirIterator>
#include <QStandardPaths>

#include <chrono>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A temporary file this old belongs to a write that was cut off (the writer was killed);
// younger ones may still be in use by another writer.
constexpr std::chrono::minutes kStaleTemporaryAge{10};

QString configHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

bool writeAll(int fd, const QByteArray &data)
{
    const char *p = data.constData();
    qint64 left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

} // namespace

LinuxSettingsStore::LinuxSettingsStore(QString filePath, Access access, qint64 maxFileBytes)
    : m_filePath(std::move(filePath))
    , m_access(access)
    , m_maxFileBytes(maxFileBytes)
{
}

QString LinuxSettingsStore::defaultPath()
{
    return configHome() + QStringLiteral("/Tarnel/defaults.json");
}

QString LinuxSettingsStore::earlierProductPath()
{
    return configHome() + QStringLiteral("/Quorvel/defaults.json");
}

LinuxSettingsStore::FileStamp LinuxSettingsStore::currentStamp() const
{
    struct stat st {};
    if (::stat(QFile::encodeName(m_filePath).constData(), &st) != 0)
        return {};
    return {true, S_ISREG(st.st_mode), st.st_dev, st.st_ino, static_cast<qint64>(st.st_size),
            static_cast<qint64>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

void LinuxSettingsStore::reloadIfChanged() const
{
    if (!m_loaded || currentStamp() != m_loadedStamp)
        load();
}

void LinuxSettingsStore::removeStaleTemporaries() const
{
    const QFileInfo info(m_filePath);
    const QString prefix = u'.' + info.fileName() + u'.';
    const QDateTime cutoff = QDateTime::currentDateTimeUtc().addSecs(
        -std::chrono::duration_cast<std::chrono::seconds>(kStaleTemporaryAge).count());
    QDirIterator it(info.absolutePath(), {prefix + QStringLiteral("??????")}, QDir::Files | QDir::Hidden);
    while (it.hasNext()) {
        const QFileInfo temp(it.next());
        if (temp.lastModified() < cutoff && QFile::remove(temp.filePath()))
            qCInfo(lcPlatform) << "removed a settings file left by an interrupted write:" << temp.fileName();
    }
}

void LinuxSettingsStore::load() const
{
    if (!m_loaded && m_access == Access::ReadWrite)
        removeStaleTemporaries();
    m_loaded = true;
    m_values = {};
    m_loadedStamp = currentStamp();
    if (!m_loadedStamp.exists)
        return;
    // Opening a named pipe for reading waits for a writer, which would hang the program at
    // start; a folder can never be replaced by a write. Neither is a settings file.
    if (!m_loadedStamp.regular) {
        setAsideUnreadableFile("not a regular file");
        return;
    }
    if (m_loadedStamp.size > m_maxFileBytes) {
        setAsideUnreadableFile("too large");
        return;
    }
    QFile file(m_filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcPlatform) << "settings file could not be read:" << m_filePath << file.errorString();
        return;
    }
    const QByteArray data = file.readAll();
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        setAsideUnreadableFile(error.error != QJsonParseError::NoError ? "not valid JSON" : "not a JSON object");
        return;
    }
    m_values = document.object();
}

// The unreadable file is kept under another name (owner-only, like the original), so that
// the next write, which starts from an empty domain, cannot destroy what it held.
void LinuxSettingsStore::setAsideUnreadableFile(const char *reason) const
{
    m_setAside = true;
    if (m_access == Access::ReadOnly) {
        qCWarning(lcPlatform).noquote() << "settings file" << m_filePath << "is" << reason << "; it is read as empty";
        return;
    }
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-hhmmss-zzz"));
    const QString aside = m_filePath + QStringLiteral(".unreadable-") + stamp;
    const bool regular = m_loadedStamp.regular;
    if (::rename(QFile::encodeName(m_filePath).constData(), QFile::encodeName(aside).constData()) == 0) {
        if (regular)
            ::chmod(QFile::encodeName(aside).constData(), S_IRUSR | S_IWUSR);
        qCWarning(lcPlatform).noquote() << "settings file" << m_filePath << "is" << reason
                                        << "; it was moved to" << aside << "and the settings start empty";
    } else {
        qCWarning(lcPlatform).noquote() << "settings file" << m_filePath << "is" << reason
                                        << "and could not be moved aside:" << std::strerror(errno);
    }
    m_loadedStamp = currentStamp();
}

bool LinuxSettingsStore::wasReadWhole() const
{
    reloadIfChanged();
    return !m_setAside;
}

std::optional<QJsonValue> LinuxSettingsStore::rawValue(const QString &key) const
{
    reloadIfChanged();
    const auto it = m_values.constFind(key);
    if (it == m_values.constEnd())
        return std::nullopt;
    return *it;
}

bool LinuxSettingsStore::setRawValue(const QString &key, const std::optional<QJsonValue> &value)
{
    if (m_access == Access::ReadOnly) {
        qCWarning(lcPlatform) << "settings file is read-only here; nothing was written:" << m_filePath;
        return false;
    }
    reloadIfChanged();
    QJsonObject next = m_values;
    if (value)
        next.insert(key, *value);
    else
        next.remove(key);
    if (!writeFile(next))
        return false;
    m_values = next;
    m_loadedStamp = currentStamp();
    return true;
}

bool LinuxSettingsStore::writeFile(const QJsonObject &values)
{
    const QFileInfo info(m_filePath);
    const QString dir = info.absolutePath();
    if (!QDir().mkpath(dir)) {
        qCWarning(lcPlatform) << "settings folder could not be created:" << dir;
        return false;
    }
    const QByteArray data = QJsonDocument(values).toJson(QJsonDocument::Compact);
    // The reader sets aside a file over the ceiling, and with it every setting: a value that
    // would take the file there is refused, and the file on disk stays as it was.
    if (data.size() > m_maxFileBytes) {
        qCWarning(lcPlatform) << "settings not written: the file would grow to" << data.size()
                              << "bytes, beyond what is read back;" << m_filePath << "is unchanged";
        return false;
    }
    QByteArray temp = QFile::encodeName(dir + QLatin1Char('/') + QLatin1Char('.') + info.fileName()
                                        + QStringLiteral(".XXXXXX"));
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        qCWarning(lcPlatform) << "settings file could not be written:" << m_filePath << std::strerror(errno);
        return false;
    }
    // mkostemp already creates the file for its owner only; fchmod keeps that true whatever
    // the umask did.
    const bool ok = ::fchmod(fd, S_IRUSR | S_IWUSR) == 0 && writeAll(fd, data) && ::fsync(fd) == 0;
    const int savedErrno = errno;
    ::close(fd);
    if (!ok || ::rename(temp.constData(), QFile::encodeName(m_filePath).constData()) != 0) {
        const int error = ok ? errno : savedErrno;
        ::unlink(temp.constData());
        qCWarning(lcPlatform) << "settings file could not be written:" << m_filePath << std::strerror(error);
        return false;
    }
    // The rename is durable only once the folder itself is synced.
    const int dirFd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}
