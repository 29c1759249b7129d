#include "core/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace PrivateFiles {

namespace {

constexpr mode_t kOwnerOnlyFolder = S_IRWXU;
constexpr mode_t kOwnerOnlyFile = S_IRUSR | S_IWUSR;

// The folder itself, never what a link in its place points at.
void tighten(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & 07777) != kOwnerOnlyFolder)
        ::fchmod(fd, kOwnerOnlyFolder);
    ::close(fd);
}

bool writeAll(int fd, const QByteArray &data)
{
    const char *p = data.constData();
    qint64 left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
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

bool makeFolder(const QString &path, QString *error)
{
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    // Missing folders are made from the top down, each owner-only from the start.
    QStringList missing;
    for (QString folder = clean; !QFileInfo(folder).exists() && !QFileInfo(folder).isSymLink();
         folder = QFileInfo(folder).path()) {
        missing.prepend(folder);
        if (folder == QFileInfo(folder).path())
            break;
    }
    for (const QString &folder : std::as_const(missing)) {
        if (::mkdir(QFile::encodeName(folder).constData(), kOwnerOnlyFolder) != 0 && errno != EEXIST) {
            if (error)
                *error = QStringLiteral("%1: %2").arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
    }
    tighten(QFile::encodeName(clean));
    if (!QFileInfo(clean).isDir()) {
        if (error)
            *error = QStringLiteral("%1: not a folder").arg(clean);
        return false;
    }
    return true;
}

void tightenFolder(const QString &path)
{
    tighten(QFile::encodeName(path));
}

bool restrictToOwner(const QString &path)
{
    // A path descriptor opens nothing for reading (a named pipe cannot block it) and, once
    // closed, drops none of the locks the process holds on the file: closing an ordinary
    // descriptor would release those of a database connection that has the file open. The
    // mode is changed through the descriptor, so the file checked is the file changed.
    const int fd = ::open(QFile::encodeName(path).constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (ok && (st.st_mode & 07777) != kOwnerOnlyFile)
        ok = ::chmod(QByteArrayLiteral("/proc/self/fd/").append(QByteArray::number(fd)).constData(), kOwnerOnlyFile) == 0;
    ::close(fd);
    return ok;
}

int replaceWhole(const QString &target, const QString &temporaryTemplate, const QByteArray &data)
{
    QByteArray temporary = QFile::encodeName(temporaryTemplate);
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;
    // mkostemp already makes the file for its owner only; fchmod keeps that true whatever the
    // umask did.
    struct stat written {};
    bool ok = ::fchmod(fd, kOwnerOnlyFile) == 0 && writeAll(fd, data) && ::fsync(fd) == 0 && ::fstat(fd, &written) == 0;
    int error = errno;
    if (ok && written.st_size != data.size()) {
        ok = false;
        error = EIO;
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temporary.constData(), QFile::encodeName(target).constData()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temporary.constData());
        return error != 0 ? error : EIO;
    }
    // The rename is durable only once the folder itself is synced.
    const int folder = ::open(QFile::encodeName(QFileInfo(target).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return 0;
}

} // namespace PrivateFiles
