#include "engine/ClipboardModel.h"

#include "core/ClipboardPrivacy.h"
#include "core/ImageSizeRule.h"
#include "core/Logging.h"
#include "core/ScreenshotNames.h"
#include "platform/Pasteboard.h"

#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <utility>

namespace {

bool isBlank(const QString &text)
{
    return text.trimmed().isEmpty();
}

// An owner that answers with no bytes offered nothing to keep.
bool offersImage(const PasteboardContent &content)
{
    return std::any_of(content.images.cbegin(), content.images.cend(),
                       [](const PasteboardImage &image) { return !image.data.isEmpty(); });
}

} // namespace

std::optional<QByteArray> ClipboardModel::optimizedImageData(const QByteArray &bytes)
{
    return ImageSizeRule::optimized(bytes);
}

void ClipboardModel::readClipboardIfChanged()
{
    const qsizetype countBefore = m_entries.size();
    trimHistory();
    if (m_entries.size() != countBefore)
        persistHistory();

    takeReportedChanges();
    // A change that was not reported (before monitoring started, or by a clipboard that
    // reports none) is found by its count.
    const qint64 count = m_pasteboard->changeCount();
    if (count != m_lastChangeCount)
        takeChange(count, m_pasteboard->content());
}

void ClipboardModel::takeReportedChanges()
{
    while (!m_reportedChanges.empty()) {
        const ReportedChange change = std::move(m_reportedChanges.front());
        m_reportedChanges.pop_front();
        // Counts at or below the last one were dealt with: our own writes, or a change that a
        // direct read took before its report came.
        if (change.count > m_lastChangeCount)
            takeChange(change.count, change.content);
    }
}

bool ClipboardModel::isReoffer(const PasteboardContent &content) const
{
    // A copy the user asked Tarnel to make (into the Paste Stack, or privately) is taken even
    // when it repeats what the clipboard held.
    if (m_pendingCopyRequest || m_captureNextForPasteStack || m_captureNextPrivately)
        return false;
    return m_offeredContent && *m_offeredContent == content;
}

void ClipboardModel::takeChange(qint64 count, const PasteboardContent &content)
{
    m_lastChangeCount = count;
    if (m_ignoredChangeCount && *m_ignoredChangeCount == count) {
        m_ignoredChangeCount.reset();
        m_offeredContent.reset();
        return;
    }
    if (m_pasteboard->reoffersContent()) {
        if (isReoffer(content)) {
            qCDebug(lcEngine) << "the clipboard was offered again unchanged; not a copy";
            return;
        }
        // A change that delivered nothing (an owner refusing for a moment while the compositor
        // passes the clipboard on) tells nothing of what the clipboard holds.
        if ((content.text && !content.text->isEmpty()) || !content.images.isEmpty() || !content.filePaths.isEmpty())
            m_offeredContent = content;
    }
    // A foreign change has arrived: a shortcut copy that waits for one stops waiting.
    m_pendingCopyRequest.reset();
    if (m_captureNextPrivately) {
        m_captureNextPrivately = false;
        m_captureNextForPasteStack = false;
        return;
    }
    if (!m_isRecording && !m_captureNextForPasteStack)
        return;
    if (m_isPrivateMode) {
        m_captureNextForPasteStack = false;
        return;
    }
    const bool forPasteStack = std::exchange(m_captureNextForPasteStack, false);
    capturePasteboard(content, forPasteStack, m_temporaryMinutes);
}

QString ClipboardModel::frontApplicationName() const
{
    if (!m_workspace)
        return {};
    const std::optional<RunningApplication> front = m_workspace->frontmostApplication();
    return front ? front->name : QString();
}

ClipboardEntry ClipboardModel::newEntry(const QString &sourceApp) const
{
    ClipboardEntry entry;
    entry.id = ClipboardEntry::newID();
    entry.copiedAt = now();
    entry.sourceApp = sourceApp;
    return entry;
}

