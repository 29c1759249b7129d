#include "platform/linux/LinuxSettingsStore.h"

#include "core/Logging.h"
#include "core/PrivateFiles.h"
#include "core/XdgFolders.h"

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
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A temporary file this old belongs to a write that was cut off (the writer was killed);
// younger ones may still be in use by another writer.
constexpr std::chrono::minutes kStaleTemporaryAge{10};

QString configHome()
{
    return XdgFolders::configHome();
}

bool isJsonSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The members of the file's top-level object, each read on its own: a value nested deeper than
// the JSON reader goes is left out, and only that one. Nothing when the file is no object.
std::optional<QJsonObject> membersReadOneByOne(const QByteArray &data)
{
    const qsizetype size = data.size();
    qsizetype i = 0;
    auto skipSpace = [&] {
        while (i < size && isJsonSpace(data.at(i)))
            ++i;
    };
    // From the opening quote to just past the closing one.
    auto skipString = [&] {
        for (++i; i < size; ++i) {
            if (data.at(i) == '\\')
                ++i;
            else if (data.at(i) == '"')
                return ++i <= size;
        }
        return false;
    };
    QJsonObject members;
    skipSpace();
    if (i >= size || data.at(i) != '{')
        return std::nullopt;
    ++i;
    for (;;) {
        skipSpace();
        if (i < size && data.at(i) == '}' && members.isEmpty())
            break;
        const qsizetype keyStart = i;
        if (i >= size || data.at(i) != '"' || !skipString())
            return std::nullopt;
        const QByteArray key = data.mid(keyStart, i - keyStart);
        skipSpace();
        if (i >= size || data.at(i) != ':')
            return std::nullopt;
        const qsizetype valueStart = ++i;
        int depth = 0;
        while (i < size) {
            const char c = data.at(i);
            if (c == '"') {
                if (!skipString())
                    return std::nullopt;
                continue;
            }
            if (c == '{' || c == '[')
                ++depth;
            else if ((c == '}' || c == ']') && depth-- == 0)
                break;
            else if (c == ',' && depth == 0)
                break;
            ++i;
        }
        if (i >= size || (data.at(i) != ',' && data.at(i) != '}'))
            return std::nullopt;
        const QJsonDocument member = QJsonDocument::fromJson('{' + key + ':' + data.mid(valueStart, i - valueStart) + '}');
        const QJsonObject read = member.object();
        for (auto it = read.constBegin(); it != read.constEnd(); ++it)
            members.insert(it.key(), it.value());
        if (data.at(i++) == '}')
            break;
    }
    skipSpace();
    return i == size ? std::optional<QJsonObject>(members) : std::nullopt;
}

} // namespace

LinuxSettingsStore::LinuxSettingsStore(QString filePath, Access access, qint64 maxFileBytes)
    : m_filePath(std::move(filePath))
    , m_access(access)
    , m_maxFileBytes(maxFileBytes)
{
    if (m_access == Access::ReadWrite)
        removeLeftTemporaries();
}

LinuxSettingsStore::~LinuxSettingsStore()
{
    if (m_heldFd >= 0)
        ::close(m_heldFd);
}

QString LinuxSettingsStore::defaultPath()
{
    return configHome() + QStringLiteral("/Tarnel/defaults.json");
}

QString LinuxSettingsStore::earlierProductPath()
{
    return configHome() + QStringLiteral("/Quorvel/defaults.json");
}

