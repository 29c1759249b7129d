#include "engine/ClipboardModel.h"

#include "core/EntrySelection.h"
#include "core/Logging.h"
#include "core/PasteStackQueue.h"
#include "core/ShortcutNotice.h"
#include "platform/KeySender.h"
#include "platform/Pasteboard.h"
#include "platform/Permissions.h"

#include <QGuiApplication>
#include <QStyleHints>

namespace {

// Used when no desktop settings can be asked (no GUI application).
constexpr std::chrono::milliseconds kFallbackDoubleClickInterval{400};

std::chrono::milliseconds doubleClickInterval()
{
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return std::chrono::milliseconds(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    return kFallbackDoubleClickInterval;
}

} // namespace

std::optional<qsizetype> ClipboardModel::historyIndex(const QString &entryID) const
{
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).id == entryID)
            return i;
    }
    return std::nullopt;
}

void ClipboardModel::writeToClipboard(const ClipboardEntry &entry)
{
    // Copies reported before this write are older than it: they go into the history first.
    takeReportedChanges();
    qint64 count = 0;
    std::optional<QByteArray> image;
    if (entry.kind == ClipboardKind::Image)
        image = imageData(entry);
    if (image) {
        // Offered in its own type and as PNG; bytes that do not decode as an image go out unchanged.
        count = m_pasteboard->writeImage(*image);
    } else if (!entry.fileURLs.isEmpty()) {
        count = m_pasteboard->writeFilePaths(entry.fileURLs);
    } else {
        count = m_pasteboard->writeText(entry.text);
    }
    // Our own write must never come back as a copy.
    m_lastChangeCount = count;
    m_ignoredChangeCount = count;
    m_offeredContent.reset();
}

void ClipboardModel::writeOwnText(const QString &text)
{
    takeReportedChanges();
    const qint64 count = m_pasteboard->writeText(text);
    m_lastChangeCount = count;
    m_ignoredChangeCount = count;
    m_offeredContent.reset();
}

void ClipboardModel::pasteEntryFromPanel(const ClipboardEntry &entry, bool consumesHistory,
                                         std::optional<qint64> targetPID, bool advancesStack, quint64 targetWindow)
{
    const std::optional<qsizetype> index = historyIndex(entry.id);
    if (!index)
        return;
    // The caller's copy may have been drawn before an edit: paste what the history holds now.
    const ClipboardEntry pasted = m_entries.at(*index);
    writeToClipboard(pasted);

    const bool trusted = m_permissions && m_permissions->accessibilityTrusted();
    setAccessibilityPermissionEnabled(trusted);
    if (!trusted) {
        setShortcutNotice(ShortcutNotice::staleTrust());
        return;
    }
    setIsQuickAccessPresented(false);
    std::optional<PasteEffect> effect;
    if (consumesHistory || advancesStack)
        effect = PasteEffect{pasted.id, consumesHistory, advancesStack};
    sendPasteShortcutIfPermitted(targetPID, effect, targetWindow);
}

void ClipboardModel::applyPasteEffect(const PasteEffect &effect)
{
    if (!effect.advancesStack) {
        if (effect.consumesHistory) {
            QSet<QString> consumed = m_consumedEntryIDs;
            consumed.insert(effect.entryID);
            setConsumedEntryIDs(consumed);
            persistConsumedEntries();
        }
        return;
    }
    const PasteStackQueue::AfterPaste after =
        PasteStackQueue::afterPaste(m_pasteStackEntryIDs, m_consumedEntryIDs, effect.entryID, m_repeatsPasteStack);
    if (after.marksConsumed) {
        setConsumedEntryIDs(after.consumed);
        persistConsumedEntries();
    }
    setPasteStackEntryIDs(after.queue);
    persistPasteStack();
}

