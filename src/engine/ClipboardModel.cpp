#include "engine/ClipboardModel.h"

#include "core/L10n.h"
#include "core/Logging.h"
#include "core/RawValue.h"
#include "engine/PreferencesLink.h"
#include "platform/LoginItem.h"
#include "platform/Pasteboard.h"
#include "platform/Permissions.h"
#include "platform/ScreenshotFolderMonitor.h"
#include "platform/SettingsStore.h"

namespace {

// How many row edits the history keeps for its mirrors; one that fell further behind compares.
constexpr qsizetype kLoggedRowEdits = 64;

// Assigns a published field and announces the change; an equal value changes nothing.
template <typename T>
bool assign(ClipboardModel *model, T &field, const T &value, void (ClipboardModel::*changed)())
{
    if (field == value)
        return false;
    field = value;
    Q_EMIT(model->*changed)();
    return true;
}

} // namespace

QString ClipboardModel::sessionLimitsNotice() const
{
    return m_permissions && m_permissions->waylandSession() ? waylandSessionLimitsNotice : QString();
}

ClipboardModel::ClipboardModel(ClipboardModelServices services, QObject *parent)
    : QObject(parent)
    , m_pasteboard(services.pasteboard)
    , m_settings(services.settings)
    , m_workspace(services.workspace)
    , m_loginItem(services.loginItem)
    , m_permissions(services.permissions)
    , m_screenshotLocation(services.screenshotLocation)
    , m_ownClock(services.clock ? nullptr : std::make_unique<SystemModelClock>())
    , m_clock(services.clock ? services.clock : m_ownClock.get())
    , m_backupFolder(services.backupFolder)
    , m_screenshotFolderMonitor(std::move(services.screenshotMonitor))
    , m_clipboardImageStore(services.imageFolder)
    , m_historyStore(services.history)
    , m_historyRetryInterval(services.historyRetryInterval)
    , m_writesHistory(services.writesHistory)
    , m_historyFolder(std::move(services.historyFolder))
{
    Q_ASSERT(m_pasteboard && m_settings);
    // First of all listeners, so that any listener finds the change's row edits filed.
    connect(this, &ClipboardModel::entriesChanged, this, &ClipboardModel::logHistoryChange);
    m_preferences = new PreferencesLink(*this);
    m_keySender = services.keySender;
    m_classifyText = services.classifyText ? std::move(services.classifyText) : TextClassifier::classify;
    watchKeySender();
    // Declaration values that come from the system.
    m_appearance = savedAppearance(m_settings->textValue(QString::fromLatin1(kAppearanceSettingKey)));
    m_language = savedLanguage(m_settings->textValue(QString::fromLatin1(kAppLanguageSettingKey)));
    m_launchAtLoginEnabled = m_loginItem && m_loginItem->isEnabled();
    // L10n reads the stored language on every call, so a switch shows in the next text drawn.
    SettingsStore *settings = m_settings;
    L10n::setLanguageReader([settings] { return settings->textValue(QString::fromLatin1(kAppLanguageSettingKey)); });

    // The stored state, in a fixed order; none of these assignments writes anything back.
    loadSettings();
    m_lastChangeCount = m_pasteboard->changeCount();
    loadHistory();
    loadSnippets();
    loadJars();
    loadIdLists();
    installScreenshotMonitorCallbacks();
    keepQuickAccessSelection();
    trimHistory();
    // Bytes stored inline (an older form, or a store that failed) move into the image store once.
    const bool holdsInlineImages = std::any_of(m_entries.cbegin(), m_entries.cend(),
                                               [](const ClipboardEntry &entry) { return entry.imageData.has_value(); });
    if (holdsInlineImages || m_historyNeedsRewrite)
        persistHistory();
    prepareSearchFolds();
    // A read still under way is taken in when it comes, and tried again after a rest only if it fails.
    if (m_historyReading == HistoryReading::NotReadYet && !m_historyReread)
        scheduleHistoryReread();
}