// The path itself, never what a link there points at: a link is no settings file of ours.
LinuxSettingsStore::FileStamp LinuxSettingsStore::currentStamp() const
{
    struct stat st {};
    if (::lstat(QFile::encodeName(m_filePath).constData(), &st) != 0)
        return {};
    return {true, S_ISREG(st.st_mode), st.st_dev, st.st_ino, static_cast<qint64>(st.st_size),
            static_cast<qint64>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

void LinuxSettingsStore::holdFile(int fd) const
{
    if (m_heldFd >= 0 && m_heldFd != fd)
        ::close(m_heldFd);
    m_heldFd = fd;
    struct stat st { };
    if (fd >= 0 && ::fstat(fd, &st) == 0)
        m_loadedStamp = {true, S_ISREG(st.st_mode), st.st_dev, st.st_ino, static_cast<qint64>(st.st_size),
                         static_cast<qint64>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

QString LinuxSettingsStore::lockPath() const
{
    const QFileInfo info(m_filePath);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".lock");
}

// A writer killed between making its temporary file and renaming it leaves the file behind. Every
// writer makes and renames its temporary under the lock: while nobody holds it, a temporary is
// left by one that ended. One at work now keeps it, and a later start takes it away.
void LinuxSettingsStore::removeLeftTemporaries() const
{
    const QFileInfo info(m_filePath);
    const QDir folder(info.absolutePath());
    // The name mkstemp gives: the file's own hidden name and six characters of its own.
    const QString pattern = QStringLiteral(".") + info.fileName() + QStringLiteral(".??????");
    QStringList left = folder.entryList({pattern}, QDir::Files | QDir::Hidden | QDir::System);
    left.removeAll(QFileInfo(lockPath()).fileName());
    if (left.isEmpty())
        return;
    const int fd = ::open(QFile::encodeName(lockPath()).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        for (const QString &name : std::as_const(left)) {
            const QByteArray path = QFile::encodeName(folder.filePath(name));
            struct stat st { };
            if (::lstat(path.constData(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid()
                && ::unlink(path.constData()) == 0)
                qCInfo(lcPlatform) << "removed a settings file a writer that ended left half written:" << name;
        }
    }
    ::close(fd);
}

int LinuxSettingsStore::lockForWriting() const
{
    const QFileInfo info(m_filePath);
    const QString path = lockPath();
    // The first write makes the folder; the lock file is in it.
    PrivateFiles::makeFolder(info.absolutePath());
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        qCWarning(lcPlatform) << "settings lock file could not be opened; written without it:" << path
                              << std::strerror(errno);
        return -1;
    }
    // Waited for in the kernel's queue: a writer that polled would lose every turn to one that
    // writes again and again, and write without the lock in the end. The lock is held only for
    // the moments of one write.
    int locked = -1;
    do {
        locked = ::flock(fd, LOCK_EX);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        qCWarning(lcPlatform) << "settings lock file could not be locked; written without it:" << path
                              << std::strerror(errno);
        ::close(fd);
        return -1;
    }
    return fd;
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
    if (!m_loaded && m_access == Access::ReadWrite) {
        // The names of the files here (set-aside ones too) are the owner's business alone.
        PrivateFiles::tightenFolder(QFileInfo(m_filePath).absolutePath());
        removeStaleTemporaries();
    }
    m_loaded = true;
    m_values = {};
    holdFile(-1);
    m_loadedStamp = currentStamp();
    if (!m_loadedStamp.exists)
        return;
    // Opening a named pipe for reading waits for a writer, which would hang the program at
    // start; a folder can never be replaced by a write; a link leads to a file that is not
    // ours. None of them is a settings file.
    if (!m_loadedStamp.regular) {
        setAsideUnreadableFile("not a regular file");
        return;
    }
    if (m_loadedStamp.size > m_maxFileBytes) {
        setAsideUnreadableFile("too large");
        return;
    }
    // What is read and what is set aside is the file just checked: a link put in its place
    // meanwhile is refused by the open itself.
    const int fd = ::open(QFile::encodeName(m_filePath).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ELOOP) {
            m_loadedStamp.regular = false;
            setAsideUnreadableFile("not a regular file");
        } else {
            qCWarning(lcPlatform) << "settings file could not be read:" << m_filePath << std::strerror(errno);
        }
        return;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        m_loadedStamp.regular = false;
        setAsideUnreadableFile("not a regular file");
        return;
    }
    // Earlier versions left the file readable by everyone; what it holds is the owner's alone.
    if (m_access == Access::ReadWrite && (st.st_mode & (S_IRWXG | S_IRWXO)) != 0 && ::fchmod(fd, S_IRUSR | S_IWUSR) != 0)
        qCWarning(lcPlatform) << "settings file could not be made private:" << m_filePath << std::strerror(errno);
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) {
        qCWarning(lcPlatform) << "settings file could not be read:" << m_filePath << file.errorString();
        ::close(fd);
        return;
    }
    const QByteArray data = file.readAll();
    file.close();
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error == QJsonParseError::DeepNesting) {
        if (std::optional<QJsonObject> members = membersReadOneByOne(data)) {
            // One setting nests deeper than the reader goes: only it is refused. The file goes
            // aside whole, so the next write cannot destroy that setting, and the others stay.
            setAsideUnreadableFile("nested too deeply in one of its settings");
            m_values = *members;
            ::close(fd);
            return;
        }
    }
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        setAsideUnreadableFile(error.error != QJsonParseError::NoError ? "not valid JSON" : "not a JSON object");
        ::close(fd);
        return;
    }
    m_values = document.object();
    holdFile(fd);
}

// The unreadable file is kept under another name (owner-only, like the original), so that
// the next write, which starts from an empty domain, cannot destroy what it held. Its mode is
// changed without following a link: a link is set aside as a link, and what it points at is
// never touched.
void LinuxSettingsStore::setAsideUnreadableFile(const char *reason) const
{
    m_setAside = true;
    if (m_access == Access::ReadOnly) {
        qCWarning(lcPlatform).noquote() << "settings file" << m_filePath << "is" << reason << "; it is read as empty";
        return;
    }
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-hhmmss-zzz"));
    const QString aside = m_filePath + QStringLiteral(".unreadable-") + stamp;
    if (::rename(QFile::encodeName(m_filePath).constData(), QFile::encodeName(aside).constData()) == 0) {
        if (m_loadedStamp.regular)
            PrivateFiles::restrictToOwner(aside);
        m_setAsidePath = aside;
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

QString LinuxSettingsStore::setAsidePath() const
{
    reloadIfChanged();
    return m_setAsidePath;
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
    // From the read of what another process may have written last to the rename of the result.
    const int lock = lockForWriting();
    reloadIfChanged();
    QJsonObject next = m_values;
    if (value)
        next.insert(key, *value);
    else
        next.remove(key);
    const bool written = writeFile(next);
    if (written) {
        m_values = next;
        // What was just written, held as the file the values are from.
        const int fd = ::open(QFile::encodeName(m_filePath).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0)
            holdFile(fd);
        else
            m_loadedStamp = currentStamp();
    }
    if (lock >= 0)
        ::close(lock);
    return written;
}

bool LinuxSettingsStore::writeFile(const QJsonObject &values)
{
    const QFileInfo info(m_filePath);
    const QString dir = info.absolutePath();
    QString folderError;
    if (!PrivateFiles::makeFolder(dir, &folderError)) {
        qCWarning(lcPlatform).noquote() << "settings folder could not be created:" << folderError;
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
    const QString temporary = dir + QStringLiteral("/.") + info.fileName() + QStringLiteral(".XXXXXX");
    if (const int error = PrivateFiles::replaceWhole(m_filePath, temporary, data)) {
        qCWarning(lcPlatform) << "settings file could not be written:" << m_filePath << std::strerror(error);
        return false;
    }
    return true;
}
