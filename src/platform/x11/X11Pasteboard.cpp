#include "platform/x11/X11Pasteboard.h"

#include "core/Logging.h"
#include "core/StoredFilePath.h"
#include "platform/x11/X11DeferredPngRequests.h"
#include "platform/x11/X11PasteboardImageOffer.h"
#include "platform/x11/X11PrimaryOffer.h"
#include "platform/x11/X11SelectionReader.h"
#include "platform/x11/X11TextInSteps.h"
#include "platform/x11/XcbAtoms.h"
#include "platform/x11/X11Session.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <QMimeData>
#include <QScopedValueRollback>
#include <QTimer>
#include <QUrl>
#include <QtConcurrent>

#include <xcb/xcb.h>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <mutex>

#include <pthread.h>

#include <sys/eventfd.h>
#include <unistd.h>

// What the reader thread shares with the pasteboard: the reader itself, the way to stop it,
// and the range of window ids that Qt's own connection creates. The thread holds it to its end,
// which may come after the pasteboard is gone.
struct X11Pasteboard::ReaderState {
    std::unique_ptr<X11SelectionReader> reader;
    std::atomic<bool> stopping{false};
    // Where fetched content goes; none once the pasteboard is being destroyed.
    std::mutex deliveryMutex;
    X11Pasteboard *pasteboard = nullptr;
    // Set when the reader thread has ended.
    std::mutex endMutex;
    std::condition_variable endSignal;
    bool ended = false;
    // Changes seen whose content the main thread has not published yet.
    std::atomic<int> unpublished{0};
    bool watching = false;
    int wakeFd = -1;
    quint32 ownIdBase = 0;
    quint32 ownIdMask = 0;

    ~ReaderState()
    {
        if (wakeFd >= 0)
            ::close(wakeFd);
    }
    bool isOwn(quint32 owner) const { return owner != 0 && ownIdMask != 0 && (owner & ~ownIdMask) == ownIdBase; }
};

// Runs on the reader thread until stopped: every foreign change of owner is fetched and handed
// to the pasteboard on the main thread, in the order the display reported them.
void X11Pasteboard::readChanges(const std::shared_ptr<ReaderState> &state)
{
    ::pthread_setname_np(::pthread_self(), "ClipboardReader");
    struct EndMark {
        ReaderState &state;
        ~EndMark()
        {
            std::lock_guard lock(state.endMutex);
            state.ended = true;
            state.endSignal.notify_all();
        }
    } endMark{*state};
    // Posted to the pasteboard itself: a delivery still queued when it is destroyed is dropped.
    const auto deliver = [&state](PasteboardContent content) {
        std::lock_guard lock(state->deliveryMutex);
        if (X11Pasteboard *pasteboard = state->pasteboard) {
            QMetaObject::invokeMethod(
                pasteboard, [pasteboard, content = std::move(content)] { pasteboard->fetched(content); },
                Qt::QueuedConnection);
        }
    };
    std::atomic<int> &unpublished = state->unpublished;
    X11SelectionReader &reader = *state->reader;
    const auto stopping = [&state] { return state->stopping.load(); };
    if (!state->watching)
        return;
    // A change fetched after a newer owner had already taken over may hold that owner's
    // content (an owner that ignores the request's time answers for its predecessor). It waits
    // for the newer change's fetch: the same content twice is that one copy, not two.
    // (A flag beside a plain value, not an optional: GCC's inliner takes the optional's move for
    // a read of nothing.)
    PasteboardContent held;
    bool holding = false;
    const auto deliverHeld = [&] {
        if (holding)
            deliver(std::exchange(held, {}));
        holding = false;
    };
    // What the last program to copy offered, and when it went away if it did: a desktop's
    // clipboard keeper that takes the clipboard over from it at once, offering nothing it did
    // not, holds that copy alive.
    std::optional<PasteboardContent> lastCopy;
    bool lastCopyLeft = false;
    quint32 lastCopyLeftAt = 0;
    while (const std::optional<X11SelectionReader::OwnerChange> change = reader.nextOwnerChange(stopping)) {
        if (state->isOwn(change->owner)) {
            // Qt's own: our write, or a copy in one of Tarnel's windows, each counted on the main
            // thread when it was made.
            deliverHeld();
            lastCopy.reset();
            lastCopyLeft = false;
            continue;
        }
        ++unpublished;
        std::optional<PasteboardContent> content = reader.fetch(*change, stopping);
        if (!content)
            return;
        content->ownerWindow = change->owner;
        // Unsigned: the server's clock wraps.
        const bool takenOverAtOnce = change->owner != 0 && lastCopyLeft
            && change->serverTime - lastCopyLeftAt <= quint32(kKeeperTakeover.count());
        content->keptAfterOwnerLeft = takenOverAtOnce && lastCopy && content->offersNothingBeyond(*lastCopy);
        lastCopyLeft = change->ownerLeft;
        lastCopyLeftAt = change->serverTime;
        if (!change->ownerLeft && !content->keptAfterOwnerLeft)
            lastCopy = change->owner != 0 ? content : std::nullopt;
        if (holding && held == *content) {
            holding = false;
            held = {};
            --unpublished;
            qCDebug(lcPlatform) << "a clipboard change was answered by its successor; counted once";
        }
        deliverHeld();
        if (reader.hasNewerOwnerChange()) {
            held = std::move(*content);
            holding = true;
        } else {
            deliver(std::move(*content));
        }
    }
}

