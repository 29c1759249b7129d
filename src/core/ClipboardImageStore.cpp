#include "core/ClipboardImageStore.h"

#include "core/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUuid>

#include <cerrno>

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

bool isOutOfRoom(int error)
{
    // EFBIG: the user's file size limit, which leaves no room just the same.
    return error == ENOSPC || error == EDQUOT || error == EFBIG;
}

} // namespace

ClipboardImageStore::ClipboardImageStore(const QString &directoryPath)
    : m_directoryPath(standardized(directoryPath.isEmpty() ? defaultDirectoryPath() : directoryPath))
{
}

QString ClipboardImageStore::dataRootPath()
{
    const QString root = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
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
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

void ClipboardImageStore::removeUnreferencedImages(const QSet<QString> &keeping) const
{
    const QDir folder(m_directoryPath);
    if (!folder.exists())
        return;

    QSet<QString> kept;
    kept.reserve(keeping.size());
    for (const QString &entry : keeping) {
        if (entry.isEmpty())
            continue;
        kept.insert(entry.contains(u'/') ? standardized(entry) : m_directoryPath + u'/' + entry);
    }

    // Hidden files are not listed, so the store never deletes what it did not make.
    const QStringList names = folder.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        if (!hasImageExtension(name))
            continue;
        const QString path = m_directoryPath + u'/' + name;
        if (kept.contains(path))
            continue;
        const QFileInfo info(path);
        if (info.isDir() && !info.isSymLink())
            continue;
        // Removing a link removes the link, never what it points at.
        QFile::remove(path);
    }
}

void ClipboardImageStore::removeImages(const QSet<QString> &paths) const
{
    for (const QString &path : paths) {
        if (!isManagedPath(path))
            continue;
        const QFileInfo info(standardized(path));
        if (info.isDir() && !info.isSymLink())
            continue;
        QFile::remove(info.filePath());
    }
}
