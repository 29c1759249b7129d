#include "engine/ClipboardModel.h"

#include "core/Logging.h"
#include "platform/Pasteboard.h"
#include "platform/ScreenshotLocation.h"
#include "platform/ScreenshotFolderMonitor.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>

void ClipboardModel::startMonitoring()
{
    if (m_pollTimer)
        return;
    // Whatever is on the clipboard now counts as seen and is never captured.
    m_lastChangeCount = m_pasteboard->changeCount();
    updateScreenshotMonitoring();
    m_pollTimer = new QTimer(this);
    m_pollTimer->setInterval(kPollInterval);
    // Each tick runs the poll step as its own event, so ticks never nest and never overlap.
    connect(m_pollTimer, &QTimer::timeout, this, [this] {
        QMetaObject::invokeMethod(this, &ClipboardModel::readClipboardIfChanged, Qt::QueuedConnection);
    });
    m_pollTimer->start();
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
