#include "platform/x11/X11Pasteboard.h"

#include "core/Logging.h"
#include "platform/x11/X11SelectionReader.h"

#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QThread>
#include <QUrl>

namespace {

// Ends every fetch still running, whatever change it belongs to.
constexpr qint64 kShuttingDown = -1;

} // namespace

X11Pasteboard::X11Pasteboard(QObject *parent) : X11Pasteboard(Limits{}, parent) {}

X11Pasteboard::X11Pasteboard(Limits limits, QObject *parent)
    : Pasteboard(parent)
    , m_clipboard(QGuiApplication::clipboard())
    , m_latestChange(std::make_shared<std::atomic<qint64>>(0))
    , m_reader(std::make_shared<X11SelectionReader>(qgetenv("DISPLAY"),
                                                    X11SelectionReader::Limits{limits.maxBytes, limits.replyTimeout,
                                                                               limits.fetchDeadline}))
{
    m_thread = new QThread(this);
    m_thread->setObjectName(QStringLiteral("ClipboardReader"));
    m_workerContext = new QObject;
    m_workerContext->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_workerContext, &QObject::deleteLater);
    m_thread->start();
    if (m_clipboard)
        connect(m_clipboard, &QClipboard::changed, this, &X11Pasteboard::ownerChanged);
}

X11Pasteboard::~X11Pasteboard()
{
    m_latestChange->store(kShuttingDown);
    m_thread->quit();
    m_thread->wait();
}

void X11Pasteboard::ownerChanged(QClipboard::Mode mode)
{
    // Selecting text (PRIMARY) is not copying; our own writes are counted by write().
    if (mode != QClipboard::Clipboard || m_writing)
        return;
    const qint64 count = ++m_pendingCount;
    m_latestChange->store(count);
    QMetaObject::invokeMethod(
        m_workerContext,
        [reader = m_reader, latest = m_latestChange, count, self = QPointer<X11Pasteboard>(this)] {
            if (latest->load() != count)
                return;
            auto content = reader->fetch([&] { return latest->load() != count; });
            if (!content || latest->load() != count)
                return;
            QMetaObject::invokeMethod(
                self.data(), [self, count, content = std::move(*content)] {
                    if (self)
                        self->fetched(count, content);
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void X11Pasteboard::fetched(qint64 count, const PasteboardContent &content)
{
    // A newer change (or one of our writes) has come since; its content is what counts.
    if (count != m_pendingCount)
        return;
    publish(count, content);
}

void X11Pasteboard::publish(qint64 count, PasteboardContent content)
{
    m_content = std::move(content);
    m_changeCount = count;
    Q_EMIT changeCountChanged(count);
}

qint64 X11Pasteboard::write(QMimeData *mime, PasteboardContent content)
{
    const qint64 count = ++m_pendingCount;
    m_latestChange->store(count);
    publish(count, std::move(content));
    if (!m_clipboard) {
        delete mime;
        qCWarning(lcPlatform) << "no clipboard to write to";
        return count;
    }
    // Qt announces our own ownership as a change as well; that one is already counted.
    m_writing = true;
    m_clipboard->setMimeData(mime, QClipboard::Clipboard);
    m_writing = false;
    return count;
}

qint64 X11Pasteboard::writeText(const QString &text)
{
    auto *mime = new QMimeData;
    mime->setText(text);
    PasteboardContent content;
    content.text = text;
    return write(mime, std::move(content));
}

qint64 X11Pasteboard::writeFilePaths(const QStringList &paths)
{
    auto *mime = new QMimeData;
    QList<QUrl> urls;
    QByteArray fileManagerList = QByteArrayLiteral("copy");
    for (const QString &path : paths) {
        const QUrl url = QUrl::fromLocalFile(path);
        urls.append(url);
        fileManagerList += '\n' + url.toEncoded();
    }
    mime->setUrls(urls);
    // File managers paste copied files only from their own list type.
    mime->setData(QStringLiteral("x-special/gnome-copied-files"), fileManagerList);
    PasteboardContent content;
    content.filePaths = paths;
    return write(mime, std::move(content));
}

qint64 X11Pasteboard::writeImage(const QByteArray &imageData)
{
    auto *mime = new QMimeData;
    QImage image;
    if (image.loadFromData(imageData))
        mime->setImageData(image); // offered as image/png (and the other image types)
    else
        mime->setData(QStringLiteral("image/png"), imageData);
    PasteboardContent content;
    content.images.append({QStringLiteral("image/png"), imageData});
    return write(mime, std::move(content));
}
