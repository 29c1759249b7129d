#include "platform/x11/X11SelectionReader.h"

#include "core/Logging.h"

#include <QHostInfo>
#include <QStringDecoder>
#include <QUrl>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <poll.h>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// How often a wait wakes to see whether a newer change superseded the fetch.
constexpr std::chrono::milliseconds kWakeInterval{20};

const QByteArray kPng = QByteArrayLiteral("image/png");
const QByteArray kUriList = QByteArrayLiteral("text/uri-list");
// Text targets in order of preference; STRING is Latin-1 by definition.
const QByteArray kUtf8Targets[] = {QByteArrayLiteral("UTF8_STRING"), QByteArrayLiteral("text/plain;charset=utf-8"),
                                   QByteArrayLiteral("text/plain")};
const QByteArray kLatin1Target = QByteArrayLiteral("STRING");

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

X11SelectionReader::X11SelectionReader(QByteArray displayName, Limits limits)
    : m_displayName(std::move(displayName)), m_limits(limits)
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
    return true;
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
    QStringList paths;
    const QString localHost = QHostInfo::localHostName();
    for (QByteArray line : uriList.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QUrl url = QUrl::fromEncoded(line, QUrl::StrictMode);
        const QString host = url.host();
        // "file:a.txt" is a local file URL too, but a relative path names nothing once the
        // entry is pasted from another folder.
        if (!url.isValid() || !url.isLocalFile() || !url.path().startsWith(u'/')
            || !(host.isEmpty() || host == u"localhost" || host == localHost))
            return {};
        paths.append(url.adjusted(QUrl::RemoveAuthority).toLocalFile());
    }
    return paths;
}