X11Pasteboard::X11Pasteboard(QObject *parent) : X11Pasteboard(Limits{}, parent) {}

X11Pasteboard::X11Pasteboard(Limits limits, QObject *parent)
    : Pasteboard(parent)
    , m_clipboard(QGuiApplication::clipboard())
    , m_pngRequests(new X11DeferredPngRequests(this))
    , m_textSteps(new X11TextInSteps(this))
    , m_primaryLoanLimit(limits.primaryLoanLimit)
    , m_state(std::make_shared<ReaderState>())
{
    m_state->pasteboard = this;
    m_state->wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    m_state->reader = std::make_unique<X11SelectionReader>(
        qgetenv("DISPLAY"), X11SelectionReader::Limits{limits.maxBytes, limits.maxImageBytes, limits.replyTimeout, limits.fetchDeadline, limits.transferLimit},
        m_state->wakeFd);
    if (auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr) {
        const xcb_setup_t *setup = xcb_get_setup(x11->connection());
        m_state->ownIdBase = setup->resource_id_base;
        m_state->ownIdMask = setup->resource_id_mask;
    }
    // Subscribed before the constructor returns, so that no copy made after it goes unseen; the
    // reader is the reader thread's alone from then on.
    m_state->watching = m_state->reader->watchOwnership();
    // A clipboard that offers its content again on focus changes will soon offer what it holds
    // now, from before Tarnel started: that content is known from the start (count 0), so the
    // offer can be recognised. Read over a connection of its own, briefly bounded: a hung owner
    // costs the start at most the deadline and leaves the start content unknown.
    if (m_state->watching && reoffersContent()) {
        X11SelectionReader startReader(
            qgetenv("DISPLAY"),
            {limits.maxBytes, limits.maxImageBytes, std::min(limits.replyTimeout, kStartReadDeadline), kStartReadDeadline,
             kStartReadDeadline});
        if (const std::optional<X11SelectionReader::OwnerChange> owner = startReader.currentOwner(); owner && owner->owner) {
            const auto never = [] { return false; };
            if (std::optional<PasteboardContent> held = startReader.fetch(*owner, never); held && !held->incomplete)
                m_content = std::move(*held);
        }
    }
    if (m_clipboard)
        connect(m_clipboard, &QClipboard::changed, this, &X11Pasteboard::clipboardChanged);
    m_thread = std::thread(readChanges, m_state);
}

X11Pasteboard::~X11Pasteboard()
{
    m_state->stopping = true;
    if (m_state->wakeFd >= 0) {
        const quint64 one = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_state->wakeFd, &one, sizeof one);
    }
    {
        std::lock_guard lock(m_state->deliveryMutex);
        m_state->pasteboard = nullptr;
    }
    // Every wait of the reader ends on the wake or by its deadline; this bound is for a reader
    // stuck where neither reaches, so that quitting (and the history's last write) never hangs.
    std::unique_lock lock(m_state->endMutex);
    if (m_state->endSignal.wait_for(lock, kReaderStopLimit, [this] { return m_state->ended; })) {
        lock.unlock();
        m_thread.join();
    } else {
        lock.unlock();
        qCWarning(lcPlatform) << "the clipboard reader did not stop in time; left to end with the process";
        m_thread.detach();
    }
}

