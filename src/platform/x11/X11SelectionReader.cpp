#include "platform/x11/X11SelectionReader.h"

#include "core/Logging.h"
#include "platform/x11/X11UriList.h"

#include <QSet>
#include <QStringDecoder>

#include <xcb/xcb.h>
#include <xcb/xcbext.h>
#include <xcb/xfixes.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <poll.h>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Without a wake descriptor, how often a wait wakes to see whether it should stop.
constexpr std::chrono::milliseconds kWakeInterval{20};

const QByteArray kPng = QByteArrayLiteral("image/png");
const QByteArray kUriList = QByteArrayLiteral("text/uri-list");

// Text targets in order of preference; STRING is Latin-1 by definition.
const QByteArray kUtf8Targets[] = {QByteArrayLiteral("UTF8_STRING"), QByteArrayLiteral("text/plain;charset=utf-8"),
                                   QByteArrayLiteral("text/plain")};
const QByteArray kLatin1Target = QByteArrayLiteral("STRING");
const QByteArray kSecretHint = QByteArrayLiteral("secret");
// Names learnt from owners' lists are remembered up to this many, then learnt afresh, so that
// owners offering ever new names cannot grow the reader without bound.
constexpr qsizetype kMaxRememberedNames = 8 * X11SelectionReader::kMaxTargets;

struct EventDeleter {
    void operator()(xcb_generic_event_t *event) const { std::free(event); }
};
using Event = std::unique_ptr<xcb_generic_event_t, EventDeleter>;

template<typename T>
struct Reply {
    T *reply = nullptr;
    explicit Reply(T *r) : reply(r) {}
    ~Reply() { std::free(reply); }
    Reply(const Reply &) = delete;
    Reply &operator=(const Reply &) = delete;
    T *operator->() const { return reply; }
    explicit operator bool() const { return reply != nullptr; }
};

std::optional<QString> decodeUtf8(const QByteArray &data)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(data);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace

X11SelectionReader::X11SelectionReader(QByteArray displayName, Limits limits, int wakeFd, QByteArray selection)
    : m_displayName(std::move(displayName))
    , m_selection(std::move(selection))
    , m_limits(limits)
    , m_wakeFd(wakeFd)
{
}

X11SelectionReader::~X11SelectionReader()
{
    if (m_connection)
        xcb_disconnect(m_connection);
}

bool X11SelectionReader::ensureConnection()
{
    if (m_connection && !xcb_connection_has_error(m_connection))
        return true;
    if (m_connection) {
        xcb_disconnect(m_connection);
        m_atoms.clear();
        m_atomNames.clear();
        m_watching = false;
    }
    int screenNumber = 0;
    m_connection = xcb_connect(m_displayName.isEmpty() ? nullptr : m_displayName.constData(), &screenNumber);
    if (xcb_connection_has_error(m_connection)) {
        qCWarning(lcPlatform) << "clipboard reader could not connect to the X display";
        return false;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screenNumber && it.rem > 0; ++i)
        xcb_screen_next(&it);
    m_root = it.data->root;

    const xcb_query_extension_reply_t *xfixes = xcb_get_extension_data(m_connection, &xcb_xfixes_id);
    if (!xfixes || !xfixes->present) {
        qCWarning(lcPlatform) << "the X display has no XFixes: clipboard changes cannot be watched";
        return true;
    }
    // The version must be agreed before any other XFixes request.
    Reply<xcb_xfixes_query_version_reply_t> version(xcb_xfixes_query_version_reply(
        m_connection, xcb_xfixes_query_version(m_connection, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION),
        nullptr));
    if (!version)
        return true;
    m_xfixesFirstEvent = xfixes->first_event;
    xcb_xfixes_select_selection_input(m_connection, m_root, atom(m_selection),
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER
                                          | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY
                                          | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    xcb_flush(m_connection);
    m_watching = true;
    return true;
}

bool X11SelectionReader::watchOwnership()
{
    return ensureConnection() && m_watching;
}

std::optional<X11SelectionReader::OwnerChange> X11SelectionReader::currentOwner()
{
    if (!ensureConnection())
        return std::nullopt;
    Reply<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(m_connection, xcb_get_selection_owner(m_connection, atom(m_selection)), nullptr));
    if (!reply)
        return std::nullopt;
    return OwnerChange{reply->owner, XCB_CURRENT_TIME};
}