std::optional<PasteboardContent> X11SelectionReader::fetch(const std::function<bool()> &isSuperseded)
{
    PasteboardContent content;
    if (!ensureConnection()) {
        content.incomplete = true;
        return content;
    }
    xcb_connection_t *c = m_connection;
    const Clock::time_point deadline = Clock::now() + m_limits.fetchDeadline;
    const quint32 clipboard = atom("CLIPBOARD");
    const quint32 property = atom("TARNEL_SELECTION");
    const quint32 incr = atom("INCR");

    // A fresh window per fetch: a late answer to an earlier, abandoned request goes to a
    // window that no longer exists instead of being mistaken for this fetch's answer.
    const xcb_window_t window = xcb_generate_id(c);
    const quint32 mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, m_root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
    struct WindowGuard {
        xcb_connection_t *c;
        xcb_window_t w;
        ~WindowGuard()
        {
            xcb_destroy_window(c, w);
            xcb_flush(c);
        }
    } guard{c, window};

    bool superseded = false;
    // Waits for the first event that matches, until the given moment.
    auto waitFor = [&](const std::function<bool(xcb_generic_event_t *)> &matches,
                       Clock::time_point until) -> Event {
        until = std::min(until, deadline);
        for (;;) {
            while (xcb_generic_event_t *raw = xcb_poll_for_event(c)) {
                Event event(raw);
                if (matches(event.get()))
                    return event;
            }
            if (xcb_connection_has_error(c))
                return {};
            if (isSuperseded()) {
                superseded = true;
                return {};
            }
            const auto now = Clock::now();
            if (now >= until)
                return {};
            const auto slice = std::min(std::chrono::duration_cast<std::chrono::milliseconds>(until - now) + 1ms,
                                        kWakeInterval);
            pollfd pfd{xcb_get_file_descriptor(c), POLLIN, 0};
            ::poll(&pfd, 1, int(slice.count()));
        }
    };

    auto propertyEvent = [&](xcb_generic_event_t *e) {
        if ((e->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
            return false;
        auto *p = reinterpret_cast<xcb_property_notify_event_t *>(e);
        return p->window == window && p->atom == property && p->state == XCB_PROPERTY_NEW_VALUE;
    };

    auto convert = [&](quint32 target) -> Transfer {
        Transfer t;
        xcb_delete_property(c, window, property);
        xcb_convert_selection(c, window, clipboard, target, property, XCB_CURRENT_TIME);
        xcb_flush(c);
        Event answer = waitFor(
            [&](xcb_generic_event_t *e) {
                if ((e->response_type & 0x7f) != XCB_SELECTION_NOTIFY)
                    return false;
                auto *n = reinterpret_cast<xcb_selection_notify_event_t *>(e);
                return n->requestor == window && n->selection == clipboard && n->target == target;
            },
            Clock::now() + m_limits.replyTimeout);
        if (!answer) {
            t.outcome = superseded ? Outcome::Superseded : Outcome::NoAnswer;
            return t;
        }
        if (reinterpret_cast<xcb_selection_notify_event_t *>(answer.get())->property == XCB_ATOM_NONE) {
            t.outcome = Outcome::Refused;
            return t;
        }
        Reply<xcb_get_property_reply_t> head(xcb_get_property_reply(
            c, xcb_get_property(c, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1), nullptr));
        if (!head) {
            t.outcome = Outcome::Failed;
            return t;
        }
        t.type = head->type;
        if (head->type == incr) {
            // The owner sends the data in pieces; the announced size is a lower bound.
            const quint32 announced = xcb_get_property_value_length(head.reply) >= 4
                ? *static_cast<const quint32 *>(xcb_get_property_value(head.reply))
                : 0;
            if (announced > quint64(m_limits.maxBytes)) {
                t.outcome = Outcome::Oversized;
                return t;
            }
            xcb_delete_property(c, window, property); // asks for the first piece
            xcb_flush(c);
            for (;;) {
                Event piece = waitFor(propertyEvent, Clock::now() + m_limits.replyTimeout);
                if (!piece) {
                    t.outcome = superseded ? Outcome::Superseded : Outcome::NoAnswer;
                    return t;
                }
                Reply<xcb_get_property_reply_t> chunk(xcb_get_property_reply(
                    c, xcb_get_property(c, 1, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, UINT32_MAX / 4),
                    nullptr));
                xcb_flush(c);
                if (!chunk) {
                    t.outcome = Outcome::Failed;
                    return t;
                }
                const int length = xcb_get_property_value_length(chunk.reply);
                if (length == 0) {
                    t.type = chunk->type;
                    t.outcome = Outcome::Delivered;
                    return t;
                }
                if (t.data.size() + length > m_limits.maxBytes) {
                    t.outcome = Outcome::Oversized;
                    t.data.clear();
                    return t;
                }
                t.data.append(static_cast<const char *>(xcb_get_property_value(chunk.reply)), length);
            }
        }
        const quint64 total = quint64(xcb_get_property_value_length(head.reply)) + head->bytes_after;
        if (total > quint64(m_limits.maxBytes)) {
            xcb_delete_property(c, window, property);
            t.outcome = Outcome::Oversized;
            return t;
        }
        Reply<xcb_get_property_reply_t> whole(xcb_get_property_reply(
            c, xcb_get_property(c, 1, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, quint32((total + 3) / 4)),
            nullptr));
        if (!whole) {
            t.outcome = Outcome::Failed;
            return t;
        }
        t.data = QByteArray(static_cast<const char *>(xcb_get_property_value(whole.reply)),
                            xcb_get_property_value_length(whole.reply));
        t.outcome = Outcome::Delivered;
        return t;
    };

    // Ends the fetch when the owner stopped answering; true when it should go on.
    auto settle = [&](const Transfer &t, const QByteArray &type) {
        switch (t.outcome) {
        case Outcome::Superseded:
            return false;
        case Outcome::NoAnswer:
        case Outcome::Failed:
            content.incomplete = true;
            qCWarning(lcPlatform).noquote() << "clipboard owner did not deliver" << type << "in time; gave up";
            return false;
        case Outcome::Oversized:
            content.oversizedTypes.append(QString::fromLatin1(type));
            qCWarning(lcPlatform).noquote() << "clipboard" << type << "is larger than" << m_limits.maxBytes
                                            << "bytes; passed over";
            return true;
        case Outcome::Refused:
        case Outcome::Delivered:
            return true;
        }
        return true;
    };

    const Transfer targetsTransfer = convert(atom("TARGETS"));
    if (!settle(targetsTransfer, "TARGETS"))
        return superseded ? std::nullopt : std::optional(content);

    QList<QByteArray> targets;
    // Some owners label the list with the TARGETS atom instead of ATOM; the content is the same.
    const bool atomList = targetsTransfer.type == XCB_ATOM_ATOM || targetsTransfer.type == atom("TARGETS");
    if (targetsTransfer.outcome == Outcome::Delivered && atomList) {
        const auto *atoms = reinterpret_cast<const quint32 *>(targetsTransfer.data.constData());
        const qsizetype count = targetsTransfer.data.size() / 4;
        // Names are asked for all at once so the round trips overlap.
        QList<xcb_get_atom_name_cookie_t> cookies;
        QList<quint32> unknown;
        for (qsizetype i = 0; i < count; ++i) {
            if (!m_atomNames.contains(atoms[i]) && !unknown.contains(atoms[i])) {
                unknown.append(atoms[i]);
                cookies.append(xcb_get_atom_name(c, atoms[i]));
            }
        }
        for (qsizetype i = 0; i < unknown.size(); ++i) {
            Reply<xcb_get_atom_name_reply_t> reply(xcb_get_atom_name_reply(c, cookies[i], nullptr));
            if (reply) {
                const QByteArray name(xcb_get_atom_name_name(reply.reply), xcb_get_atom_name_name_length(reply.reply));
                m_atomNames.insert(unknown[i], name);
                m_atoms.insert(name, unknown[i]);
            }
        }
        for (qsizetype i = 0; i < count; ++i)
            targets.append(atomName(atoms[i]));
    } else if (targetsTransfer.outcome == Outcome::Refused) {
        // An owner that cannot list its targets may still hand out text.
        targets = {kUtf8Targets[0], kLatin1Target};
    }
    if (targets.isEmpty())
        return content;

    if (targets.contains(kUriList)) {
        const Transfer t = convert(atom(kUriList));
        if (!settle(t, kUriList))
            return superseded ? std::nullopt : std::optional(content);
        if (t.outcome == Outcome::Delivered)
            content.filePaths = filePathsFromUriList(t.data);
        if (!content.filePaths.isEmpty())
            return content;
    }

    QList<QByteArray> imageTypes;
    if (targets.contains(kPng))
        imageTypes.append(kPng);
    for (const QByteArray &type : std::as_const(targets)) {
        if (type.startsWith("image/") && !imageTypes.contains(type))
            imageTypes.append(type);
    }
    // The first image type that arrives is enough; the others are alternatives of it.
    for (const QByteArray &type : std::as_const(imageTypes)) {
        const Transfer t = convert(atom(type));
        if (!settle(t, type))
            return superseded ? std::nullopt : std::optional(content);
        if (t.outcome == Outcome::Delivered && !t.data.isEmpty()) {
            content.images.append({QString::fromLatin1(type), t.data});
            break;
        }
    }

    bool sawInvalidUtf8 = false;
    for (const QByteArray &type : kUtf8Targets) {
        if (!targets.contains(type))
            continue;
        const Transfer t = convert(atom(type));
        if (!settle(t, type))
            return superseded ? std::nullopt : std::optional(content);
        if (t.outcome != Outcome::Delivered)
            continue;
        if (auto text = decodeUtf8(t.data)) {
            content.text = std::move(text);
            return content;
        }
        sawInvalidUtf8 = true;
    }
    if (targets.contains(kLatin1Target)) {
        const Transfer t = convert(atom(kLatin1Target));
        if (!settle(t, kLatin1Target))
            return superseded ? std::nullopt : std::optional(content);
        if (t.outcome == Outcome::Delivered)
            content.text = QString::fromLatin1(t.data);
    }
    if (sawInvalidUtf8 && !content.text)
        qCWarning(lcPlatform) << "clipboard text is not valid UTF-8; skipped";
    return content;
}