void ClipboardModel::watchKeySender()
{
    if (!m_keySender)
        return;
    // Direct: a chord that needs no waiting goes out inside post(), and its effect with it.
    connect(m_keySender, &KeySender::sent, this, [this](KeyChord chord, quint64 token) {
        // A paste that went out makes an earlier "nothing pasted" stale.
        if (chord == KeyChord::Paste && m_shortcutNotice && ShortcutNotice::isPasteNotSent(*m_shortcutNotice))
            setShortcutNotice(std::nullopt);
        const auto effect = m_pendingPasteEffects.constFind(token);
        if (effect == m_pendingPasteEffects.constEnd())
            return;
        const PasteEffect applied = *effect;
        m_pendingPasteEffects.erase(effect);
        applyPasteEffect(applied);
    });
    connect(m_keySender, &KeySender::dropped, this, [this](KeyChord chord, quint64 token, KeyDropReason reason) {
        m_pendingPasteEffects.remove(token);
        if (chord == KeyChord::Paste) {
            switch (reason) {
            case KeyDropReason::NothingToType:
                failPaste(ShortcutNotice::nothingToPasteHere());
                break;
            case KeyDropReason::KeysHeld:
                failPaste(ShortcutNotice::shortcutKeysHeld());
                break;
            case KeyDropReason::NoTarget:
                failPaste(ShortcutNotice::nothingPasted());
                break;
            }
        }
        if (chord == KeyChord::Copy && m_pendingCopyRequest) {
            // Nothing will be copied for this request: the next copy is an ordinary one again.
            m_captureNextPrivately = false;
            m_captureNextForPasteStack = false;
            m_pendingCopyRequest.reset();
            setShortcutNotice(ShortcutNotice::nothingCopied());
            // The notch is what the user sees after a shortcut pressed over another program.
            if (reason == KeyDropReason::NothingToType)
                showNothingSelectedNotice();
        }
    });
}

bool ClipboardModel::sendPasteShortcutIfPermitted(std::optional<qint64> targetPID)
{
    return sendPasteShortcutIfPermitted(targetPID, std::nullopt, 0);
}

bool ClipboardModel::sendPasteShortcutIfPermitted(std::optional<qint64> targetPID,
                                                  const std::optional<PasteEffect> &effect, quint64 targetWindow)
{
    const bool trusted = m_permissions && m_permissions->accessibilityTrusted();
    setAccessibilityPermissionEnabled(trusted);
    if (!trusted)
        return false;
    sendPasteShortcut(targetPID, effect, targetWindow);
    return true;
}

void ClipboardModel::sendPasteShortcut(std::optional<qint64> targetPID, const std::optional<PasteEffect> &effect,
                                       quint64 targetWindow)
{
    if (targetPID || !m_workspace) {
        postPasteKeyEvents(targetPID, effect, targetWindow);
        return;
    }
    if (m_pasteTargetApplication && !m_workspace->isOwn(*m_pasteTargetApplication)) {
        // The window itself, not its process: many windows say nothing of their process (Tk's,
        // Athena's), and one process may show several windows.
        if (const std::optional<RunningApplication> target = m_workspace->stillShown(*m_pasteTargetApplication)) {
            // A click in the panel gave it the keyboard: the keys wait until the window the user
            // came from has it back, so they never land in the panel, and the user types on
            // there. The target stays for the next paste from the same open panel.
            postPasteKeyEvents(target->pid, effect, target->window);
            return;
        }
        // The window and its application are gone; whatever is in front now is where the user works.
        m_pasteTargetApplication.reset();
    }
    const std::optional<RunningApplication> front = m_workspace->frontmostApplication();
    if (front && m_workspace->isOwn(*front)) {
        // Ctrl+V into Tarnel's own window would paste into its own search field.
        qCInfo(lcEngine) << "Paste: no other application to paste into; left on the clipboard";
        failPaste(ShortcutNotice::nothingPasted());
        return;
    }
    postPasteKeyEvents(std::nullopt, effect);
}

void ClipboardModel::failPaste(const QString &notice)
{
    setShortcutNotice(notice);
    Q_EMIT pasteFailed();
}

void ClipboardModel::postPasteKeyEvents(std::optional<qint64> targetPID, const std::optional<PasteEffect> &effect,
                                        quint64 targetWindow)
{
    quint64 token = 0;
    if (effect) {
        token = m_nextPasteToken++;
        m_pendingPasteEffects.insert(token, *effect);
    }
    // The pasted text now stands after a trigger typed half before it; the key tap never sees
    // Tarnel's own chord, so the paste itself forgets what was typed.
    m_typedBuffer.clear();
    if (!m_keySender || !m_keySender->post({KeyChord::Paste, targetPID, HeldKeys::All, token, targetWindow})) {
        m_pendingPasteEffects.remove(token);
        failPaste(ShortcutNotice::staleTrust());
    }
}