ClipboardModel::~ClipboardModel()
{
    // A copy whose text is still being classified was taken before the end was asked for: it
    // is finished here, so the writer below stores it with the rest.
    finishTextClassifications();
    // The writer's destructor writes what is still waiting before it stops; it goes first, so
    // that nothing it reports reaches a model that is half gone.
    if (m_historyWriter) {
        m_historyWriter->disconnect(this);
        m_historyWriter.reset();
    }
    // Image reductions still running finish on their own; their watchers die with the model,
    // so no result reaches a model that is gone.
    if (m_screenshotFolderMonitor) {
        m_screenshotFolderMonitor->disconnect(this);
        m_screenshotFolderMonitor->stop();
    }
    L10n::setLanguageReader(nullptr);
}

// ---- settings with effects ----

void ClipboardModel::setIsRecording(bool value)
{
    assign(this, m_isRecording, value, &ClipboardModel::isRecordingChanged);
    m_settings->setBool(recordingKey, value);
}

void ClipboardModel::setRepeatsPasteStack(bool value)
{
    assign(this, m_repeatsPasteStack, value, &ClipboardModel::repeatsPasteStackChanged);
    m_settings->setBool(repeatsPasteStackKey, value);
}

void ClipboardModel::setHistoryLimit(int value)
{
    assign(this, m_historyLimit, value, &ClipboardModel::historyLimitChanged);
    m_settings->setInteger(historyLimitKey, value);
    trimHistory();
    persistHistory();
}

void ClipboardModel::setAppearance(ClipboardAppearance value)
{
    assign(this, m_appearance, value, &ClipboardModel::appearanceChanged);
    m_settings->setText(QString::fromLatin1(kAppearanceSettingKey), rawValue(value));
}

void ClipboardModel::setLanguage(AppLanguage value)
{
    // Stored first: L10n reads the stored language, and views read their texts when told.
    m_settings->setText(QString::fromLatin1(kAppLanguageSettingKey), rawValue(value));
    assign(this, m_language, value, &ClipboardModel::languageChanged);
}

void ClipboardModel::setIsPrivateMode(bool value)
{
    assign(this, m_isPrivateMode, value, &ClipboardModel::isPrivateModeChanged);
}

void ClipboardModel::setTemporaryMinutes(int value)
{
    assign(this, m_temporaryMinutes, value, &ClipboardModel::temporaryMinutesChanged);
}

void ClipboardModel::setLaunchAtLogin(bool enabled)
{
    if (!m_loginItem)
        return;
    setLaunchAtLoginIssue(m_loginItem->setEnabled(enabled));
    // The switch shows what the system holds afterwards, also after a failed request.
    setLaunchAtLoginEnabled(m_loginItem->isEnabled());
}

// ---- plain published fields ----

void ClipboardModel::setLayoutSwitchShortcuts(const QStringList &value)
{
    assign(this, m_layoutSwitchShortcuts, value, &ClipboardModel::layoutSwitchShortcutsChanged);
}

void ClipboardModel::setUnavailableShortcuts(const QStringList &value)
{
    assign(this, m_unavailableShortcuts, value, &ClipboardModel::unavailableShortcutsChanged);
}

void ClipboardModel::setShortcutNotice(const std::optional<QString> &value)
{
    assign(this, m_shortcutNotice, value, &ClipboardModel::shortcutNoticeChanged);
}

void ClipboardModel::setEntries(const QList<ClipboardEntry> &value)
{
    assign(this, m_entries, value, &ClipboardModel::entriesChanged);
    prepareSearchFolds();
}

void ClipboardModel::noteHistoryRowEdit(HistoryRowEdit edit)
{
    m_unannouncedRowEdits.append(edit);
}

