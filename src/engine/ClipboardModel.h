#pragma once

#include "core/AppLanguage.h"
#include "core/ClipboardAppearance.h"
#include "core/ClipboardEntry.h"
#include "core/ClipboardJar.h"
#include "core/ClipboardPanelTab.h"
#include "core/ClipboardSnippet.h"
#include "core/ClipboardTransform.h"
#include "core/EntrySearchIndex.h"
#include "core/HistoryRowEdit.h"
#include "core/TextClassification.h"
#include "core/ClipboardImageStore.h"
#include "core/EntryImageBytes.h"
#include "core/OCRTextDestination.h"
#include "core/QuickAccessKeyboardFocus.h"
#include "engine/HistoryEncoder.h"
#include "engine/HistoryWriter.h"
#include "engine/ModelClock.h"
#include "engine/QuickImageActionRequest.h"
#include "platform/Pasteboard.h"
#include "platform/ScreenshotFolderMonitor.h"
#include "platform/Workspace.h"

#include <QByteArray>
#include <QDateTime>
#include <QFutureWatcher>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUuid>

#include <array>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

class HistoryStore;
class KeySender;
class LoginItem;
class Permissions;
class PreferencesLink;
class ScreenshotLocation;
class SettingsStore;

// What the model needs from the system. The program's entry hands in the real backends; tests
// hand in fakes. The model does not own the plain pointers; it owns the folder monitor.
struct ClipboardModelServices {
    Pasteboard *pasteboard = nullptr;
    SettingsStore *settings = nullptr;
    // Where the history lives; null keeps it in memory only (views and tools that need no disk).
    HistoryStore *history = nullptr;
    // A failed history write is tried again no sooner than this.
    std::chrono::milliseconds historyRetryInterval = HistoryWriter::kRetryInterval;
    // False when another writer of the history cannot be ruled out: the history is read, and
    // the copies of this run stay in memory; nothing of the history's files is written.
    bool writesHistory = true;
    // Looks at the history's folder before each write (any thread); none for a folder held for
    // good. See InstanceLock::checkHistoryFolder.
    std::function<HistoryFolderCheck()> historyFolder;
    Workspace *workspace = nullptr;
    LoginItem *loginItem = nullptr;
    Permissions *permissions = nullptr;
    ScreenshotLocation *screenshotLocation = nullptr;
    std::unique_ptr<ScreenshotFolderMonitor> screenshotMonitor;
    // The image store folder ("Clipboard Images" in the data folder); empty for the default.
    QString imageFolder;
    // Where stored lists that could not be read are set aside before they are overwritten;
    // empty for the folder of the settings file.
    QString backupFolder;
    // Null for the wall clock and Qt's timers.
    ModelClock *clock = nullptr;
    // Types Ctrl+V, Ctrl+C and Backspace into other applications; null sends nothing.
    KeySender *keySender = nullptr;
    // Classifies copied texts (TextClassifier::classify when empty); runs on worker threads for
    // long texts, so it must be safe to call from any thread.
    std::function<TextClassification(const QString &)> classifyText;
};

