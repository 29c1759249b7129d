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

// Reads only up to the first visible character, however long the text.
bool isBlank(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isSpace(); });
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
    if (content.keptAfterOwnerLeft) {
        // The program that copied it went away and the desktop keeps its copy: one copy, already
        // recorded under that program's name.
        qCDebug(lcEngine) << "the clipboard's keeper took over a copy of a program that went away; not a copy";
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

QString ClipboardModel::sourceApplicationName(quint64 clipboardOwner) const
{
    if (!m_workspace)
        return {};
    const std::optional<RunningApplication> front = m_workspace->frontmostApplication();
    // Tarnel is in front only because its panel took the keyboard (a selection copied from an
    // unfolded row): the copy belongs with the application the panel was opened over, whose
    // copies the Clipboard section ranks first, so it shows there at the top like any other.
    if (clipboardOwner == 0 && front && m_workspace->isOwn(*front) && !m_currentContext.isEmpty())
        return m_currentContext;
    // Whichever window is in front, the program that owns the clipboard made the copy; a copy
    // is never Tarnel's or the window manager's.
    const std::optional<RunningApplication> source = m_workspace->copySource(clipboardOwner);
    return source && !m_workspace->isOwn(*source) ? source->name : QString();
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
    const QString sourceApp = sourceApplicationName(content.ownerWindow);

    PendingCapture capture;
    capture.serial = m_nextCaptureSerial++;
    capture.sequence = ++m_topAdditions;
    capture.forPasteStack = forPasteStack;
    capture.temporaryMinutes = temporaryMinutes;

    // The text the copy offers, used when it holds neither files nor a keepable image.
    auto textEntry = [&]() -> std::optional<ClipboardEntry> {
        if (!content.text || isBlank(*content.text))
            return std::nullopt;
        ClipboardEntry entry = newEntry(sourceApp);
        entry.text = *content.text;
        return entry; // its kind comes with its classification
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
            capture.imageNotKept = offersImage(content) || content.passedOverImage();
            classifyCapture(capture);
        } else if (offersImage(content) || content.passedOverImage()) {
            // Nothing recordable, but the user copied an image: say that it was not kept.
            capture.imageNotKept = true;
            capture.ready = true;
        } else if (content.passedOverText()) {
            // The text was too long to read: saying nothing would look like a recorded copy.
            capture.textNotKept = true;
            capture.ready = true;
        } else if (content.incomplete) {
            // The owner stopped sending, or went away, before any of its copy arrived whole.
            capture.copyNotKept = true;
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
            capture.ready = true;
        } else {
            capture.entry = capture.textFallback; // the image cannot be kept: its text, if any
            capture.imageNotKept = true;
            // Nothing was read after all: the chord window stays open, unless the keyboard has
            // opened a new one meanwhile.
            if (!capture.entry && !m_pendingScreenshotCopyUntil)
                m_pendingScreenshotCopyUntil = capture.chordWindowBefore;
            if (capture.entry)
                classifyCapture(capture);
            else
                capture.ready = true;
        }
        break;
    }
    publishReadyCaptures();
}

void ClipboardModel::classifyCapture(PendingCapture &capture)
{
    const QString text = capture.entry->text;
    if (text.size() <= kInlineClassificationLength) {
        capture.classification = m_classifyText(text);
        capture.entry->kind = capture.classification->kind;
        capture.ready = true;
        return;
    }
    const quint64 serial = capture.serial;
    auto *watcher = new QFutureWatcher<TextClassification>(this);
    capture.classifying = watcher;
    connect(watcher, &QFutureWatcher<TextClassification>::finished, this, [this, watcher, serial] {
        onTextClassified(serial, watcher->result());
        watcher->deleteLater();
    });
    watcher->setFuture(QtConcurrent::run(m_classifyText, text));
}