void ClipboardModel::logHistoryChange()
{
    ++m_historyChangeCount;
    // The noted edits must account for the whole change: they lead from the length announced
    // last to today's, each within the list as it stood. A change made another way (in place,
    // or by replacing the list) noted none, and then a mirror has to compare the lists.
    bool accounted = !m_unannouncedRowEdits.isEmpty();
    qsizetype size = m_sizeAtLastChange;
    for (const HistoryRowEdit &edit : std::as_const(m_unannouncedRowEdits)) {
        const bool inserted = edit.kind == HistoryRowEdit::Kind::Inserted;
        const qsizetype end = edit.row + (inserted ? 0 : edit.count);
        accounted = accounted && edit.count > 0 && edit.row >= 0 && end <= size;
        size += inserted ? edit.count : -edit.count;
    }
    accounted = accounted && size == m_entries.size();
    if (accounted) {
        for (const HistoryRowEdit &edit : std::as_const(m_unannouncedRowEdits))
            m_rowEdits.append({m_historyChangeCount, edit});
        // The oldest changes are forgotten whole; a mirror still behind them compares.
        while (m_rowEdits.size() > kLoggedRowEdits) {
            m_rowEditsKnownAfter = m_rowEdits.first().change;
            while (!m_rowEdits.isEmpty() && m_rowEdits.first().change == m_rowEditsKnownAfter)
                m_rowEdits.removeFirst();
        }
    } else {
        m_rowEdits.clear();
        m_rowEditsKnownAfter = m_historyChangeCount;
    }
    m_unannouncedRowEdits.clear();
    m_sizeAtLastChange = m_entries.size();
}

std::optional<QList<HistoryRowEdit>> ClipboardModel::historyRowEditsSince(quint64 changeCount) const
{
    if (changeCount < m_rowEditsKnownAfter || changeCount > m_historyChangeCount)
        return std::nullopt;
    QList<HistoryRowEdit> edits;
    for (const LoggedRowEdit &logged : m_rowEdits) {
        if (logged.change > changeCount)
            edits.append(logged.edit);
    }
    return edits;
}

void ClipboardModel::setCopiedNoticeVisible(bool value)
{
    assign(this, m_copiedNoticeVisible, value, &ClipboardModel::copiedNoticeVisibleChanged);
}

void ClipboardModel::setScreenshotNoticeValue(const std::optional<ClipboardEntry> &value)
{
    assign(this, m_screenshotNotice, value, &ClipboardModel::screenshotNoticeChanged);
}

void ClipboardModel::setPasteMonitoringEnabled(bool value)
{
    assign(this, m_pasteMonitoringEnabled, value, &ClipboardModel::pasteMonitoringEnabledChanged);
}

void ClipboardModel::setAccessibilityPermissionEnabled(bool value)
{
    assign(this, m_accessibilityPermissionEnabled, value, &ClipboardModel::accessibilityPermissionEnabledChanged);
}

void ClipboardModel::setInputMonitoringPermissionEnabled(bool value)
{
    assign(this, m_inputMonitoringPermissionEnabled, value, &ClipboardModel::inputMonitoringPermissionEnabledChanged);
}

void ClipboardModel::setScreenshotFolderPath(const std::optional<QString> &value)
{
    assign(this, m_screenshotFolderPath, value, &ClipboardModel::screenshotFolderPathChanged);
}

void ClipboardModel::setScreenshotCaptureIssue(const std::optional<QString> &value)
{
    assign(this, m_screenshotCaptureIssue, value, &ClipboardModel::screenshotCaptureIssueChanged);
}

void ClipboardModel::setLaunchAtLoginEnabled(bool value)
{
    assign(this, m_launchAtLoginEnabled, value, &ClipboardModel::launchAtLoginEnabledChanged);
}

void ClipboardModel::setHistoryStorageIssue(const std::optional<QString> &value)
{
    assign(this, m_historyStorageIssue, value, &ClipboardModel::historyStorageIssueChanged);
}

