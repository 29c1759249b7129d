#include "core/ClipboardImageStore.h"

#include "core/ImageSizeRule.h"
#include "core/Logging.h"
#include "core/PrivateFiles.h"
#include "core/XdgFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUuid>

#include <cerrno>
#include <sys/stat.h>

namespace {

const QString imageSuffix = QStringLiteral(".image");

// Absolute, with "." and ".." folded away; symbolic links are deliberately not resolved here,
// the comparison with the store folder is textual and links are refused separately.
QString standardized(const QString &path)
{
    if (path.isEmpty())
        return {};
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

bool hasImageExtension(const QString &fileName)
{
    return fileName.size() > imageSuffix.size() && fileName.endsWith(imageSuffix, Qt::CaseSensitive);
}

QString lastSystemError(const QString &what, const QString &path)
{
    return QStringLiteral("%1 %2: %3").arg(what, path, qt_error_string(errno));
}

// What a cut-off save leaves: the target's name (a UUID) and the six characters mkostemp chose.
bool isInterruptedWrite(const QString &fileName)
{
    constexpr qsizetype kRandomPart = 6;
    const qsizetype dot = fileName.size() - kRandomPart - 1;
    if (dot <= 0 || fileName.at(dot) != u'.' || !hasImageExtension(fileName.left(dot)))
        return false;
    // Only the names the store gives its files: a user's "notes.image.backup" is not one.
    if (QUuid::fromString(QStringView(fileName).left(dot - imageSuffix.size())).isNull())
        return false;
    for (qsizetype i = dot + 1; i < fileName.size(); ++i) {
        const char16_t c = fileName.at(i).unicode();
        if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')))
            return false;
    }
    return true;
}

// The entry itself, never what a link there points at.
std::optional<mode_t> entryType(const QString &path)
{
    struct stat st { };
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return st.st_mode & S_IFMT;
}

bool isOutOfRoom(int error)
{
    // EFBIG: the user's file size limit, which leaves no room just the same.
    return error == ENOSPC || error == EDQUOT || error == EFBIG;
}

} // namespace

ClipboardImageStore::ClipboardImageStore(const QString &directoryPath)
    : m_directoryPath(standardized(directoryPath.isEmpty() ? defaultDirectoryPath() : directoryPath))
    , m_setAsideFolders{QFileInfo(m_directoryPath).path()}
{
}

void ClipboardImageStore::addSetAsideFolder(const QString &folder)
{
    const QString clean = standardized(folder);
    if (!clean.isEmpty() && !m_setAsideFolders.contains(clean))
        m_setAsideFolders.append(clean);
}

bool ClipboardImageStore::isLinkedFolder() const
{
    return entryType(m_directoryPath) == S_IFLNK;
}

bool ClipboardImageStore::mayDelete() const
{
    // A linked folder is someone else's too: another profile's images, or the user's own files.
    // A set-aside history may name any file of the store.
    return !isLinkedFolder() && !hasSetAsideCopy();
}

bool ClipboardImageStore::hasSetAsideCopy() const
{
    return !setAsideCopies().isEmpty();
}

QStringList ClipboardImageStore::setAsideCopies() const
{
    QStringList paths;
    for (const QString &folder : m_setAsideFolders) {
        const QDir dir(folder);
        const QStringList copies = dir.entryList({QStringLiteral("*.unreadable-*")},
                                                 QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                                 QDir::Name);
        for (const QString &copy : copies)
            paths.append(dir.filePath(copy));
    }
    return paths;
}

QString ClipboardImageStore::dataRootPath()
{
    const QString root = XdgFolders::dataHome();
    return root.isEmpty() ? QDir::tempPath() : root;
}

QString ClipboardImageStore::directoryPathIn(const QString &dataRoot, const QString &productFolder)
{
    const QString root = dataRoot.isEmpty() ? QDir::tempPath() : dataRoot;
    return standardized(root + u'/' + productFolder + QStringLiteral("/Clipboard Images"));
}

QString ClipboardImageStore::defaultDirectoryPath()
{
    return directoryPathIn(dataRootPath());
}

bool ClipboardImageStore::isManagedPath(const QString &path) const
{
    const QString clean = standardized(path);
    if (clean.isEmpty())
        return false;
    const QFileInfo info(clean);
    if (info.path() != m_directoryPath || !hasImageExtension(info.fileName()))
        return false;
    // A link inside the folder could lead anywhere on the disk; reading or overwriting through
    // it would leave the folder, so links are never managed, whatever they point at.
    if (info.isSymLink())
        return false;
    // Directories, pipes and devices are not images; reading a pipe could block for ever.
    if (info.exists() && !info.isFile())
        return false;
    return true;
}

ClipboardImageStore::SaveResult ClipboardImageStore::save(const QByteArray &data, const QString &reusing) const
{
    const QString target = (!reusing.isEmpty() && isManagedPath(reusing))
        ? standardized(reusing)
        : m_directoryPath + u'/' + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + imageSuffix;

    // Owner-only from the moment it exists, with any folder above it that was missing; one left
    // open to others by an earlier version is closed before writing.
    QString folderError;
    if (!PrivateFiles::makeFolder(m_directoryPath, &folderError))
        return {{}, QStringLiteral("Could not create the folder %1").arg(folderError)};

    // The bytes go to a temporary file beside the target which replaces it in one rename, so a
    // reader never sees half an image and a failed write leaves the previous file untouched.
    // An image counts as saved only when every byte is on the disk: an empty file must never
    // pass for one.
    if (const int error = PrivateFiles::replaceWhole(target, target + QStringLiteral(".XXXXXX"), data)) {
        errno = error;
        return {{}, lastSystemError(QStringLiteral("Could not write"), target), isOutOfRoom(error)};
    }
    return {target, {}};
}

std::optional<QByteArray> ClipboardImageStore::load(const QString &path) const
{
    if (!isManagedPath(path))
        return std::nullopt;
    QFile file(standardized(path));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // No image the history keeps is larger: a larger file is damage (or another program's), and
    // read whole it would take its size in memory however little of it is real.
    if (file.size() > ImageSizeRule::kCeilingBytes) {
        qCWarning(lcCore).noquote() << "image file" << path << "is larger than any image the history keeps;"
                                    << "it is taken as damaged";
        return std::nullopt;
    }
    // One byte beyond its size tells a file that grew while it was read, past the bound perhaps.
    const qint64 size = file.size();
    QByteArray bytes = file.read(size + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > size)
        return std::nullopt;
    return bytes;
}

QSet<QString> ClipboardImageStore::imageFileNames() const
{
    QSet<QString> names;
    const QStringList listed = QDir(m_directoryPath).entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : listed) {
        if (hasImageExtension(name) && entryType(m_directoryPath + u'/' + name) == S_IFREG)
            names.insert(name);
    }
    return names;
}

