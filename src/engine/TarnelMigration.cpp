#include "engine/TarnelMigration.h"

#include "core/ClipboardEntry.h"
#include "core/Logging.h"
#include "core/PrivateFiles.h"
#include "engine/HistoryRows.h"
#include "platform/HistoryStore.h"
#include "platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <array>
#include <utility>

namespace TarnelMigration {

namespace {

// Earlier keys and the keys they become, in the order they are copied.
const std::array<std::pair<const char *, const char *>, 14> kKeyTable{{
    {"wistmo.recording", "tarnel.recording"},
    {"wistmo.appearance", "tarnel.appearance"},
    {"wistmo.historyLimit", "tarnel.historyLimit"},
    {"wistmo.history", "tarnel.history"},
    {"wistmo.snippets", "tarnel.snippets"},
    {"wistmo.pasteStack", "tarnel.pasteStack"},
    {"wistmo.consumedEntries", "tarnel.consumedEntries"},
    {"wistmo.automaticScreenshotCapture", "tarnel.automaticScreenshotCapture"},
    {"wistmo.screenshotFolderPath", "tarnel.screenshotFolderPath"},
    {"quorvel.presentationMode", "tarnel.presentationMode"},
    {"quorvel.onboardingComplete", "tarnel.onboardingComplete"},
    {"quorvel.language", "tarnel.language"},
    {"quorvel.repeatsPasteStack", "tarnel.repeatsPasteStack"},
    {"quorvel.jars", "tarnel.jars"},
}};

const QString kHistoryKey = QStringLiteral("tarnel.history");

constexpr QFile::Permissions kOwnerOnlyFile = QFile::ReadOwner | QFile::WriteOwner;

// The image folder as the image store makes it: readable by its owner only, from the start.
bool makePrivateFolder(const QString &folder)
{
    return QFileInfo(folder).isDir() || PrivateFiles::makeFolder(folder);
}

// Copies one value exactly as it was stored, whatever its type; only a history stored as data
// has its image paths moved along.
// A history that reads whole goes into the database as rows, unless the database already
// holds one (current data is never overwritten).
bool moveIntoDatabase(const QByteArray &history, HistoryStore &store)
{
    const DecodedList<ClipboardEntry> decoded = ClipboardEntry::decodeList(history);
    if (!decoded.isComplete())
        return false;
    if (!store.read().rows.isEmpty())
        return true;
    const HistoryWriteResult result = store.apply(HistoryChange{HistoryRows::rowsFor(decoded.items), {}, {}});
    if (!result.ok)
        qCWarning(lcEngine).noquote() << "Earlier history could not be written into the database:" << result.error;
    return result.ok;
}

bool copyValue(const SettingsStore &from, const QString &oldKey, SettingsStore &to, const QString &newKey,
               const Folders &folders, HistoryStore *store)
{
    if (newKey == kHistoryKey) {
        if (const auto history = from.bytesValue(oldKey)) {
            const QByteArray migrated = migrateImages(*history, folders);
            if (store && moveIntoDatabase(migrated, *store))
                return true;
            return to.setBytes(newKey, migrated);
        }
    }
    const std::optional<QJsonValue> value = from.storedValue(oldKey);
    return value && to.setStoredValue(newKey, *value);
}

} // namespace

void run(SettingsStore &current, const SettingsStore &earlier, const Folders &folders, HistoryStore *history)
{
    if (current.boolValue(completedKey).value_or(false))
        return;
    for (const auto &[oldKeyText, newKeyText] : kKeyTable) {
        const QString oldKey = QString::fromLatin1(oldKeyText);
        const QString newKey = QString::fromLatin1(newKeyText);
        // Current data is never overwritten, not even a false or an empty list.
        if (current.contains(newKey) || !earlier.contains(oldKey))
            continue;
        copyValue(earlier, oldKey, current, newKey, folders, history);
    }
    current.setBool(completedKey, true);
}

QByteArray migrateImages(const QByteArray &history, const Folders &folders)
{
    const DecodedList<ClipboardEntry> decoded = ClipboardEntry::decodeList(history);
    if (!decoded.isComplete())
        return history;
    if (folders.earlierImages.isEmpty() || folders.currentImages.isEmpty())
        return history;
    const QString earlierFolder = QDir::cleanPath(QDir(folders.earlierImages).absolutePath());
    const QString currentFolder = QDir::cleanPath(QDir(folders.currentImages).absolutePath());

    QList<ClipboardEntry> entries = decoded.items;
    for (ClipboardEntry &entry : entries) {
        if (!entry.imageFilePath)
            continue;
        const QFileInfo source(QDir::cleanPath(QFileInfo(*entry.imageFilePath).absoluteFilePath()));
        if (QDir::cleanPath(source.absolutePath()) != earlierFolder || source.suffix() != QLatin1String("image"))
            continue;
        // A link could lead anywhere, and reading a named pipe or a device would wait for ever
        // (every start would hang before the flag is set); the image folder only ever held
        // plain files.
        if (source.isSymLink() || (source.exists() && !source.isFile()))
            continue;
        const QString destination = currentFolder + QLatin1Char('/') + source.fileName();

        QString failure;
        if (!makePrivateFolder(currentFolder)) {
            failure = QStringLiteral("the image folder could not be created");
        } else if (!QFileInfo::exists(destination)) {
            QFile file(source.filePath());
            if (!file.copy(destination))
                failure = file.errorString();
            // A copy takes the earlier file's permissions; history images are the user's alone.
            else if (!QFile::setPermissions(destination, kOwnerOnlyFile))
                qCWarning(lcEngine) << "Migrated image file could not be made private";
        }
        if (failure.isEmpty()) {
            // An existing file of that name is reused as it is.
            entry.imageFilePath = destination;
            continue;
        }
        // The entry keeps its image inline when the earlier file can still be read.
        if (!entry.imageData) {
            QFile file(source.filePath());
            if (file.open(QIODevice::ReadOnly))
                entry.imageData = file.readAll();
        }
        entry.imageFilePath.reset();
        qCWarning(lcEngine).noquote() << QString::fromLatin1(kCopyFailureLog).arg(failure);
    }
    return ClipboardEntry::encodeList(entries);
}

} // namespace TarnelMigration