bool X11SelectionReader::keepOwnerChange(const void *raw)
{
    const auto *event = static_cast<const xcb_generic_event_t *>(raw);
    if (!m_watching || (event->response_type & 0x7f) != m_xfixesFirstEvent + XCB_XFIXES_SELECTION_NOTIFY)
        return false;
    const auto *notify = static_cast<const xcb_xfixes_selection_notify_event_t *>(raw);
    if (notify->selection != atom(m_selection))
        return true;
    // A destroyed owner window or a closed owner leaves the clipboard empty.
    const bool taken = notify->subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER;
    m_ownerChanges.push_back(
        {taken ? quint32(notify->owner) : quint32(XCB_NONE), notify->selection_timestamp, !taken, notify->timestamp});
    return true;
}

void X11SelectionReader::sleepOnConnection(std::optional<std::chrono::milliseconds> limit)
{
    if (m_wakeFd < 0)
        limit = limit ? std::min(*limit, kWakeInterval) : kWakeInterval;
    pollfd fds[2] = {{xcb_get_file_descriptor(m_connection), POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
    ::poll(fds, m_wakeFd < 0 ? 1 : 2, limit ? int(limit->count()) : -1);
}

std::optional<X11SelectionReader::OwnerChange>
X11SelectionReader::nextOwnerChange(const std::function<bool()> &stopping)
{
    for (;;) {
        if (!m_ownerChanges.empty()) {
            const OwnerChange change = m_ownerChanges.front();
            m_ownerChanges.pop_front();
            return change;
        }
        if (stopping() || !ensureConnection() || !m_watching)
            return std::nullopt;
        while (xcb_generic_event_t *raw = xcb_poll_for_event(m_connection)) {
            Event event(raw);
            keepOwnerChange(event.get());
        }
        if (xcb_connection_has_error(m_connection)) {
            qCWarning(lcPlatform) << "clipboard reader lost the X display";
            return std::nullopt;
        }
        if (m_ownerChanges.empty() && !stopping())
            sleepOnConnection(std::nullopt);
    }
}

quint32 X11SelectionReader::atom(const QByteArray &name)
{
    if (const auto it = m_atoms.constFind(name); it != m_atoms.constEnd())
        return *it;
    Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, quint16(name.size()), name.constData()), nullptr));
    const quint32 value = reply ? reply->atom : quint32(XCB_ATOM_NONE);
    if (value != XCB_ATOM_NONE) {
        m_atoms.insert(name, value);
        m_atomNames.insert(value, name);
    }
    return value;
}

QByteArray X11SelectionReader::atomName(quint32 value)
{
    if (const auto it = m_atomNames.constFind(value); it != m_atomNames.constEnd())
        return *it;
    Reply<xcb_get_atom_name_reply_t> reply(
        xcb_get_atom_name_reply(m_connection, xcb_get_atom_name(m_connection, value), nullptr));
    if (!reply)
        return {};
    const QByteArray name(xcb_get_atom_name_name(reply.reply), xcb_get_atom_name_name_length(reply.reply));
    m_atomNames.insert(value, name);
    m_atoms.insert(name, value);
    return name;
}

QStringList X11SelectionReader::filePathsFromUriList(const QByteArray &uriList)
{
    return X11UriList::filePaths(uriList);
}

// One fetch: a fresh window of its own, the selection's answers to it, and what was read so far.
// A late answer to an earlier, abandoned request goes to a window that no longer exists instead
// of being mistaken for this fetch's answer.
class X11SelectionReader::Fetch
{
public:
    Fetch(X11SelectionReader &reader, const OwnerChange &change, const std::function<bool()> &stopping)
        : m_reader(reader)
        , m_connection(reader.m_connection)
        , m_time(change.time)
        , m_stopping(stopping)
        , m_start(Clock::now())
        , m_deadline(m_start + reader.m_limits.fetchDeadline)
        , m_transferEnd(m_start + std::max(reader.m_limits.fetchDeadline, reader.m_limits.transferLimit))
        , m_clipboard(reader.atom(reader.m_selection))
        , m_property(reader.atom("TARNEL_SELECTION"))
        , m_incr(reader.atom("INCR"))
        , m_window(xcb_generate_id(m_connection))
    {
        const quint32 mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, reader.m_root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
    }
    ~Fetch()
    {
        xcb_destroy_window(m_connection, m_window);
        xcb_flush(m_connection);
    }
    Fetch(const Fetch &) = delete;
    Fetch &operator=(const Fetch &) = delete;