void ClipboardModel::capturePasteboard(const PasteboardContent &content, bool forPasteStack, int temporaryMinutes)
{
    const QString sourceApp = frontApplicationName();

    PendingCapture capture;
    capture.serial = m_nextCaptureSerial++;
    capture.forPasteStack = forPasteStack;
    capture.temporaryMinutes = temporaryMinutes;

    // The text the copy offers, used when it holds neither files nor a keepable image.
    auto textEntry = [&]() -> std::optional<ClipboardEntry> {
        if (!content.text || isBlank(*content.text))
            return std::nullopt;
        ClipboardEntry entry = newEntry(sourceApp);
        entry.text = *content.text;
        entry.kind = detectKind(entry.text);
        return entry;
    };

    if (!content.filePaths.isEmpty()) {
        m_pendingScreenshotCopyUntil.reset();
        ClipboardEntry entry = newEntry(sourceApp);
        entry.kind = ClipboardKind::File;
        entry.fileURLs = content.filePaths;
        entry.text = content.filePaths.join(QLatin1Char('\n'));
        capture.entry = entry;
        capture.ready = true;
    } else {
        // Images in the clipboard's order (PNG first). Small ones are checked here from their
        // header; the first that needs decoding sends it and the ones after it to a worker.
        std::optional<QByteArray> kept;
        QList<QByteArray> slowCandidates;
        for (const PasteboardImage &image : content.images) {
            if (!slowCandidates.isEmpty() || ImageSizeRule::needsReencoding(image.data)) {
                slowCandidates.append(image.data);
                continue;
            }
            if (std::optional<QByteArray> bytes = ImageSizeRule::optimized(image.data)) {
                kept = std::move(bytes);
                break;
            }
        }
        if (kept || !slowCandidates.isEmpty()) {
            const QDateTime present = now();
            const bool chordWindowOpen = m_pendingScreenshotCopyUntil && *m_pendingScreenshotCopyUntil > present;
            capture.chordWindowBefore = std::exchange(m_pendingScreenshotCopyUntil, std::nullopt);
            ClipboardEntry entry = newEntry(sourceApp);
            entry.kind = ClipboardKind::Image;
            entry.isScreenshot = chordWindowOpen || ScreenshotNames::isScreenshotSource(sourceApp);
            if (kept) {
                entry.imageData = std::move(kept);
                capture.entry = entry;
                capture.ready = true;
            } else {
                capture.entry = entry;
                capture.textFallback = textEntry();
                const quint64 serial = capture.serial;
                auto *watcher = new QFutureWatcher<std::optional<QByteArray>>(this);
                connect(watcher, &QFutureWatcher<std::optional<QByteArray>>::finished, this, [this, watcher, serial] {
                    onImageReduced(serial, watcher->result());
                    watcher->deleteLater();
                });
                watcher->setFuture(QtConcurrent::run([candidates = std::move(slowCandidates)]() -> std::optional<QByteArray> {
                    for (const QByteArray &candidate : candidates) {
                        if (std::optional<QByteArray> bytes = ImageSizeRule::optimized(candidate))
                            return bytes;
                    }
                    return std::nullopt;
                }));
            }
        } else if (std::optional<ClipboardEntry> entry = textEntry()) {
            m_pendingScreenshotCopyUntil.reset();
            capture.entry = entry;
            capture.imageNotKept = offersImage(content);
            capture.ready = true;
        } else if (offersImage(content)) {
            // Nothing recordable, but the user copied an image: say that it was not kept.
            capture.imageNotKept = true;
            capture.ready = true;
        } else {
            return; // nothing recordable; the chord window stays as it was
        }
    }

    m_pendingCaptures.push_back(std::move(capture));
    publishReadyCaptures();
}

void ClipboardModel::onImageReduced(quint64 serial, std::optional<QByteArray> bytes)
{
    for (PendingCapture &capture : m_pendingCaptures) {
        if (capture.serial != serial)
            continue;
        if (bytes && capture.entry) {
            capture.entry->imageData = std::move(bytes);
        } else {
            capture.entry = capture.textFallback; // the image cannot be kept: its text, if any
            capture.imageNotKept = true;
            // Nothing was read after all: the chord window stays open, unless the keyboard has
            // opened a new one meanwhile.
            if (!capture.entry && !m_pendingScreenshotCopyUntil)
                m_pendingScreenshotCopyUntil = capture.chordWindowBefore;
        }
        capture.ready = true;
        break;
    }
    publishReadyCaptures();
}

void ClipboardModel::publishReadyCaptures()
{
    // Copies enter the history in the order they were made, so a quick text copy waits for
    // an image copied before it.
    while (!m_pendingCaptures.empty() && m_pendingCaptures.front().ready) {
        PendingCapture capture = std::move(m_pendingCaptures.front());
        m_pendingCaptures.pop_front();
        publishCapture(std::move(capture));
    }
}

void ClipboardModel::publishCapture(PendingCapture capture)
{
    if (!capture.entry) {
        if (capture.imageNotKept)
            showImageNotKeptNotice();
        return;
    }
    ClipboardEntry entry = std::move(*capture.entry);
    if (ClipboardPrivacy::looksSensitive(entry.text))
        return;
    if (capture.temporaryMinutes >= 1)
        entry.temporaryUntil = now().addSecs(qint64(capture.temporaryMinutes) * kTemporaryMinuteLength.count());
    m_entries.prepend(entry);
    Q_EMIT entriesChanged();
    if (entry.isScreenshot)
        showScreenshotNotice(entry);
    else if (capture.imageNotKept)
        showImageNotKeptNotice();
    else
        showCopiedNotice();
    if (capture.forPasteStack) {
        m_pasteStackEntryIDs.append(entry.id);
        Q_EMIT pasteStackEntryIDsChanged();
        persistPasteStack();
    }
    trimHistory();
    persistHistory();
}