bool X11Pasteboard::reoffersContent() const
{
    return X11Session::isXWaylandInWayland();
}

bool X11Pasteboard::isFetching() const
{
    return m_state->unpublished.load() > 0;
}

void X11Pasteboard::fetched(const PasteboardContent &content)
{
    --m_state->unpublished;
    publish(content);
}

void X11Pasteboard::publish(PasteboardContent content)
{
    m_content = std::move(content);
    Q_EMIT changeCountChanged(++m_changeCount);
}

qint64 X11Pasteboard::write(QMimeData *mime, PasteboardContent content)
{
    publish(std::move(content));
    const qint64 count = m_changeCount;
    if (!m_clipboard) {
        delete mime;
        qCWarning(lcPlatform) << "no clipboard to write to";
        return count;
    }
    // Counted above, once: Qt's report of this write is not another copy.
    const QScopedValueRollback writing(m_writing, true);
    m_askers.forget();
    m_textSteps->offer(QString());
    m_clipboard->setMimeData(mime, QClipboard::Clipboard);
    return count;
}

qint64 X11Pasteboard::writeText(const QString &text)
{
    auto *mime = new QMimeData;
    mime->setText(text);
    PasteboardContent content;
    content.text = text;
    const qint64 count = write(mime, std::move(content));
    if (m_clipboard)
        m_textSteps->offer(text);
    return count;
}

qint64 X11Pasteboard::writeFilePaths(const QStringList &paths)
{
    auto *mime = new QMimeData;
    QList<QUrl> urls;
    QByteArray fileManagerList = QByteArrayLiteral("copy");
    for (const QString &path : paths) {
        const QUrl url = StoredFilePath::url(path);
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
    auto *offer = new X11PasteboardImageOffer(imageData);
    PasteboardContent content;
    content.images.append({offer->mimeType(), imageData});
    const qint64 count = write(offer, std::move(content));
    if (m_clipboard)
        m_pngRequests->watch(offer);
    return count;
}

void X11Pasteboard::clipboardChanged(QClipboard::Mode mode)
{
    // Qt reports every copy made through it at once, ours among them; a copy by another program
    // it reports only once it has heard of it, and then it no longer owns the clipboard. So a
    // report while Qt owns the clipboard and no write of ours is under way is a copy made in one
    // of Tarnel's own windows (text selected and Ctrl+C): the reader thread passes over the owner
    // such a copy gives, so it is counted here, from what Qt holds, without asking the server.
    // Whatever the clipboard holds now (another program's copy, a copy in one of Tarnel's
    // windows), it is no longer the text last written.
    if (mode == QClipboard::Clipboard && !m_writing)
        m_textSteps->offer(QString());
    if (mode != QClipboard::Clipboard || m_writing || !m_clipboard || !m_clipboard->ownsClipboard())
        return;
    // Qt believes it owns the clipboard even when the server refused it the ownership (another
    // program took it at a later time): that copy never reached the clipboard, and what Qt would
    // hand out is the other program's content, read while the interface waits.
    if (!holdsSelection(QByteArrayLiteral("CLIPBOARD")))
        return;
    if (const QMimeData *mime = m_clipboard->mimeData(QClipboard::Clipboard))
        publish(contentOf(*mime));
}

bool X11Pasteboard::holdsSelection(const QByteArray &selection)
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11)
        return false;
    xcb_connection_t *connection = x11->connection();
    quint32 &atom = m_selectionAtoms[selection];
    if (!atom) {
        atom = XcbAtoms::intern(connection, selection);
        if (!atom)
            return false;
    }
    xcb_get_selection_owner_reply_t *owner =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom), nullptr);
    if (!owner)
        return false;
    const bool own = m_state->isOwn(owner->owner);
    std::free(owner);
    return own;
}