    // Files first; else the first image type that arrives and the text beside it.
    std::optional<PasteboardContent> run()
    {
        const std::optional<QList<QByteArray>> targets = offeredTargets();
        if (!targets)
            return stopped();
        for (const QByteArray &target : *targets)
            m_content.targets.append(QString::fromLatin1(target));
        if (targets->isEmpty())
            return m_content;
        const std::optional<bool> secret = isMarkedSecret(*targets);
        if (!secret)
            return stopped();
        if (*secret)
            return m_content;
        if (!readFiles(*targets))
            return stopped();
        if (!m_content.filePaths.isEmpty())
            return m_content;
        if (!readImage(*targets) || !readText(*targets))
            return stopped();
        return m_content;
    }

private:
    // What a fetch ended early gives: nothing when the reader stops, else what was read so far.
    std::optional<PasteboardContent> stopped() const
    {
        return m_stopped ? std::nullopt : std::optional(m_content);
    }

    // The selection's list of targets; empty when it offers none, nothing when the fetch ends.
    std::optional<QList<QByteArray>> offeredTargets()
    {
        const Transfer transfer = convert("TARGETS");
        if (!settle(transfer, "TARGETS"))
            return std::nullopt;
        // Some owners label the list with the TARGETS atom instead of ATOM; the content is the same.
        const bool atomList = transfer.type == XCB_ATOM_ATOM || transfer.type == m_reader.atom("TARGETS");
        if (transfer.outcome == Outcome::Delivered && atomList) {
            QList<quint32> atoms(std::min(transfer.data.size() / 4, kMaxTargets));
            std::memcpy(atoms.data(), transfer.data.constData(), std::size_t(atoms.size()) * 4);
            return namesOf(atoms);
        }
        // An owner that cannot list its targets may still hand out text.
        if (transfer.outcome == Outcome::Refused)
            return QList<QByteArray>{kUtf8Targets[0], kLatin1Target};
        return QList<QByteArray>();
    }

