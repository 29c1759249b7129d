#include "engine/ClipboardModel.h"

#include "core/ImageSizeRule.h"
#include "core/Logging.h"
#include "core/ScreenshotStability.h"
#include "platform/ScreenshotFolderMonitor.h"
#include "platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

// ---- folder settings ----

void ClipboardModel::setAutomaticScreenshotCapture(bool enabled)
{
    setAutomaticScreenshotCaptureField(enabled);
    m_settings->setBool(automaticScreenshotCaptureKey, enabled);
    if (!enabled)
        cancelScreenshotImports();
    updateScreenshotMonitoring();
}

void ClipboardModel::setScreenshotFolder(const QString &folderPath)
{
    const QString path = QDir::cleanPath(QDir(folderPath).absolutePath());
    setScreenshotFolderPath(path);
    m_settings->setText(screenshotFolderPathKey, path);
    setScreenshotCaptureIssue(std::nullopt);
    // Choosing a folder always means "import from here".
    setAutomaticScreenshotCaptureField(true);
    m_settings->setBool(automaticScreenshotCaptureKey, true);
    // Imports still running for files of an earlier folder finish or give up by themselves.
    updateScreenshotMonitoring();
}

// ---- import ----

int ClipboardModel::pendingScreenshotReads() const
{
    return int(std::count_if(m_screenshotImportTasks.cbegin(), m_screenshotImportTasks.cend(),
                             [](const ScreenshotImport &task) { return task.reading != nullptr; }));
}

void ClipboardModel::importScreenshot(const QString &path)
{
    // The monitor may report a file again (a rescan after the folder came back); one task per
    // file is enough.
    if (m_screenshotImportTasks.contains(path))
        return;
    ScreenshotImport task;
    task.serial = m_nextScreenshotImportSerial++;
    m_screenshotImportTasks.insert(path, task);
    scheduleScreenshotCheck(path, task.serial);
}

void ClipboardModel::scheduleScreenshotCheck(const QString &path, quint64 serial)
{
    m_clock->singleShot(kScreenshotCheckDelay, this, [this, path, serial] { runScreenshotCheck(path, serial); });
}

void ClipboardModel::runScreenshotCheck(const QString &path, quint64 serial)
{
    auto it = m_screenshotImportTasks.find(path);
    // Cancelled (or replaced by a later report of the same path) while waiting.
    if (it == m_screenshotImportTasks.end() || it->serial != serial)
        return;

    std::optional<qint64> size;
    const QFileInfo info(path);
    if (info.exists() && info.isFile())
        size = info.size();
    const ScreenshotStability::Check check = ScreenshotStability::check(it->recordedSize, size);
    it->recordedSize = check.recordedSize;
    if (!check.isComplete()) {
        failScreenshotCheck(path, QString::fromLatin1(ScreenshotStability::describe(check.verdict)));
        return;
    }

    // Reading up to a hundred megabytes and decoding the image would stall the interface.
    auto *watcher = new QFutureWatcher<ScreenshotLoad>(this);
    it->reading = watcher;
    connect(watcher, &QFutureWatcher<ScreenshotLoad>::finished, this, [this, watcher, path, serial] {
        ScreenshotLoad load = watcher->result();
        watcher->deleteLater();
        onScreenshotLoaded(path, serial, std::move(load));
    });
    watcher->setFuture(QtConcurrent::run(&ClipboardModel::loadScreenshotFile, path));
}

ClipboardModel::ScreenshotLoad ClipboardModel::loadScreenshotFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {std::nullopt, QStringLiteral("unreadable")};
    // The size may have changed since it was checked: never hold more than the limit.
    QByteArray bytes = file.read(ScreenshotStability::kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return {std::nullopt, QStringLiteral("unreadable")};
    if (bytes.size() > ScreenshotStability::kMaxFileBytes)
        return {std::nullopt, QStringLiteral("too large")};
    std::optional<QByteArray> reduced = optimizedImageData(bytes);
    if (!reduced)
        return {std::nullopt, QStringLiteral("not an image that can be kept")};
    // Kept byte for byte, as the same bytes copied through the clipboard are: whether they are an
    // image is read from their header (a file cut off before the end its format marks was refused
    // above). Decoding the whole picture would ask a canvas of a hundred megapixels for more
    // memory than any decode is given, only to throw the pixels away.
    if (!ImageSizeRule::header(*reduced))
        return {std::nullopt, QStringLiteral("not an image")};
    return {std::move(reduced), QString()};
}

void ClipboardModel::onScreenshotLoaded(const QString &path, quint64 serial, ScreenshotLoad load)
{
    auto it = m_screenshotImportTasks.find(path);
    if (it == m_screenshotImportTasks.end() || it->serial != serial)
        return; // cancelled while reading
    it->reading = nullptr;
    if (!load.bytes) {
        // The size stays recorded, so the next check may read the file again at once.
        failScreenshotCheck(path, load.failure);
        return;
    }
    finishScreenshotImport(path);

    // A screenshot taken in private mode stays out, now and later.
    if (m_isPrivateMode)
        return;
    // The file path is the import's duplicate key.
    if (std::any_of(m_entries.cbegin(), m_entries.cend(),
                    [&path](const ClipboardEntry &entry) { return entry.screenshotFileURL == path; }))
        return;

    ClipboardEntry entry = newEntry(screenshotSourceApp);
    entry.kind = ClipboardKind::Image;
    entry.imageData = std::move(load.bytes);
    entry.screenshotFileURL = path;
    entry.isScreenshot = true;
    m_entries.prepend(entry);
    noteAddedOnTop(entry.id);
    Q_EMIT entriesChanged();
    showScreenshotNotice(entry);
    trimHistory();
    persistHistory();
}

void ClipboardModel::failScreenshotCheck(const QString &path, const QString &reason)
{
    auto it = m_screenshotImportTasks.find(path);
    if (it == m_screenshotImportTasks.end())
        return;
    if (++it->checksMade < ScreenshotStability::kMaxChecks) {
        scheduleScreenshotCheck(path, it->serial);
        return;
    }
    // The file name only: it says which file was left out, not what it shows.
    qCInfo(lcEngine).noquote() << QStringLiteral("Screenshot file skipped after %1 checks (%2): %3")
                                      .arg(ScreenshotStability::kMaxChecks)
                                      .arg(reason, QFileInfo(path).fileName());
    finishScreenshotImport(path);
}

void ClipboardModel::finishScreenshotImport(const QString &path)
{
    m_screenshotImportTasks.remove(path);
}

void ClipboardModel::cancelScreenshotImports()
{
    // A read already running finishes on its worker; its result is dropped with its watcher.
    for (const ScreenshotImport &task : std::as_const(m_screenshotImportTasks)) {
        if (task.reading) {
            task.reading->disconnect(this);
            task.reading->deleteLater();
        }
    }
    m_screenshotImportTasks.clear();
}
