#include "engine/ClipboardModel.h"

#include "core/Logging.h"
#include "platform/Pasteboard.h"
#include "platform/ScreenshotLocation.h"
#include "platform/ScreenshotFolderMonitor.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>

#include <algorithm>
#include <utility>

void ClipboardModel::startMonitoring()
{
    if (m_monitoring)
        return;
    m_monitoring = true;
    // Whatever is on the clipboard now counts as seen and is never captured.
    m_lastChangeCount = m_pasteboard->changeCount();
    if (m_pasteboard->reoffersContent())
        m_offeredContent = m_pasteboard->content();
    updateScreenshotMonitoring();
    connect(m_pasteboard, &Pasteboard::changeCountChanged, this, &ClipboardModel::noteReportedChange);
    if (!m_pasteboard->reportsChanges()) {
        m_pollTimer = new QTimer(this);
        m_pollTimer->setInterval(kPollInterval);
        // Each tick runs the poll step as its own event, so ticks never nest and never overlap.
        connect(m_pollTimer, &QTimer::timeout, this, [this] {
            QMetaObject::invokeMethod(this, &ClipboardModel::readClipboardIfChanged, Qt::QueuedConnection);
        });
        m_pollTimer->start();
    }
    connect(this, &ClipboardModel::entriesChanged, this, &ClipboardModel::scheduleExpiry);
    connect(this, &ClipboardModel::pasteStackEntryIDsChanged, this, &ClipboardModel::scheduleExpiry);
    scheduleExpiry();
}

void ClipboardModel::noteReportedChange(qint64 count)
{
    // The content is taken now: by the time the poll step runs, a newer copy may have replaced it.
    m_reportedChanges.push_back({count, m_pasteboard->content()});
    if (std::exchange(m_pollStepQueued, true))
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_pollStepQueued = false;
            readClipboardIfChanged();
        },
        Qt::QueuedConnection);
}

void ClipboardModel::scheduleExpiry()
{
    const QSet<QString> stackIDs(m_pasteStackEntryIDs.cbegin(), m_pasteStackEntryIDs.cend());
    std::optional<QDateTime> due;
    for (const ClipboardEntry &entry : std::as_const(m_entries)) {
        if (entry.temporaryUntil && (!due || *entry.temporaryUntil < *due) && !stackIDs.contains(entry.id))
            due = entry.temporaryUntil;
    }
    if (due == m_expiryDue)
        return;
    m_expiryDue = due;
    const quint64 serial = ++m_expirySerial;
    if (!due)
        return;
    const auto wait = std::clamp(std::chrono::milliseconds(now().msecsTo(*due)), std::chrono::milliseconds(0),
                                 kLongestExpiryWait);
    m_clock->singleShot(wait, this, [this, serial] {
        if (serial != m_expirySerial)
            return;
        m_expiryDue.reset();
        readClipboardIfChanged();
        scheduleExpiry(); // when nothing left (the wait was cut short), the next wait
    });
}

void ClipboardModel::updateScreenshotMonitoring()
{
    if (!m_screenshotFolderMonitor)
        return;
    if (!m_automaticScreenshotCapture) {
        m_screenshotFolderMonitor->stop();
        setScreenshotCaptureIssue(std::nullopt);
        return;
    }
    if (!m_screenshotFolderPath) {
        m_screenshotFolderMonitor->stop();
        setScreenshotCaptureIssue(screenshotFolderMissingIssue);
        return;
    }
    const QString folder = QDir::cleanPath(*m_screenshotFolderPath);
    // The desktop's own screenshot folder appears with its first screenshot; the import makes
    // it now so that the first screenshot is already watched. A folder the user chose is never
    // made: a missing one (an unplugged disk) is reported instead.
    if (m_screenshotLocation && !QFileInfo(folder).exists()
        && folder == QDir::cleanPath(m_screenshotLocation->screenshotFolder())
        && !m_screenshotLocation->makeScreenshotFolder())
        qCWarning(lcEngine) << "The screenshot folder could not be created";
    const bool started = m_screenshotFolderMonitor->start(folder);
    setScreenshotCaptureIssue(started ? std::nullopt : std::optional<QString>(screenshotFolderNotOpenedIssue));
}