// The one application model: owns the history, Jars, snippets, Paste Stack, every setting and
// the transient state of the panel and Quick Access. Main thread only; every published field
// has a getter, a setter that returns early on no change, and one change signal.
//
// Image bytes: an entry's imageData is held in memory only until its bytes are in the image
// store; from then on the entry names the file by imageFilePath and readers take the bytes from
// there (imageData(entry) does that). Files are never rewritten, so every reader gets the same
// bytes.
class ClipboardModel : public QObject
{
    Q_OBJECT
public:
    // The poll step runs this often only when the clipboard cannot report its changes.
    static constexpr std::chrono::milliseconds kPollInterval{450};
    // The expiry timer never waits longer than this, so a wall clock that jumped (a suspend,
    // a time change) is noticed within it.
    static constexpr std::chrono::milliseconds kLongestExpiryWait{60'000};
    static constexpr std::chrono::milliseconds kCopiedNoticeDuration{2000};
    static constexpr std::chrono::milliseconds kScreenshotNoticeDuration{4000};
    // A history the start could not read is read again after a rest that doubles from the first
    // to the longest; a change of its files brings the next try at once.
    static constexpr std::chrono::milliseconds kHistoryRereadFirstRest{2000};
    static constexpr std::chrono::milliseconds kHistoryRereadLongestRest{120'000};
    // How long the start waits for the history's read, which runs on a worker. A history of
    // thousands of entries reads in tens of milliseconds from an ordinary disk, and a second
    // before the first copy can be taken goes unnoticed at login; a lock held by another program
    // (the store's busy timeout is ten seconds), a disk that answers slowly or not at all would
    // keep the start from answering for as long. Past it, the start goes on as one that could not
    // read the history, and takes in what the read gives when it comes.
    static constexpr std::chrono::milliseconds kStartReadWait{1000};
    // How long the panel says that the history was read after all.
    static constexpr std::chrono::milliseconds kHistoryReadNoticeDuration{10'000};
    static constexpr std::chrono::seconds kTemporaryMinuteLength{60};
    static constexpr int kDefaultHistoryLimit = 100;

    inline static const QString historyKey = QStringLiteral("tarnel.history");
    inline static const QString snippetsKey = QStringLiteral("tarnel.snippets");
    inline static const QString pasteStackKey = QStringLiteral("tarnel.pasteStack");
    inline static const QString consumedEntriesKey = QStringLiteral("tarnel.consumedEntries");
    inline static const QString jarsKey = QStringLiteral("tarnel.jars");
    inline static const QString historyLimitKey = QStringLiteral("tarnel.historyLimit");
    inline static const QString repeatsPasteStackKey = QStringLiteral("tarnel.repeatsPasteStack");
    inline static const QString recordingKey = QStringLiteral("tarnel.recording");
    inline static const QString automaticScreenshotCaptureKey = QStringLiteral("tarnel.automaticScreenshotCapture");
    inline static const QString screenshotFolderPathKey = QStringLiteral("tarnel.screenshotFolderPath");

    inline static const QString historyDiskFullIssue = QStringLiteral("Na disku nie je miesto: história sa neukladá.");
    inline static const QString historyWriteFailedIssue =
        QStringLiteral("História sa teraz nedá uložiť na disk: nové kópie zostávajú v pamäti a Tarnel ich zapíše, "
                       "hneď ako to pôjde.");
    // Shown with the set-aside files' paths, one a line, in place of %@.
    inline static const QString storedFilesSetAsideNotice =
        QStringLiteral("Tarnel nevedel prečítať uložené údaje. Odložil ich bokom, nič z nich nezmazal, a pokračuje s "
                       "novými:\n%@");
    // Shown with the paths of another history found at the history's path while Tarnel held it (a
    // backup restored over it, say) and set aside whole, one a line, in place of %@.
    inline static const QString otherHistorySetAsideNotice =
        QStringLiteral("Na mieste histórie Tarnel našiel inú históriu. Odložil ju bokom, nič z nej nezmazal, a "
                       "pokračuje so svojou:\n%@");
    // Follows the notice above when the history itself was set aside: the number of entries
    // kept from it in place of the first %@, of those lost in place of the second.
    inline static const QString damagedHistoryRowsNotice =
        QStringLiteral("Z odloženej histórie Tarnel zachránil položky: %@. Stratené položky: %@.");
    // The same when the file could not tell how many entries it held: the second %@ is the least lost.
    inline static const QString damagedHistoryLeastRowsNotice =
        QStringLiteral("Z odloženej histórie Tarnel zachránil položky: %@. Stratené položky: aspoň %@.");
    inline static const QString damagedHistoryNothingReadNotice =
        QStringLiteral("Z odloženej histórie Tarnel nevedel prečítať žiadnu položku.");
    // Follows the notice above: the files it names keep images on disk.
    inline static const QString setAsideFilesKeepImagesNotice =
        QStringLiteral("Kým ich neodstrániš, obrázky zmazaných položiek zostávajú na disku.");
    // Shown at each start with the paths of files set aside by an earlier run, one a line, in
    // place of %@.
    inline static const QString earlierSetAsideFilesNotice =
        QStringLiteral("Tarnel má bokom odložené uložené údaje, ktoré nevedel prečítať. Kým ich neodstrániš, obrázky "
                       "zmazaných položiek zostávajú na disku:\n%@");
    // Shown at each start with the paths of another history set aside by an earlier run (found in
    // place of the history), one a line, in place of %@.
    inline static const QString earlierOtherHistorySetAsideNotice =
        QStringLiteral("Tarnel má bokom odloženú inú históriu, ktorú našiel na mieste svojej. Kým ju neodstrániš, "
                       "obrázky zmazaných položiek zostávajú na disku:\n%@");
    // Shown in the panel where the history's list would be, while the history on disk could not be
    // read yet (another program holds it, the disk fails).
    inline static const QString historyNotReadTitle = QStringLiteral("História sa zatiaľ nenačítala");
    inline static const QString historyNotReadMessage =
        QStringLiteral("Súbor histórie sa teraz nedá prečítať. Tarnel ho skúsi načítať znova a nič z neho nezmaže; "
                       "nové kópie sa ukladajú.");
    // Shown in its place once the history was read after all, with the number of entries it gave.
    inline static const QString historyReadAfterAllNotice = QStringLiteral("História je načítaná: položky z disku: %@.");
    // Shown at quit with the history file's path in place of %@.
    inline static const QString historyUnsavedAtQuitNotice =
        QStringLiteral("Tarnel sa ukončuje, ale históriu sa nedarí uložiť do súboru %@: posledné kópie sa stratia.");

    inline static const QString screenshotFolderUnreadableIssue =
        QStringLiteral("Tarnel nemá prístup k priečinku so screenshotmi. Vyber ho znova v Nastaveniach.");
    inline static const QString screenshotFolderMissingIssue =
        QStringLiteral("Najprv vyber priečinok, kam sa ukladajú screenshoty.");
    inline static const QString screenshotFolderNotOpenedIssue =
        QStringLiteral("Tarnel nemá prístup k tomuto priečinku. Vyber ho znova a skontroluj jeho oprávnenia.");
    // What every view of permissions says under a Wayland session (through XWayland).
    inline static const QString waylandSessionLimitsNotice =
        QStringLiteral("V relácii Wayland fungujú skratky a vkladanie len v aplikáciách X11. Kópie z aplikácií "
                       "Wayland sa zaznamenajú, keď ich plocha odovzdá.");

    // Creates the model and loads everything stored, in a fixed order; starts no monitoring.
    explicit ClipboardModel(ClipboardModelServices services, QObject *parent = nullptr);
    ~ClipboardModel() override;

    // The face the settings pages and the guide are given; owned by the model.
    PreferencesLink &preferences() const { return *m_preferences; }

    // ---- published state ----
    QStringList unavailableShortcuts() const { return m_unavailableShortcuts; }
    void setUnavailableShortcuts(const QStringList &value);
    // Labels of the shortcuts that the keyboard's layout switch takes before Tarnel sees them.
    QStringList layoutSwitchShortcuts() const { return m_layoutSwitchShortcuts; }
    void setLayoutSwitchShortcuts(const QStringList &value);
    std::optional<QString> shortcutNotice() const { return m_shortcutNotice; }
    void setShortcutNotice(const std::optional<QString> &value);
    const QList<ClipboardEntry> &entries() const { return m_entries; }
    void setEntries(const QList<ClipboardEntry> &value);
    // How many times the history has changed (each entriesChanged).
    quint64 historyChangeCount() const { return m_historyChangeCount; }
    // The rows put in and taken out by the changes after the `changeCount`th, oldest first, so
    // that a list mirroring the history can follow it without comparing it row by row. Nothing
    // when one of those changes did more than that (a pin, an edit, a new list) or lies too far back.
    std::optional<QList<HistoryRowEdit>> historyRowEditsSince(quint64 changeCount) const;
    bool copiedNoticeVisible() const { return m_copiedNoticeVisible; }
    std::optional<ClipboardEntry> screenshotNotice() const { return m_screenshotNotice; }
    // The copied notice is telling that a copied image could not be kept (too large to read or
    // to reduce, or a decompression bomb); whatever text the copy offered was recorded instead.
    bool imageNotKeptNotice() const { return m_notKeptNotice == NotKept::Image; }
    // The copied notice is telling that a copied text (or list of files) was too long to keep.
    bool textNotKeptNotice() const { return m_notKeptNotice == NotKept::Text; }
    // The copied notice is telling that the copying program stopped sending its copy, or went
    // away, before any of it arrived whole: nothing of it was kept.
    bool copyNotKeptNotice() const { return m_notKeptNotice == NotKept::Copy; }
    // The copied notice is telling that a copy shortcut found nothing selected in the program
    // in front: nothing was copied.
    bool nothingSelectedNotice() const { return m_notKeptNotice == NotKept::Selection; }
    bool pasteMonitoringEnabled() const { return m_pasteMonitoringEnabled; }
    void setPasteMonitoringEnabled(bool value);
    bool accessibilityPermissionEnabled() const { return m_accessibilityPermissionEnabled; }
    void setAccessibilityPermissionEnabled(bool value);
    bool inputMonitoringPermissionEnabled() const { return m_inputMonitoringPermissionEnabled; }
    // The limits of the session every view of permissions states (untranslated); empty when
    // the desktop sets none beyond the permissions themselves.
    QString sessionLimitsNotice() const;
    void setInputMonitoringPermissionEnabled(bool value);
    std::optional<QString> screenshotFolderPath() const { return m_screenshotFolderPath; }
    void setScreenshotFolderPath(const std::optional<QString> &value);
    std::optional<QString> screenshotCaptureIssue() const { return m_screenshotCaptureIssue; }
    void setScreenshotCaptureIssue(const std::optional<QString> &value);
    bool launchAtLoginEnabled() const { return m_launchAtLoginEnabled; }
    void setLaunchAtLoginEnabled(bool value);
    std::optional<QString> launchAtLoginIssue() const { return m_launchAtLoginIssue; }
    void setLaunchAtLoginIssue(const std::optional<QString> &value);
    // Why the history is not reaching the disk (its Slovak base text); none while it is.
    std::optional<QString> historyStorageIssue() const { return m_historyStorageIssue; }
    void setHistoryStorageIssue(const std::optional<QString> &value);
    // Stored files set aside in this run under another name (found unreadable, or not the history
    // the run held), where they now are.
    QStringList setAsideFiles() const { return m_setAsideFiles; }
    // Those of them that were another history, one that can be read, found at the history's path
    // in place of the one this run held (with the log and index set aside with it).
    QStringList setAsideHistories() const { return m_setAsideHistories; }
    // Files set aside by an earlier run that were still there at this start: each keeps the
    // image files of deleted entries on disk until it is removed, so every start names them.
    QStringList earlierSetAsideFiles() const { return m_earlierSetAsideFiles; }
    // Those of them found to be another history that can be read (with the log and index set
    // aside with it); told a moment after the start, with setAsideFilesChanged.
    QStringList earlierSetAsideHistories() const { return m_earlierSetAsideHistories; }
    // What a history that was set aside at this start as damaged still gave.
    struct HistoryRescue {
        qint64 keptEntries = 0;
        qint64 lostEntries = 0;
        // False when the file could not tell how many entries it held: lostEntries is the least.
        bool lostCountExact = true;
        bool operator==(const HistoryRescue &) const = default;
    };
    std::optional<HistoryRescue> historyRescue() const { return m_historyRescue; }
    // Whether the history on disk is all in memory. NotReadYet: the start could not read it; only
    // the run's own copies are shown and written, nothing on disk is removed, and it is read again.
    // ReadAfterAll: it was, a moment ago (the count of entries it gave in historyReadAfterAllCount).
    enum class HistoryReading { Whole,
                                NotReadYet,
                                ReadAfterAll };
    HistoryReading historyReading() const { return m_historyReading; }
    qsizetype historyReadAfterAllCount() const { return m_historyReadAfterAllCount; }
    bool automaticScreenshotCapture() const { return m_automaticScreenshotCapture; }
    void setAutomaticScreenshotCaptureField(bool value);
    bool isRecording() const { return m_isRecording; }
    void setIsRecording(bool value);
    bool isPrivateMode() const { return m_isPrivateMode; }
    void setIsPrivateMode(bool value);
    ClipboardAppearance appearance() const { return m_appearance; }
    void setAppearance(ClipboardAppearance value);
    AppLanguage language() const { return m_language; }
    void setLanguage(AppLanguage value);
    int historyLimit() const { return m_historyLimit; }
    void setHistoryLimit(int value);
    bool repeatsPasteStack() const { return m_repeatsPasteStack; }
    void setRepeatsPasteStack(bool value);
    const QList<ClipboardSnippet> &snippets() const { return m_snippets; }
    void setSnippets(const QList<ClipboardSnippet> &value);
    const QList<ClipboardJar> &jars() const { return m_jars; }
    void setJars(const QList<ClipboardJar> &value);
    std::optional<QString> selectedJarID() const { return m_selectedJarID; }
    void setSelectedJarID(const std::optional<QString> &value);
    const QStringList &pasteStackEntryIDs() const { return m_pasteStackEntryIDs; }
    void setPasteStackEntryIDs(const QStringList &value);
    const QSet<QString> &consumedEntryIDs() const { return m_consumedEntryIDs; }
    void setConsumedEntryIDs(const QSet<QString> &value);
    bool isPasteAsPresented() const { return m_isPasteAsPresented; }
    void setIsPasteAsPresented(bool value);
    bool isQuickPasteOptionsPresented() const { return m_isQuickPasteOptionsPresented; }
    void setIsQuickPasteOptionsPresented(bool value);
    int selectedQuickPasteOptionIndex() const { return m_selectedQuickPasteOptionIndex; }
    void setSelectedQuickPasteOptionIndex(int value);
    std::optional<QuickImageActionRequest> quickImageActionRequest() const { return m_quickImageActionRequest; }
    void setQuickImageActionRequest(const std::optional<QuickImageActionRequest> &value);
    ClipboardPanelTab selectedTab() const { return m_selectedTab; }
    void setSelectedTab(ClipboardPanelTab value);
    int temporaryMinutes() const { return m_temporaryMinutes; }
    void setTemporaryMinutes(int value);
    QString searchText() const { return m_searchText; }
    void setSearchText(const QString &value);
    QUuid quickSearchFocusRequest() const { return m_quickSearchFocusRequest; }
    void setQuickSearchFocusRequest(const QUuid &value);
    std::optional<QString> selectedEntryID() const { return m_selectedEntryID; }
    void setSelectedEntryID(const std::optional<QString> &value);
    bool isQuickAccessPresented() const { return m_isQuickAccessPresented; }
    void setIsQuickAccessPresented(bool value);
    QuickAccessKeyboardFocus quickAccessKeyboardFocus() const { return m_quickAccessKeyboardFocus; }
    void setQuickAccessKeyboardFocus(QuickAccessKeyboardFocus value);
    std::optional<QString> selectedQuickAccessSnippetID() const { return m_selectedQuickAccessSnippetID; }
    void setSelectedQuickAccessSnippetID(const std::optional<QString> &value);
    QString currentContext() const { return m_currentContext; }
    void setCurrentContext(const QString &value);

    // ---- plain working state (not published) ----
    // The main panel shows over other windows: global shortcuts wait until it is gone.
    bool isPanelOverlayPresented() const { return m_isPanelOverlayPresented; }
    void setPanelOverlayPresented(bool presented) { m_isPanelOverlayPresented = presented; }
    // Quick Access's search field has the keyboard: the panel key map leaves typing to it.
    bool isSearchFieldFocused() const { return m_isSearchFieldFocused; }
    void setSearchFieldFocused(bool focused) { m_isSearchFieldFocused = focused; }
    // The application in front when the panel or Quick Access opened: where every paste from
    // it goes while it stays open (never Tarnel).
    std::optional<RunningApplication> pasteTargetApplication() const { return m_pasteTargetApplication; }
    void setPasteTargetApplication(const std::optional<RunningApplication> &application)
    {
        m_pasteTargetApplication = application;
    }
    // Until when an image copy counts as the desktop's screenshot chord; nothing when no chord
    // was pressed. A capture closes it.
    std::optional<QDateTime> screenshotChordWindowEnd() const { return m_pendingScreenshotCopyUntil; }
    void setScreenshotChordWindowEnd(const std::optional<QDateTime> &end) { m_pendingScreenshotCopyUntil = end; }
    // Puts text on the clipboard without it coming back as a copy.
    void writeOwnText(const QString &text);
    // The history row clicked last, while a second click on it would still paste it.
    std::optional<QString> lastClickedHistoryRow() const
    {
        return m_lastHistoryRowClick ? std::optional<QString>(m_lastHistoryRowClick->first) : std::nullopt;
    }
    // A copy shortcut sent Ctrl+C and the model waits for the application's copy.
    bool isAwaitingCopy() const { return m_pendingCopyRequest.has_value(); }
    qint64 lastChangeCount() const { return m_lastChangeCount; }
    // For the roads that deal with a change themselves (the model's own writes).
    void setLastChangeCount(qint64 count) { m_lastChangeCount = count; }
    Pasteboard *pasteboard() const { return m_pasteboard; }
    const ClipboardImageStore &clipboardImageStore() const { return m_clipboardImageStore; }

    // ---- launch at login ----
    void setLaunchAtLogin(bool enabled);

    // ---- persistence ----
    void persistHistory();
    // The one JSON writer of a list of records; false when the settings could not store it.
    bool persist(const QList<ClipboardEntry> &records, const QString &key);
    bool persist(const QList<ClipboardJar> &records, const QString &key);
    bool persist(const QList<ClipboardSnippet> &records, const QString &key);
    void persistPasteStack();
    void persistConsumedEntries();
    void persistJars();
    void persistSnippets();
    // Until every change of the history handed to its writer is committed (or failed once
    // more); false when that took longer than the timeout. Quitting does this on its own.
    bool flushHistory(std::chrono::milliseconds timeout = HistoryWriter::kQuitFlushLimit);
    // Before the end: a write that failed is tried once more at once, without its rest. False
    // when copies of this session are still not on disk (or the try took longer than the
    // timeout): quitting now loses them.
    bool writeHistoryBeforeQuit(std::chrono::milliseconds timeout = HistoryWriter::kQuitFlushLimit);
    // Where the history is stored, for the user; empty when it is kept in memory only.
    QString historyFilePath() const;
    // The history's folder was taken anew at its path, or taken at last by a run that could not
    // hold it at start: the whole history kept in memory is written there, and from then on
    // every change.
    void writeHistoryToTakenFolder();
    // Something changed where the history's files are: they are looked at, and written anew from
    // what the model holds where they are no longer the ones it holds.
    void checkHistoryFiles();
    // The history's writer; none when the history is kept in memory only.
    HistoryWriter *historyWriter() const { return m_historyWriter.get(); }
    // The folder used when no screenshot folder is stored.
    QString defaultScreenshotFolder() const;

    // The bytes of an entry's image: its bytes in memory, else its store file, else its
    // screenshot file; nothing when none can be read.
    std::optional<QByteArray> imageData(const ClipboardEntry &entry) const;
    // The same reading as a value of its own, for worker threads: it stays valid and safe to use
    // after the model is gone, which a pointer to the model would not.
    EntryImageBytes imageBytes() const { return EntryImageBytes(m_clipboardImageStore); }

    // ---- monitoring and capture ----
    // Captures each change the clipboard reports as soon as the event loop turns, each from its
    // own snapshot and in order; temporary entries leave at their end time.
    void startMonitoring();
    bool isMonitoring() const { return m_monitoring; }
    void readClipboardIfChanged();
    // The size rule for images (thread-safe, may decode and re-encode).
    static std::optional<QByteArray> optimizedImageData(const QByteArray &bytes);
    // Captures whose image is still being reduced, or whose long text is still being
    // classified, off the main thread. Each is published as soon as it is done, at the place
    // in the history that the order of the copies gives it.
    int pendingCaptureCount() const { return int(m_pendingCaptures.size()); }
    // Folds being made for the search off the main thread, and the entries whose folds are kept.
    int searchFoldsInWork() const { return m_searchFoldsInWork; }
    qsizetype preparedSearchFoldCount() const { return m_quickAccessSearchIndex.cachedCount(); }
    // Texts up to this length are classified at once on the main thread, in well under a
    // millisecond; longer ones on a worker thread.
    static constexpr qsizetype kInlineClassificationLength = 8192;

    // ---- trimming ----
    void trimHistory();

    // ---- notices ----
    void showCopiedNotice();
    void showScreenshotNotice(const ClipboardEntry &entry);
    void showImageNotKeptNotice();
    void showTextNotKeptNotice();
    void showCopyNotKeptNotice();
    void showNothingSelectedNotice();
    void dismissScreenshotNotice();

    // ---- removal ----
    void removeEntries(const std::function<bool(const ClipboardEntry &)> &predicate);
    void clearClipboardEntries();
    void clearHistoryEntries();
    void clearPinnedEntries();
    void clearGalleryEntries();
    void clearScreenshotEntries();
    void clearSnippets();
    void clearAllJarContents();
    void clearJarContents(const QString &jarID);
    void deleteJar(const QString &jarID);
    void removeEntriesFromJars(const QSet<QString> &ids);
    bool isInAnyJar(const ClipboardEntry &entry) const;
    // The Clipboard section: not pinned, not in the Paste Stack, not consumed.
    QList<ClipboardEntry> clipboardEntries() const;
    // What the clears of the Clipboard and History sections remove: never images, pinned
    // entries or entries saved in the Paste Stack or a Jar.
    QList<ClipboardEntry> clearableClipboardEntries() const;
    QList<ClipboardEntry> clearableHistoryEntries() const;
    // Whether those clears would remove anything: asked by the section headings after every
    // copy, so they stop at the first such entry instead of listing a long history.
    bool hasClearableClipboardEntries() const;
    bool hasClearableHistoryEntries() const;

    // ---- screenshot monitoring ----
    void updateScreenshotMonitoring();
    ScreenshotFolderMonitor *screenshotFolderMonitor() const { return m_screenshotFolderMonitor.get(); }

    // Whether the image store may delete files that no entry names: not after a stored history
    // could only be read in part, because the unread entries may still need theirs.
    bool sweepsUnreferencedImages() const { return m_sweepsUnreferencedImages; }

    // =========================================================================================
    // Paste road, Paste Stack, Jars and entry edits, snippets, selection
    // (ClipboardModelPaste.cpp, ClipboardModelPasteStack.cpp, ClipboardModelJars.cpp,
    // ClipboardModelSnippets.cpp, ClipboardModelSelection.cpp)
    // =========================================================================================

    // A copy shortcut is followed up by reading the clipboard this often, at most this many times
    // besides the reads made while a change is still being read from its owner.
    static constexpr std::chrono::milliseconds kCopyFollowUpInterval{150};
    static constexpr int kCopyFollowUpReads = 20;

    // ---- paste road ----
    // Pastes a history entry (as the history holds it now) into the target application (into
    // its window targetWindow, when known); a Paste Stack paste (advancesStack) then moves the
    // stack on.
    void pasteEntryFromPanel(const ClipboardEntry &entry, bool consumesHistory, std::optional<qint64> targetPID,
                             bool advancesStack, quint64 targetWindow = 0);
    // Ctrl+V after the trust check; whether it was sent (a delayed send counts).
    bool sendPasteShortcutIfPermitted(std::optional<qint64> targetPID);
    // Pastes a text that is not a history entry (transformed texts, colours, JSON keys).
    void pasteText(const QString &text);
    // Pastes the selected entry of the shown list, else its first entry.
    void pasteSelectedEntry(const QList<ClipboardEntry> &list);
    // A click on a history row pastes; the second click of a double click does not.
    void pasteHistoryEntryFromClick(const ClipboardEntry &entry);
    // Sends Ctrl+C to the process and follows the copy up: into the Paste Stack, or skipped.
    void copyUsingShortcut(bool privately, qint64 targetPID);

    // ---- Paste Stack ----
    QList<ClipboardEntry> pasteStackEntries() const;
    void addToPasteStack(const ClipboardEntry &entry);
    void removeFromPasteStack(const ClipboardEntry &entry);
    void movePasteStackEntry(const QString &id, qsizetype destination);
    // The confirmed clear of the Paste Stack screen; used-up entries stay used up.
    void clearPasteStack();

    // ---- Jars, pins and entry edits ----
    bool createJar(const QString &name);
    bool renameJar(const QString &jarID, const QString &name);
    std::optional<ClipboardJar> selectedJar() const;
    QList<ClipboardEntry> selectedJarEntries() const;
    QList<ClipboardJar> filteredJars() const;
    bool contains(const ClipboardEntry &entry, const QString &jarID) const;
    void toggleEntry(const ClipboardEntry &entry, const QString &jarID);
    void togglePin(const ClipboardEntry &entry);
    // Whether the history entry holds the text afterwards: false when it has left the history
    // (expired, trimmed, deleted) or is an image or file entry, so a caller can keep the edit.
    bool updateEntryText(const ClipboardEntry &entry, const QString &text);
    void deleteEntry(const ClipboardEntry &entry);
    void pasteJSONKeys(const ClipboardEntry &entry);

    // ---- snippets and typed triggers ----
    bool saveSnippet(const std::optional<QString> &id, const QString &name, const QString &trigger,
                     const QString &text);
    void addSnippet(const ClipboardEntry &entry, const QString &name, const QString &trigger);
    // One key typed in another application; true when it completed a trigger and was expanded.
    bool handleTypedKey(Qt::Key key, const std::optional<QString> &characters, Qt::KeyboardModifiers modifiers);

    // ---- selection ----
    void setSelectedEntry(const ClipboardEntry &entry);
    void navigateSelection(const QList<ClipboardEntry> &list, int direction);

    // =========================================================================================
    // Quick Access (ClipboardModelQuickAccess.cpp): the keyboard-driven picker over the front
    // application; the lists it offers, its selection and focus moves, its paste options and
    // its commits into the paste road.
    // =========================================================================================

    // The entries of the selected tab, narrowed by the search text; the Clipboard tab lists
    // the copies made in the application that was in front first.
    QList<ClipboardEntry> quickAccessEntries() const;
    QList<ClipboardSnippet> quickAccessSnippets() const;
    // Rows listed: snippets, Jars (Jars tab without a chosen Jar) or entries.
    int quickAccessItemCount() const;
    std::optional<ClipboardEntry> selectedQuickAccessEntry() const;
    // Records where the next paste goes and resets the picker. While Quick Access is already
    // open (switching between the history and paste-as forms), Tarnel itself is in front: the
    // target recorded at the first opening is kept, so the paste still reaches that application.
    void beginQuickAccess(const std::optional<RunningApplication> &targetApplication);
    void requestQuickSearchFocus();
    void focusQuickAccessItems();
    void navigateQuickAccessTab(int direction);
    void navigateQuickAccessSnippet(int direction);
    // The paste options of the selected entry: text transforms for text, actions for images.
    static const std::array<ClipboardTransform, 8> &quickTextOptions();
    static const std::array<QuickImageAction, 4> &quickImageOptions();
    bool openQuickPasteOptions();
    void navigateQuickPasteOption(int direction);
    void commitQuickPasteOption();
    void commitQuickAccessSelection();
    // The tab order of moving left and right in Quick Access.
    static const std::array<ClipboardPanelTab, 8> &quickAccessTabOrder();

    // ==== screenshot import and screenshot folder settings (ClipboardModelScreenshots.cpp) ====
    // Wait before each size check of a new screenshot file.
    static constexpr std::chrono::milliseconds kScreenshotCheckDelay{350};
    inline static const QString screenshotSourceApp = QStringLiteral("Screenshot");
    void setAutomaticScreenshotCapture(bool enabled);
    // Stores the folder in its cleaned absolute form, switches automatic capture on and watches it.
    void setScreenshotFolder(const QString &folderPath);
    // Paths of the screenshot files whose import is waiting or reading, one per file.
    QStringList screenshotImportPaths() const { return m_screenshotImportTasks.keys(); }
    // Imports whose file is being read and decoded off the main thread right now.
    int pendingScreenshotReads() const;

    // ==== recognised text (ClipboardModelRecognizedText.cpp) ====
    inline static const QString recognizedTextSourceApp = QStringLiteral("Tarnel OCR");
    // A screen read's text: a new history entry, selected, and the clipboard's content.
    void copyScreenRecognition(const QString &text);
    // Text from the screenshot text sheet onto the clipboard only.
    void copyScreenshotText(const QString &text);
    // Saves sheet text as the entry `id` (updated in place when it exists) and files it by
    // destination; true when that entry is in the history afterwards.
    bool saveScreenshotText(const QString &text, const QString &id, OCRTextDestination destination);

Q_SIGNALS:
    void unavailableShortcutsChanged();
    void layoutSwitchShortcutsChanged();
    void shortcutNoticeChanged();
    void entriesChanged();
    void copiedNoticeVisibleChanged();
    void screenshotNoticeChanged();
    void notKeptNoticeChanged();
    void pasteMonitoringEnabledChanged();
    void accessibilityPermissionEnabledChanged();
    void inputMonitoringPermissionEnabledChanged();
    void screenshotFolderPathChanged();
    void screenshotCaptureIssueChanged();
    void launchAtLoginEnabledChanged();
    void launchAtLoginIssueChanged();
    void historyStorageIssueChanged();
    void setAsideFilesChanged();
    void historyReadingChanged();
    void automaticScreenshotCaptureChanged();
    void isRecordingChanged();
    void isPrivateModeChanged();
    void appearanceChanged();
    void languageChanged();
    void historyLimitChanged();
    void repeatsPasteStackChanged();
    void snippetsChanged();
    void jarsChanged();
    void selectedJarIDChanged();
    void pasteStackEntryIDsChanged();
    void consumedEntryIDsChanged();
    void isPasteAsPresentedChanged();
    void isQuickPasteOptionsPresentedChanged();
    void selectedQuickPasteOptionIndexChanged();
    void quickImageActionRequestChanged();
    void selectedTabChanged();
    void temporaryMinutesChanged();
    void searchTextChanged();
    void quickSearchFocusRequestChanged();
    void selectedEntryIDChanged();
    void isQuickAccessPresentedChanged();
    void quickAccessKeyboardFocusChanged();
    void selectedQuickAccessSnippetIDChanged();
    void currentContextChanged();
    // A paste's Ctrl+V could not be sent (its target could not be activated): nothing was
    // pasted and nothing changed; the desktop's beep tells the user.
    void pasteFailed();

private:
    // A row edit of m_entries just made, announced with the next entriesChanged.
    void noteHistoryRowEdit(HistoryRowEdit edit);
    // Files the noted edits under the change being announced, or, when the history changed
    // in some other way, starts the log afresh.
    void logHistoryChange();
    // One copy on its way into the history; an image copy may wait for its size reduction.
    struct PendingCapture {
        quint64 serial = 0;
        // The copy's place among the entries added on top of the history (see m_topAdditions).
        quint64 sequence = 0;
        bool ready = false;
        std::optional<ClipboardEntry> entry;
        // Of the entry's text; absent for files and images, which are checked as they are published.
        std::optional<TextClassification> classification;
        // While the text is classified on a worker.
        QFutureWatcher<TextClassification> *classifying = nullptr;
        bool forPasteStack = false;
        int temporaryMinutes = 0;
        // What the copy falls back to when its image cannot be kept.
        std::optional<ClipboardEntry> textFallback;
        // The copy offered an image that could not be kept: the notice says so.
        bool imageNotKept = false;
        // The copy offered only a text too long to keep: the notice says so.
        bool textNotKept = false;
        // Its owner stopped or went away before anything of it arrived whole: the notice says so.
        bool copyNotKept = false;
        // The screenshot chord window as it was before the image was read; a copy that ends up
        // with nothing recordable leaves the window as it found it.
        std::optional<QDateTime> chordWindowBefore;
    };

    // Loading (construction only): no setting effects run.
    void loadSettings();
    void loadHistory();
    // A history stored under historyKey by an earlier build: its entries, once.
    std::optional<QList<ClipboardEntry>> takeStoredHistoryKey();
    QList<ClipboardEntry> loadStoredHistory();
    // Each row's entry, or why it could not be read; the records of the entries read are let go.
    static void decodeRows(QList<StoredHistoryRow> &rows, QList<std::optional<ClipboardEntry>> &decoded,
                           QStringList &errors);
    // What one read of the history gave: its rows (their records let go), each row's entry, and
    // the store files that the rows this build cannot read may name.
    struct HistoryRead {
        StoredHistory stored;
        QList<std::optional<ClipboardEntry>> decoded;
        QSet<QString> heldImages;
    };
    // Any thread, on a connection of its own.
    static HistoryRead readHistory(HistoryStore &connection, const ClipboardImageStore &images);
    // The start's read, on a worker: none when it did not come within kStartReadWait; it is then
    // taken in as a read made again is.
    std::optional<HistoryRead> readHistoryAtStart();
    // What a read of a damaged file set aside still gave, for the user.
    void noteHistoryRescue(const HistoryRead &read);
    void onHistoryWriteFailed(bool diskFull);
    void onImagesStored(const QHash<QString, QString> &pathsByID);
    void onImagesLost(const QStringList &ids);
    void startHistoryWriter(HistoryDiffer committed);
    // A history the start could not read: read again off the main thread, after the rest, and
    // what it gives merged below the run's own copies.
    void scheduleHistoryReread();
    void rereadHistory();
    void mergeRereadHistory(const HistoryRead &read);
    void lookAtEarlierSetAsideFiles();
    void setHistoryReading(HistoryReading value);
    void loadSnippets();
    void loadJars();
    void loadIdLists();
    void installScreenshotMonitorCallbacks();
    // Quick Access keeps a selection that its Return can act on: after a change of tab, Jar or
    // search text the first listed row is selected, unless the selection is still listed.
    void keepQuickAccessSelection();
    void keepSelectionForTab();
    void keepSelectionForJar();
    void keepSelectionForSearch();
    // The selection stays while the list shows it; otherwise the first listed row is chosen.
    void keepListedSelection();
    bool hasStoreFile(const ClipboardEntry &entry) const;
    // Whether path names a file of the image store that is not there at all.
    bool isGoneStoreFile(const QString &path) const;
    // False when no copy could be kept.
    bool backUpUnreadable(const QString &key, const QByteArray &bytes, bool nothingRead);
    void noteSetAsideFile(const QString &path, bool anotherHistory = false);
    // Whether a list may be written under the key: an empty list never replaces stored data
    // that could not be read, so nothing is lost before the user adds something new.
    bool mayWriteList(const QString &key, bool isEmpty);
    QSet<QString> savedEntryIDs() const;
    bool isClearableFromClipboard(const ClipboardEntry &entry, const QSet<QString> &saved) const;

    // Capture.
    struct ReportedChange {
        qint64 count = 0;
        PasteboardContent content;
    };
    void noteReportedChange(qint64 count);
    void takeReportedChanges();
    void takeChange(qint64 count, const PasteboardContent &content);
    bool isReoffer(const PasteboardContent &content) const;
    void scheduleExpiry();
    void capturePasteboard(const PasteboardContent &content, bool forPasteStack, int temporaryMinutes);
    ClipboardEntry newEntry(const QString &sourceApp) const;
    void onImageReduced(quint64 serial, std::optional<QByteArray> bytes);
    // Classifies the capture's text at once when it is short, else on a worker thread.
    void classifyCapture(PendingCapture &capture);
    void onTextClassified(quint64 serial, TextClassification classification);
    // Waits for every classification still running and publishes its copy.
    void finishTextClassifications();
    void publishReadyCaptures();
    // Counts an entry added on top of the history by any road, so that a copy made before it
    // and published after it goes below it.
    quint64 noteAddedOnTop(const QString &entryID);
    void publishCapture(PendingCapture capture);
    // The program a copy came from: the one whose window owned the clipboard, else the last
    // one in front that was neither Tarnel nor the window manager.
    QString sourceApplicationName(quint64 clipboardOwner) const;

    // Screenshot import: one task per file path, checked every kScreenshotCheckDelay until
    // its size holds still, then read, reduced and decoded off the main thread.
    struct ScreenshotLoad {
        std::optional<QByteArray> bytes;
        QString failure; // why the bytes cannot be kept, for the log
    };
    struct ScreenshotImport {
        quint64 serial = 0;
        std::optional<qint64> recordedSize;
        int checksMade = 0;
        QFutureWatcher<ScreenshotLoad> *reading = nullptr;
    };
    void importScreenshot(const QString &path);
    void scheduleScreenshotCheck(const QString &path, quint64 serial);
    void runScreenshotCheck(const QString &path, quint64 serial);
    void onScreenshotLoaded(const QString &path, quint64 serial, ScreenshotLoad load);
    void failScreenshotCheck(const QString &path, const QString &reason);
    void finishScreenshotImport(const QString &path);
    void cancelScreenshotImports();
    static ScreenshotLoad loadScreenshotFile(const QString &path);

    // Recognised text.
    ClipboardEntry recognizedTextEntry(const QString &id, const QString &text) const;

    void setCopiedNoticeVisible(bool value);
    void setScreenshotNoticeValue(const std::optional<ClipboardEntry> &value);
    // What the copied notice tells was not kept.
    enum class NotKept { Nothing,
                         Image,
                         Text,
                         Copy,
                         Selection };
    void showNotKeptNotice(NotKept what);
    void setNotKeptNotice(NotKept value);
    QDateTime now() const { return m_clock->now(); }

    Pasteboard *m_pasteboard;
    SettingsStore *m_settings;
    Workspace *m_workspace;
    LoginItem *m_loginItem;
    Permissions *m_permissions;
    ScreenshotLocation *m_screenshotLocation;
    std::unique_ptr<SystemModelClock> m_ownClock;
    ModelClock *m_clock;
    QString m_backupFolder;

    QStringList m_unavailableShortcuts;
    QStringList m_layoutSwitchShortcuts;
    std::optional<QString> m_shortcutNotice;
    QList<ClipboardEntry> m_entries;
    // The row edits of the latest changes of the history, each with the change it belongs to;
    // complete for the changes after m_rowEditsKnownAfter.
    struct LoggedRowEdit {
        quint64 change = 0;
        HistoryRowEdit edit;
    };
    quint64 m_historyChangeCount = 0;
    quint64 m_rowEditsKnownAfter = 0;
    QList<LoggedRowEdit> m_rowEdits;
    // Edits made since the last change was announced, and the history's length then.
    QList<HistoryRowEdit> m_unannouncedRowEdits;
    qsizetype m_sizeAtLastChange = 0;
    // The history's change count when its list was last handed to the writer.
    std::optional<quint64> m_historyChangeAtLastWrite;
    bool m_copiedNoticeVisible = false;
    std::optional<ClipboardEntry> m_screenshotNotice;
    NotKept m_notKeptNotice = NotKept::Nothing;
    bool m_pasteMonitoringEnabled = false;
    bool m_accessibilityPermissionEnabled = false;
    bool m_inputMonitoringPermissionEnabled = false;
    std::optional<QString> m_screenshotFolderPath;
    std::optional<QString> m_screenshotCaptureIssue;
    bool m_launchAtLoginEnabled = false;
    std::optional<QString> m_launchAtLoginIssue;
    std::optional<QString> m_historyStorageIssue;
    QStringList m_setAsideFiles;
    QStringList m_setAsideHistories;
    QStringList m_earlierSetAsideFiles;
    QStringList m_earlierSetAsideHistories;
    std::optional<HistoryRescue> m_historyRescue;
    bool m_automaticScreenshotCapture = false;
    bool m_isRecording = true;
    bool m_isPrivateMode = false;
    ClipboardAppearance m_appearance = ClipboardAppearance::Dark;
    AppLanguage m_language = AppLanguage::Sk;
    int m_historyLimit = kDefaultHistoryLimit;
    bool m_repeatsPasteStack = false;
    QList<ClipboardSnippet> m_snippets;
    QList<ClipboardJar> m_jars;
    std::optional<QString> m_selectedJarID;
    QStringList m_pasteStackEntryIDs;
    QSet<QString> m_consumedEntryIDs;
    bool m_isPasteAsPresented = false;
    bool m_isQuickPasteOptionsPresented = false;
    int m_selectedQuickPasteOptionIndex = 0;
    std::optional<QuickImageActionRequest> m_quickImageActionRequest;
    ClipboardPanelTab m_selectedTab = ClipboardPanelTab::Clipboard;
    int m_temporaryMinutes = 0;
    QString m_searchText;
    QUuid m_quickSearchFocusRequest = QUuid::createUuid();
    std::optional<QString> m_selectedEntryID;
    bool m_isQuickAccessPresented = false;
    QuickAccessKeyboardFocus m_quickAccessKeyboardFocus = QuickAccessKeyboardFocus::Tabs;
    std::optional<QString> m_selectedQuickAccessSnippetID;
    QString m_currentContext;

    qint64 m_lastChangeCount = 0;
    std::optional<qint64> m_ignoredChangeCount;
    // On a clipboard that re-offers its content (XWayland): what it holds as far as the model
    // knows, the content of the last foreign change or of the start. The same content coming
    // again is the compositor handing it over once more, not a copy. Unknown after our own
    // writes, which the compositor never hands back.
    std::optional<PasteboardContent> m_offeredContent;
    bool m_captureNextForPasteStack = false;
    bool m_captureNextPrivately = false;
    std::optional<QUuid> m_pendingCopyRequest;
    std::optional<QDateTime> m_pendingScreenshotCopyUntil;
    // What was typed in other applications since the last break, for the snippet triggers.
    QString m_typedBuffer;
    std::optional<RunningApplication> m_pasteTargetApplication;
    std::optional<std::pair<QString, QDateTime>> m_lastHistoryRowClick;
    bool m_isPanelOverlayPresented = false;
    bool m_isSearchFieldFocused = false;
    QUuid m_activeCopiedNoticeID = QUuid::createUuid();
    bool m_monitoring = false;
    // Fallback for a clipboard that cannot report changes; none otherwise.
    QTimer *m_pollTimer = nullptr;
    // Changes reported since the last poll step, oldest first, each with its content.
    std::deque<ReportedChange> m_reportedChanges;
    bool m_pollStepQueued = false;
    // The armed expiry timer's due time and serial; a timer whose serial is old does nothing.
    std::optional<QDateTime> m_expiryDue;
    quint64 m_expirySerial = 0;
    std::unique_ptr<ScreenshotFolderMonitor> m_screenshotFolderMonitor;
    ClipboardImageStore m_clipboardImageStore;
    bool m_sweepsUnreferencedImages = true;
    HistoryEncoder m_historyEncoder;
    HistoryStore *m_historyStore = nullptr;
    std::chrono::milliseconds m_historyRetryInterval;
    bool m_writesHistory = true;
    std::function<HistoryFolderCheck()> m_historyFolder;
    std::unique_ptr<HistoryWriter> m_historyWriter;
    // Rows recovered from a damaged file are written to the fresh one at the end of loading.
    bool m_historyNeedsRewrite = false;
    HistoryReading m_historyReading = HistoryReading::Whole;
    qsizetype m_historyReadAfterAllCount = 0;
    std::chrono::milliseconds m_historyRereadRest{0};
    quint64 m_historyRereadSerial = 0;
    QFutureWatcher<HistoryRead> *m_historyReread = nullptr;
    // A history found under historyKey that the start took in before its read of the database
    // came: it stays under the key until the writer committed it.
    bool m_historyKeyLeavesOnCommit = false;
    // Keys whose stored list could not be read at all and has not been written since.
    QSet<QString> m_unreadableKeys;
    // Ids of expired entries left out while loading; the first trim also takes them out of
    // the Jars, so that no Jar names an entry that is gone.
    QSet<QString> m_idsDroppedAtLoad;

    QHash<QString, ScreenshotImport> m_screenshotImportTasks;
    quint64 m_nextScreenshotImportSerial = 1;

    std::deque<PendingCapture> m_pendingCaptures;
    quint64 m_nextCaptureSerial = 1;
    std::function<TextClassification(const QString &)> m_classifyText;
    PreferencesLink *m_preferences = nullptr;
    // Additions on top of the history, counted; a capture takes its number when it is accepted.
    quint64 m_topAdditions = 0;
    // The numbers of the entries added while a capture was pending (cleared once none is): a
    // capture published late goes below those with a higher number, in the history and in the
    // Paste Stack.
    QHash<QString, quint64> m_laterAdditions;

    // ---- paste road, Paste Stack, Jars, snippets (see the public block of the same name) ----
    void writeToClipboard(const ClipboardEntry &entry);
    // What a paste changes once its Ctrl+V went out: the consumed set and the Paste Stack. A
    // chord that is given up changes nothing.
    struct PasteEffect {
        QString entryID;
        bool consumesHistory = false;
        bool advancesStack = false;
    };
    bool sendPasteShortcutIfPermitted(std::optional<qint64> targetPID, const std::optional<PasteEffect> &effect,
                                      quint64 targetWindow);
    void sendPasteShortcut(std::optional<qint64> targetPID, const std::optional<PasteEffect> &effect,
                           quint64 targetWindow);
    // With a process, its window (when known) is the one the keys wait for.
    void postPasteKeyEvents(std::optional<qint64> targetPID, const std::optional<PasteEffect> &effect,
                            quint64 targetWindow = 0);
    void applyPasteEffect(const PasteEffect &effect);
    // Nothing was pasted: the notice says why, and the desktop's beep is heard.
    void failPaste(const QString &notice);
    void watchKeySender();
    void pasteTextIntoFrontApplication(const QString &text);
    void followUpCopyRequest(const QUuid &request, int readsDone);
    std::optional<qsizetype> historyIndex(const QString &entryID) const;

    KeySender *m_keySender = nullptr;
    // Effects of pastes whose Ctrl+V is still on its way, by the token it was posted with.
    QHash<quint64, PasteEffect> m_pendingPasteEffects;
    quint64 m_nextPasteToken = 1;

    // ---- Quick Access (see the public block of the same name) ----
    QList<ClipboardEntry> quickAccessTabEntries() const;
    // Folds the texts that the search has no folds for yet on a worker thread, so that the
    // first keystroke finds them ready: after the history is loaded or replaced. Copies bring
    // their folds with their classification.
    void prepareSearchFolds();
    // Folded texts of the entries, kept between keystrokes of the search.
    mutable EntrySearchIndex m_quickAccessSearchIndex;
    int m_searchFoldsInWork = 0;
    // What quickAccessEntries() reads. One keystroke asks for the list several times (the
    // selection upkeep and every surface that shows it), so it is computed once per change
    // of these. Lists are held as shared copies: any write to the model's own list detaches
    // it from the copy, which a comparison of buffers then sees, whatever road wrote it.
    struct QuickAccessListInputs {
        QList<ClipboardEntry> entries;
        QStringList pasteStackEntryIDs;
        QSet<QString> consumedEntryIDs;
        QList<ClipboardJar> jars;
        std::optional<QString> selectedJarID;
        ClipboardPanelTab selectedTab = ClipboardPanelTab::Clipboard;
        QString searchText;
        QString currentContext;

        bool isSameAs(const QuickAccessListInputs &other) const;
    };
    QuickAccessListInputs quickAccessListInputs() const;
    struct QuickAccessListMemo {
        QuickAccessListInputs inputs;
        QList<ClipboardEntry> entries;
    };
    mutable std::optional<QuickAccessListMemo> m_quickAccessListMemo;
};