bool X11Pasteboard::lendPrimarySelection(const QString &text, const std::optional<QString> &restore)
{
    if (!m_clipboard)
        return false;
    // An earlier loan still out: what the user had selected before it goes back, not its text.
    if (!isLentOut(m_primaryOffer.data()))
        m_primaryRestore = restore;
    auto *offer = new X11PrimaryOffer(text);
    m_clipboard->setMimeData(offer, QClipboard::Selection);
    m_primaryOffer = offer;
    // The server refuses the ownership to a request older than the current owner's: then the
    // terminal would paste its own selection instead.
    if (!holdsSelection(QByteArrayLiteral("PRIMARY"))) {
        qCWarning(lcPlatform) << "the primary selection could not be taken";
        return false;
    }
    // Guarded: Qt deletes an offer once another one replaces it.
    const QPointer<X11PrimaryOffer> lent(offer);
    connect(
        offer, &X11PrimaryOffer::read, this, [this, lent] {
            QTimer::singleShot(kPrimaryLoanAfterRead, this, [this, lent] { endPrimaryLoan(lent); });
        },
        Qt::SingleShotConnection);
    QTimer::singleShot(m_primaryLoanLimit, this, [this, lent] { endPrimaryLoan(lent); });
    return true;
}

bool X11Pasteboard::isLentOut(const X11PrimaryOffer *offer)
{
    // Asked of the server first: for a selection another program owns, Qt would fetch its content
    // while the interface waits.
    return offer && m_clipboard && m_primaryOffer.data() == offer && holdsSelection(QByteArrayLiteral("PRIMARY"))
        && m_clipboard->mimeData(QClipboard::Selection) == offer;
}

void X11Pasteboard::endPrimaryLoan(const QPointer<X11PrimaryOffer> &offer)
{
    // A newer loan gives back in its own time; a selection made since is the user's own.
    if (!offer || !isLentOut(offer.data()))
        return;
    m_primaryOffer.clear();
    const std::optional<QString> restore = std::exchange(m_primaryRestore, std::nullopt);
    if (!restore || restore->isEmpty()) {
        m_clipboard->clear(QClipboard::Selection);
        return;
    }
    auto *mime = new QMimeData;
    mime->setText(*restore);
    m_clipboard->setMimeData(mime, QClipboard::Selection);
}

QFuture<std::optional<QString>> X11Pasteboard::primarySelectionText()
{
    // Over a connection of its own on a worker: the owner may be slow, and the interface waits
    // for no program.
    return QtConcurrent::run([display = qgetenv("DISPLAY")]() -> std::optional<QString> {
        X11SelectionReader reader(display, {kMaxRepresentationBytes, kMaxRepresentationBytes, kPrimaryReplyTimeout, kPrimaryReadDeadline, kPrimaryReadDeadline}, -1,
                                  QByteArrayLiteral("PRIMARY"));
        const std::optional<X11SelectionReader::OwnerChange> owner = reader.currentOwner();
        if (!owner || owner->owner == 0)
            return std::nullopt;
        const std::optional<PasteboardContent> content = reader.fetch(*owner, [] { return false; });
        return content ? content->text : std::nullopt;
    });
}

PasteboardContent X11Pasteboard::contentOf(const QMimeData &mime)
{
    PasteboardContent content;
    content.targets = mime.formats();
    if (mime.data(QString::fromLatin1(X11SelectionReader::kPasswordManagerHint)).trimmed() == "secret"
        || mime.hasFormat(QString::fromLatin1(X11SelectionReader::kConcealedType))
        || mime.hasFormat(QString::fromLatin1(X11SelectionReader::kTransientType)))
        return content;
    // The files as another program's copy of them would be read.
    if (mime.hasUrls()) {
        content.filePaths = X11SelectionReader::filePathsFromUriList(mime.data(QStringLiteral("text/uri-list")));
        if (!content.filePaths.isEmpty())
            return content;
    }
    QStringList imageTypes;
    for (const QString &type : content.targets) {
        if (type.startsWith(QLatin1String("image/")))
            imageTypes.insert(type == QLatin1String("image/png") ? 0 : imageTypes.size(), type);
    }
    for (const QString &type : std::as_const(imageTypes)) {
        if (QByteArray data = mime.data(type); !data.isEmpty()) {
            content.images.append({type, std::move(data)});
            break;
        }
    }
    if (mime.hasText())
        content.text = mime.text();
    return content;
}