void ClipboardModel::setLaunchAtLoginIssue(const std::optional<QString> &value)
{
    assign(this, m_launchAtLoginIssue, value, &ClipboardModel::launchAtLoginIssueChanged);
}

void ClipboardModel::setAutomaticScreenshotCaptureField(bool value)
{
    assign(this, m_automaticScreenshotCapture, value, &ClipboardModel::automaticScreenshotCaptureChanged);
}

void ClipboardModel::setSnippets(const QList<ClipboardSnippet> &value)
{
    assign(this, m_snippets, value, &ClipboardModel::snippetsChanged);
}

void ClipboardModel::setJars(const QList<ClipboardJar> &value)
{
    assign(this, m_jars, value, &ClipboardModel::jarsChanged);
}

void ClipboardModel::setSelectedJarID(const std::optional<QString> &value)
{
    assign(this, m_selectedJarID, value, &ClipboardModel::selectedJarIDChanged);
}

void ClipboardModel::setPasteStackEntryIDs(const QStringList &value)
{
    assign(this, m_pasteStackEntryIDs, value, &ClipboardModel::pasteStackEntryIDsChanged);
}

void ClipboardModel::setConsumedEntryIDs(const QSet<QString> &value)
{
    assign(this, m_consumedEntryIDs, value, &ClipboardModel::consumedEntryIDsChanged);
}

void ClipboardModel::setIsPasteAsPresented(bool value)
{
    assign(this, m_isPasteAsPresented, value, &ClipboardModel::isPasteAsPresentedChanged);
}

void ClipboardModel::setIsQuickPasteOptionsPresented(bool value)
{
    assign(this, m_isQuickPasteOptionsPresented, value, &ClipboardModel::isQuickPasteOptionsPresentedChanged);
}

void ClipboardModel::setSelectedQuickPasteOptionIndex(int value)
{
    assign(this, m_selectedQuickPasteOptionIndex, value, &ClipboardModel::selectedQuickPasteOptionIndexChanged);
}

void ClipboardModel::setQuickImageActionRequest(const std::optional<QuickImageActionRequest> &value)
{
    assign(this, m_quickImageActionRequest, value, &ClipboardModel::quickImageActionRequestChanged);
}

void ClipboardModel::setSelectedTab(ClipboardPanelTab value)
{
    assign(this, m_selectedTab, value, &ClipboardModel::selectedTabChanged);
}

void ClipboardModel::setSearchText(const QString &value)
{
    assign(this, m_searchText, value, &ClipboardModel::searchTextChanged);
}

void ClipboardModel::setQuickSearchFocusRequest(const QUuid &value)
{
    assign(this, m_quickSearchFocusRequest, value, &ClipboardModel::quickSearchFocusRequestChanged);
}

void ClipboardModel::setSelectedEntryID(const std::optional<QString> &value)
{
    assign(this, m_selectedEntryID, value, &ClipboardModel::selectedEntryIDChanged);
}

void ClipboardModel::setIsQuickAccessPresented(bool value)
{
    // What the user types next lands after whatever Quick Access did: a trigger typed half
    // before it opened must not complete across it.
    if (value)
        m_typedBuffer.clear();
    assign(this, m_isQuickAccessPresented, value, &ClipboardModel::isQuickAccessPresentedChanged);
}

void ClipboardModel::setQuickAccessKeyboardFocus(QuickAccessKeyboardFocus value)
{
    assign(this, m_quickAccessKeyboardFocus, value, &ClipboardModel::quickAccessKeyboardFocusChanged);
}

void ClipboardModel::setSelectedQuickAccessSnippetID(const std::optional<QString> &value)
{
    assign(this, m_selectedQuickAccessSnippetID, value, &ClipboardModel::selectedQuickAccessSnippetIDChanged);
}

void ClipboardModel::setCurrentContext(const QString &value)
{
    assign(this, m_currentContext, value, &ClipboardModel::currentContextChanged);
}