void ClipboardModel::pasteText(const QString &text)
{
    setIsQuickAccessPresented(false);
    writeOwnText(text);
    if (sendPasteShortcutIfPermitted(std::nullopt))
        return;
    setShortcutNotice(ShortcutNotice::staleTrust());
    // The text waits on the clipboard; the keyboard goes back to where the user was, who may
    // paste again from the same open panel.
    if (m_pasteTargetApplication && m_workspace)
        m_workspace->activate(*m_pasteTargetApplication);
}

void ClipboardModel::pasteTextIntoFrontApplication(const QString &text)
{
    setIsQuickAccessPresented(false);
    writeOwnText(text);
    const bool trusted = m_permissions && m_permissions->accessibilityTrusted();
    setAccessibilityPermissionEnabled(trusted);
    if (!trusted) {
        setShortcutNotice(ShortcutNotice::staleTrust());
        return;
    }
    m_typedBuffer.clear();
    // The user may type on right after a trigger; the paste waits for held modifiers only.
    if (!m_keySender || !m_keySender->post({KeyChord::Paste, std::nullopt, HeldKeys::Modifiers, 0}))
        failPaste(ShortcutNotice::staleTrust());
}

void ClipboardModel::pasteSelectedEntry(const QList<ClipboardEntry> &list)
{
    const std::optional<ClipboardEntry> entry = EntrySelection::selectedOrFirst(list, m_selectedEntryID);
    if (entry)
        pasteEntryFromPanel(*entry, false, std::nullopt, false);
}

void ClipboardModel::pasteHistoryEntryFromClick(const ClipboardEntry &entry)
{
    const QDateTime clickedAt = now();
    const std::chrono::milliseconds interval = doubleClickInterval();
    if (m_lastHistoryRowClick && m_lastHistoryRowClick->first == entry.id
        && m_lastHistoryRowClick->second.msecsTo(clickedAt) <= interval.count()) {
        // The second click of a double click: the first one already pasted. The click gave the
        // panel the keyboard; it goes back to where the paste went, whether its keys are out
        // already or still wait for that window.
        m_lastHistoryRowClick.reset();
        if (m_pasteTargetApplication && m_workspace && !m_workspace->isOwn(*m_pasteTargetApplication))
            m_workspace->activate(*m_pasteTargetApplication);
        return;
    }
    m_lastHistoryRowClick = std::make_pair(entry.id, clickedAt);
    pasteEntryFromPanel(entry, false, std::nullopt, false);
    m_clock->singleShot(interval, this, [this, clickedAt] {
        if (m_lastHistoryRowClick && m_lastHistoryRowClick->second == clickedAt)
            m_lastHistoryRowClick.reset();
    });
}

void ClipboardModel::copyUsingShortcut(bool privately, qint64 targetPID)
{
    // What is already on the clipboard is an ordinary copy, not the answer to this request.
    readClipboardIfChanged();
    m_captureNextPrivately = privately;
    m_captureNextForPasteStack = !privately;
    const QUuid request = QUuid::createUuid();
    m_pendingCopyRequest = request;
    // A copy chord ends typing as the user's own would.
    m_typedBuffer.clear();
    if (m_keySender)
        m_keySender->sendCopy(targetPID);
    m_clock->singleShot(kCopyFollowUpInterval, this, [this, request] { followUpCopyRequest(request, 0); });
}

void ClipboardModel::followUpCopyRequest(const QUuid &request, int readsDone)
{
    // The capture clears the request when the copy arrives; a newer request replaces it.
    if (m_pendingCopyRequest != request)
        return;
    readClipboardIfChanged();
    // A change still being read is likely the application's answer, from an owner slow to hand it
    // over on a busy machine: its read is bounded by the clipboard's own deadline, so the reads
    // made meanwhile do not count against the request.
    const int counted = m_pasteboard && m_pasteboard->isFetching() ? readsDone : readsDone + 1;
    if (counted < kCopyFollowUpReads) {
        m_clock->singleShot(kCopyFollowUpInterval, this,
                            [this, request, counted] { followUpCopyRequest(request, counted); });
        return;
    }
    if (m_pendingCopyRequest == request) {
        // The application never copied: the next copy is an ordinary copy again.
        m_captureNextPrivately = false;
        m_captureNextForPasteStack = false;
        m_pendingCopyRequest.reset();
    }
}