QString ClipboardImageStore::relocated(const QString &path, const QSet<QString> &names) const
{
    const QString clean = standardized(path);
    if (clean.isEmpty())
        return {};
    const QFileInfo info(clean);
    if (info.path() == m_directoryPath || !names.contains(info.fileName()))
        return {};
    return m_directoryPath + u'/' + info.fileName();
}

void ClipboardImageStore::removeUnreferencedImages(const QSet<QString> &keeping) const
{
    const QDir folder(m_directoryPath);
    if (!folder.exists() || !mayDelete())
        return;

    // By file name: the same file is named by another path once the data folder moved.
    QSet<QString> kept;
    kept.reserve(keeping.size());
    for (const QString &entry : keeping) {
        if (!entry.isEmpty())
            kept.insert(QFileInfo(entry).fileName());
    }

    // Hidden files are not listed, so the store never deletes what it did not make.
    const QStringList names = folder.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        if (!hasImageExtension(name) || kept.contains(name))
            continue;
        const QString path = m_directoryPath + u'/' + name;
        const QFileInfo info(path);
        if (info.isDir() && !info.isSymLink())
            continue;
        // Removing a link removes the link, never what it points at.
        QFile::remove(path);
    }
}

int ClipboardImageStore::removeInterruptedWrites() const
{
    if (isLinkedFolder())
        return 0;
    int removed = 0;
    const QStringList names = QDir(m_directoryPath).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        const QString path = m_directoryPath + u'/' + name;
        if (isInterruptedWrite(name) && entryType(path) == S_IFREG && QFile::remove(path))
            ++removed;
    }
    if (removed > 0)
        qCInfo(lcCore) << "removed" << removed << "image files left by interrupted writes";
    return removed;
}

void ClipboardImageStore::removeImages(const QSet<QString> &paths) const
{
    if (paths.isEmpty() || !mayDelete())
        return;
    for (const QString &path : paths) {
        if (!isManagedPath(path))
            continue;
        const QFileInfo info(standardized(path));
        if (info.isDir() && !info.isSymLink())
            continue;
        QFile::remove(info.filePath());
    }
}