void ClipboardModel::onTextClassified(quint64 serial, TextClassification classification)
{
    for (PendingCapture &capture : m_pendingCaptures) {
        if (capture.serial != serial)
            continue;
        capture.entry->kind = classification.kind;
        capture.classification = std::move(classification);
        capture.classifying = nullptr;
        capture.ready = true;
        break;
    }
    publishReadyCaptures();
}

void ClipboardModel::finishTextClassifications()
{
    for (;;) {
        const auto running = std::find_if(m_pendingCaptures.begin(), m_pendingCaptures.end(),
                                          [](const PendingCapture &capture) { return capture.classifying; });
        if (running == m_pendingCaptures.end())
            return;
        QFutureWatcher<TextClassification> *watcher = running->classifying;
        watcher->disconnect(this);
        watcher->waitForFinished();
        onTextClassified(running->serial, watcher->result());
        delete watcher;
    }
}

void ClipboardModel::publishReadyCaptures()
{
    // Each copy enters the history as soon as it is ready, so a short text never waits for a
    // long one or an image copied before it; publishCapture still gives it its place by the
    // order of the copies. One at a time: publishing runs listeners, which may take new copies.
    for (;;) {
        const auto ready = std::find_if(m_pendingCaptures.begin(), m_pendingCaptures.end(),
                                        [](const PendingCapture &capture) { return capture.ready; });
        if (ready == m_pendingCaptures.end())
            break;
        PendingCapture capture = std::move(*ready);
        m_pendingCaptures.erase(ready);
        publishCapture(std::move(capture));
    }
    if (m_pendingCaptures.empty())
        m_laterAdditions.clear();
}

quint64 ClipboardModel::noteAddedOnTop(const QString &entryID)
{
    const quint64 sequence = ++m_topAdditions;
    if (!m_pendingCaptures.empty())
        m_laterAdditions.insert(entryID, sequence);
    return sequence;
}

void ClipboardModel::publishCapture(PendingCapture capture)
{
    if (!capture.entry) {
        if (capture.imageNotKept)
            showImageNotKeptNotice();
        else if (capture.textNotKept)
            showTextNotKeptNotice();
        else if (capture.copyNotKept)
            showCopyNotKeptNotice();
        return;
    }
    ClipboardEntry entry = std::move(*capture.entry);
    const bool sensitive = capture.classification ? capture.classification->sensitive
                                                  : ClipboardPrivacy::looksSensitive(entry.text);
    if (sensitive)
        return;
    if (capture.classification)
        m_quickAccessSearchIndex.adopt(entry.id, std::move(capture.classification->folds));
    if (capture.temporaryMinutes >= 1)
        entry.temporaryUntil = now().addSecs(qint64(capture.temporaryMinutes) * kTemporaryMinuteLength.count());
    // Below the entries added after this copy was made (copies that were ready sooner).
    const auto isLater = [this, &capture](const QString &id) {
        return m_laterAdditions.value(id, 0) > capture.sequence;
    };
    qsizetype row = 0;
    while (row < m_entries.size() && isLater(m_entries.at(row).id))
        ++row;
    // The list shared with the search's memo would be copied whole by the insertion.
    m_quickAccessListMemo.reset();
    m_entries.insert(row, entry);
    noteHistoryRowEdit({HistoryRowEdit::Kind::Inserted, row, 1});
    if (!m_pendingCaptures.empty())
        m_laterAdditions.insert(entry.id, capture.sequence);
    Q_EMIT entriesChanged();
    if (entry.isScreenshot)
        showScreenshotNotice(entry);
    else if (capture.imageNotKept)
        showImageNotKeptNotice();
    else
        showCopiedNotice();
    if (capture.forPasteStack) {
        qsizetype place = m_pasteStackEntryIDs.size();
        while (place > 0 && isLater(m_pasteStackEntryIDs.at(place - 1)))
            --place;
        m_pasteStackEntryIDs.insert(place, entry.id);
        Q_EMIT pasteStackEntryIDsChanged();
        persistPasteStack();
    }
    trimHistory();
    persistHistory();
}