    // The names of the atoms; nothing when the fetch ends before the display has told them all.
    std::optional<QList<QByteArray>> namesOf(const QList<quint32> &atoms)
    {
        QHash<quint32, QByteArray> &known = m_reader.m_atomNames;
        if (known.size() + atoms.size() > kMaxRememberedNames) {
            known.clear();
            m_reader.m_atoms.clear();
        }
        // Names are asked for all at once so the round trips overlap.
        QSet<quint32> asked;
        QList<std::pair<quint32, xcb_get_atom_name_cookie_t>> pending;
        for (const quint32 value : atoms) {
            if (!known.contains(value) && !asked.contains(value)) {
                asked.insert(value);
                pending.append({value, xcb_get_atom_name(m_connection, value)});
            }
        }
        xcb_flush(m_connection);
        qsizetype answered = 0;
        while (answered < pending.size()) {
            const auto &[value, cookie] = pending.at(answered);
            void *raw = nullptr;
            xcb_generic_error_t *error = nullptr;
            if (xcb_poll_for_reply(m_connection, cookie.sequence, &raw, &error)) {
                std::free(error);
                if (raw) {
                    Reply<xcb_get_atom_name_reply_t> reply(static_cast<xcb_get_atom_name_reply_t *>(raw));
                    const QByteArray name(xcb_get_atom_name_name(reply.reply), xcb_get_atom_name_name_length(reply.reply));
                    known.insert(value, name);
                    m_reader.m_atoms.insert(name, value);
                }
                ++answered;
                continue;
            }
            // The names count against the fetch's deadline like any answer of the owner.
            const auto now = Clock::now();
            if (xcb_connection_has_error(m_connection) || now >= m_deadline || m_stopping()) {
                m_stopped = m_stopping();
                for (qsizetype i = answered; i < pending.size(); ++i)
                    xcb_discard_reply(m_connection, pending.at(i).second.sequence);
                if (!m_stopped) {
                    m_content.incomplete = true;
                    qCWarning(lcPlatform) << "the names of the clipboard's types did not come in time; gave up";
                }
                return std::nullopt;
            }
            m_reader.sleepOnConnection(std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline - now) + 1ms);
        }
        QList<QByteArray> names;
        names.reserve(atoms.size());
        for (const quint32 value : atoms)
            names.append(known.value(value));
        return names;
    }

    // Whether the owner marks its copy as a secret; nothing when the fetch ends.
    std::optional<bool> isMarkedSecret(const QList<QByteArray> &targets)
    {
        if (targets.contains(QByteArray(kConcealedType)) || targets.contains(QByteArray(kTransientType)))
            return true;
        const QByteArray hint(kPasswordManagerHint);
        if (!targets.contains(hint))
            return false;
        const Transfer t = convert(hint);
        if (!settle(t, hint))
            return std::nullopt;
        return t.outcome == Outcome::Delivered && t.data.trimmed() == kSecretHint;
    }

    // Each read returns false when the fetch ends.
    bool readFiles(const QList<QByteArray> &targets)
    {
        if (!targets.contains(kUriList))
            return true;
        const Transfer t = convert(kUriList);
        if (!settle(t, kUriList))
            return false;
        if (t.outcome == Outcome::Delivered)
            m_content.filePaths = filePathsFromUriList(t.data);
        return true;
    }

    bool readImage(const QList<QByteArray> &targets)
    {
        QList<QByteArray> imageTypes;
        if (targets.contains(kPng))
            imageTypes.append(kPng);
        for (const QByteArray &type : targets) {
            if (type.startsWith("image/") && !imageTypes.contains(type))
                imageTypes.append(type);
        }
        // The first image type that arrives is enough; the others are alternatives of it.
        for (const QByteArray &type : std::as_const(imageTypes)) {
            const Transfer t = convert(type);
            if (!settle(t, type))
                return false;
            if (t.outcome == Outcome::Delivered && !t.data.isEmpty()) {
                m_content.images.append({QString::fromLatin1(type), t.data});
                break;
            }
        }
        return true;
    }

    // The first text type that decodes as what it names; else the bytes read as Latin-1, as
    // STRING's are: an owner that labels 8-bit text UTF8_STRING still copied it.
    bool readText(const QList<QByteArray> &targets)
    {
        std::optional<QByteArray> notUtf8;
        for (const QByteArray &type : kUtf8Targets) {
            if (!targets.contains(type))
                continue;
            const Transfer t = convert(type);
            if (!settle(t, type))
                return false;
            if (t.outcome != Outcome::Delivered)
                continue;
            if (auto text = decodeUtf8(t.data)) {
                m_content.text = std::move(text);
                return true;
            }
            if (!notUtf8)
                notUtf8 = t.data;
        }
        if (targets.contains(kLatin1Target)) {
            const Transfer t = convert(kLatin1Target);
            if (t.outcome == Outcome::Delivered) {
                m_content.text = QString::fromLatin1(t.data);
                return true;
            }
            if (!settle(t, kLatin1Target)) {
                keepAsLatin1(notUtf8); // arrived whole before the owner stopped
                return false;
            }
        }
        keepAsLatin1(notUtf8);
        return true;
    }

    void keepAsLatin1(const std::optional<QByteArray> &notUtf8)
    {
        if (!notUtf8)
            return;
        qCInfo(lcPlatform) << "clipboard text is not valid UTF-8; read as Latin-1";
        m_content.text = QString::fromLatin1(*notUtf8);
    }

    // Ends the fetch when the owner stopped answering; true when it should go on.
    bool settle(const Transfer &t, const QByteArray &type)
    {
        switch (t.outcome) {
        case Outcome::Superseded:
            if (!m_stopped) {
                m_content.incomplete = true;
                const bool gone = m_reader.hasNewerOwnerChange() && m_reader.m_ownerChanges.front().owner == XCB_NONE;
                qCWarning(lcPlatform).noquote() << (gone ? "clipboard owner went away before it delivered"
                                                         : "clipboard owner was replaced before it delivered")
                                                << type;
            }
            return false;
        case Outcome::NoAnswer:
        case Outcome::Failed:
            m_content.incomplete = true;
            if (m_overTransferLimit) {
                qCWarning(lcPlatform).noquote()
                    << "clipboard owner was still sending" << type << "after"
                    << std::chrono::duration_cast<std::chrono::milliseconds>(m_transferEnd - m_start).count()
                    << "ms; gave up";
            } else {
                qCWarning(lcPlatform).noquote() << "clipboard owner did not deliver" << type << "in time; gave up";
            }
            return false;
        case Outcome::Oversized:
            m_content.oversizedTypes.append(QString::fromLatin1(type));
            qCWarning(lcPlatform).noquote() << "clipboard" << type << "is larger than" << capFor(type)
                                            << "bytes; passed over";
            return true;
        case Outcome::Refused:
        case Outcome::Delivered:
            return true;
        }
        return true;
    }

    // The size beyond which a representation of the type is passed over.
    qint64 capFor(const QByteArray &type) const
    {
        return type.startsWith("image/") ? m_reader.m_limits.maxImageBytes : m_reader.m_limits.maxBytes;
    }

    // Asks the owner for one type and reads its answer, whole or in pieces.
    Transfer convert(const QByteArray &type)
    {
        const quint32 target = m_reader.atom(type);
        const qint64 maxBytes = capFor(type);
        xcb_delete_property(m_connection, m_window, m_property);
        // The change's own time: an owner that took over since may refuse, never answer for it.
        xcb_convert_selection(m_connection, m_window, m_clipboard, target, m_property, m_time);
        xcb_flush(m_connection);
        Event answer = waitFor(
            [&](xcb_generic_event_t *e) {
                if ((e->response_type & 0x7f) != XCB_SELECTION_NOTIFY)
                    return false;
                auto *n = reinterpret_cast<xcb_selection_notify_event_t *>(e);
                return n->requestor == m_window && n->selection == m_clipboard && n->target == target;
            },
            Clock::now() + m_reader.m_limits.replyTimeout);
        if (!answer)
            return failed(m_stopped || m_superseded ? Outcome::Superseded : Outcome::NoAnswer);
        if (reinterpret_cast<xcb_selection_notify_event_t *>(answer.get())->property == XCB_ATOM_NONE)
            return failed(Outcome::Refused);
        Reply<xcb_get_property_reply_t> head(xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, m_window, m_property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1), nullptr));
        if (!head)
            return failed(Outcome::Failed);
        if (head->type == m_incr)
            return readIncrementally(head.reply, maxBytes);
        return readWhole(head.reply, maxBytes);
    }

    static Transfer failed(Outcome outcome)
    {
        Transfer t;
        t.outcome = outcome;
        return t;
    }

    Transfer readWhole(xcb_get_property_reply_t *head, qint64 maxBytes)
    {
        const quint64 total = quint64(xcb_get_property_value_length(head)) + head->bytes_after;
        if (total > quint64(maxBytes)) {
            xcb_delete_property(m_connection, m_window, m_property);
            return failed(Outcome::Oversized);
        }
        Reply<xcb_get_property_reply_t> whole(xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 1, m_window, m_property, XCB_GET_PROPERTY_TYPE_ANY, 0, quint32((total + 3) / 4)),
            nullptr));
        if (!whole)
            return failed(Outcome::Failed);
        Transfer t;
        t.type = head->type;
        t.data = QByteArray(static_cast<const char *>(xcb_get_property_value(whole.reply)),
                            xcb_get_property_value_length(whole.reply));
        t.outcome = Outcome::Delivered;
        return t;
    }

    // The owner sends the data in pieces; the announced size is a lower bound. A transfer too
    // large to keep is still taken to its end, its pieces dropped as they come: an owner left
    // waiting in the middle serves nobody else, and one that writes its next piece to a window
    // that is gone may fail and take the clipboard with it.
    Transfer readIncrementally(xcb_get_property_reply_t *head, qint64 maxBytes)
    {
        const quint32 announced =
            xcb_get_property_value_length(head) >= 4 ? *static_cast<const quint32 *>(xcb_get_property_value(head)) : 0;
        bool oversized = announced > quint64(maxBytes);
        xcb_delete_property(m_connection, m_window, m_property); // asks for the first piece
        xcb_flush(m_connection);
        keepAlive();
        Transfer t;
        // Room for the size announced, taken at once: grown piece by piece, a large image would
        // be copied again and again, and held twice for a moment each time.
        if (!oversized)
            t.data.reserve(qsizetype(announced));
        for (;;) {
            Event piece = waitFor([this](xcb_generic_event_t *e) { return isNewPiece(e); },
                                  Clock::now() + m_reader.m_limits.replyTimeout);
            if (!piece) {
                if (oversized && !m_stopped)
                    return failed(Outcome::Oversized);
                m_overTransferLimit = !m_stopped && !m_superseded && Clock::now() >= m_transferEnd;
                return failed(m_stopped || m_superseded ? Outcome::Superseded : Outcome::NoAnswer);
            }
            keepAlive();
            Reply<xcb_get_property_reply_t> chunk(xcb_get_property_reply(
                m_connection, xcb_get_property(m_connection, 1, m_window, m_property, XCB_GET_PROPERTY_TYPE_ANY, 0, UINT32_MAX / 4),
                nullptr));
            xcb_flush(m_connection);
            if (!chunk)
                return failed(oversized ? Outcome::Oversized : Outcome::Failed);
            const int length = xcb_get_property_value_length(chunk.reply);
            if (length == 0) {
                if (oversized)
                    return failed(Outcome::Oversized);
                t.type = chunk->type;
                t.outcome = Outcome::Delivered;
                return t;
            }
            if (!oversized && t.data.size() + length > maxBytes) {
                oversized = true;
                t.data = QByteArray();
            }
            if (!oversized)
                t.data.append(static_cast<const char *>(xcb_get_property_value(chunk.reply)), length);
        }
    }

    // A piece came: the owner is alive, and the next one gets its whole reply timeout, however
    // long the transfer has taken so far, up to the transfer limit.
    void keepAlive()
    {
        m_deadline = std::max(m_deadline, std::min(Clock::now() + m_reader.m_limits.replyTimeout, m_transferEnd));
    }

    bool isNewPiece(xcb_generic_event_t *e) const
    {
        if ((e->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
            return false;
        auto *p = reinterpret_cast<xcb_property_notify_event_t *>(e);
        return p->window == m_window && p->atom == m_property && p->state == XCB_PROPERTY_NEW_VALUE;
    }

    // Waits for the first event that matches, until the given moment or the fetch's deadline.
    // Owner changes that come meanwhile are kept for later; once one has come, the replaced
    // owner has only the grace period left to answer.
    Event waitFor(const std::function<bool(xcb_generic_event_t *)> &matches, Clock::time_point until)
    {
        until = std::min(until, m_deadline);
        for (;;) {
            while (xcb_generic_event_t *raw = xcb_poll_for_event(m_connection)) {
                Event event(raw);
                if (m_reader.keepOwnerChange(event.get()))
                    continue;
                if (matches(event.get()))
                    return event;
            }
            if (xcb_connection_has_error(m_connection))
                return {};
            if (m_stopping()) {
                m_stopped = true;
                return {};
            }
            const auto now = Clock::now();
            if (m_reader.hasNewerOwnerChange() && !m_replacedAt)
                m_replacedAt = now;
            if (m_replacedAt && now >= *m_replacedAt + kReplacedOwnerGrace) {
                m_superseded = true;
                return {};
            }
            if (now >= until)
                return {};
            auto wake = until;
            if (m_replacedAt)
                wake = std::min(wake, *m_replacedAt + kReplacedOwnerGrace);
            m_reader.sleepOnConnection(std::chrono::duration_cast<std::chrono::milliseconds>(wake - now) + 1ms);
        }
    }

    X11SelectionReader &m_reader;
    xcb_connection_t *m_connection;
    const quint32 m_time;
    const std::function<bool()> &m_stopping;
    const Clock::time_point m_start;
    // Moved on by each piece of a transfer, never past m_transferEnd.
    Clock::time_point m_deadline;
    const Clock::time_point m_transferEnd;
    const quint32 m_clipboard;
    const quint32 m_property;
    const quint32 m_incr;
    const xcb_window_t m_window;
    bool m_stopped = false;
    bool m_superseded = false;
    bool m_overTransferLimit = false;
    std::optional<Clock::time_point> m_replacedAt;
    PasteboardContent m_content;
};

std::optional<PasteboardContent> X11SelectionReader::fetch(const OwnerChange &change,
                                                          const std::function<bool()> &stopping)
{
    PasteboardContent content;
    if (change.owner == XCB_NONE)
        return content;
    if (!ensureConnection()) {
        content.incomplete = true;
        return content;
    }
    Fetch fetch(*this, change, stopping);
    return fetch.run();
}
