#pragma once

#include "platform/Pasteboard.h"

#include <QByteArray>
#include <QHash>

#include <chrono>
#include <deque>
#include <functional>
#include <optional>

struct xcb_connection_t;

// Watches and fetches the CLIPBOARD selection over a connection of its own, on whatever thread
// calls it (the clipboard's reader thread), so a slow or hung owner never stalls the interface
// and a busy interface never delays a fetch until the owner has already been replaced.
//
// Every change of owner is reported (XFixes) and fetched in order, each from the owner it
// names: the conversion carries the change's own timestamp, so an owner that follows the
// conventions refuses a request meant for its predecessor. Each wait is bounded: an owner that
// does not answer a request within the reply timeout is given up, and a whole fetch ends by its
// deadline, or shortly after a newer owner took over or the owner went away. An owner that sends
// its content in pieces is alive as long as the pieces come: each piece gives the fetch another
// reply timeout past its deadline, up to the transfer limit counted from the fetch's start.
// What an owner that stopped or went away leaves unsent is missing, and the content says it is
// incomplete; only representations that arrived whole are kept. Representations larger than the size cap
// of their kind (images have their own) are passed over without being kept; only their type is
// reported. A copy that its owner
// marks as a password manager's secret is not read at all: only its types are reported.
class X11SelectionReader
{
public:
    struct Limits {
        qint64 maxBytes;      // texts, lists of files and types
        qint64 maxImageBytes; // image/* types
        std::chrono::milliseconds replyTimeout;
        std::chrono::milliseconds fetchDeadline;
        // How long a fetch may go on while its owner keeps sending pieces (never less than the
        // deadline).
        std::chrono::milliseconds transferLimit;
    };
    // One change of the selection's owner as the display reported it.
    struct OwnerChange {
        quint32 owner = 0; // none when the owner went away without a successor
        quint32 time = 0;
        // The owner's window was destroyed or its connection closed (not given up by request).
        bool ownerLeft = false;
        // When the server made the change, on its own clock (milliseconds).
        quint32 serverTime = 0;
    };
    // A fetch still waiting on an owner that has been replaced gives up after this long.
    static constexpr std::chrono::milliseconds kReplacedOwnerGrace{250};
    // Types read from an owner's list; a real program offers a few dozen, and the ones Tarnel
    // reads come early. A longer list (a broken or hostile owner) is cut here.
    static constexpr qsizetype kMaxTargets = 4096;
    // Password managers offer this type, holding "secret", beside the secret they copy.
    static constexpr char kPasswordManagerHint[] = "x-kde-passwordManagerHint";
    // Cross-platform password managers offer one of these instead, whatever it holds: a copy
    // meant to be pasted and forgotten, never kept.
    static constexpr char kConcealedType[] = "org.nspasteboard.ConcealedType";
    static constexpr char kTransientType[] = "org.nspasteboard.TransientType";

    // wakeFd, when given, ends every wait as soon as it becomes readable (to stop the reader).
    // The selection is CLIPBOARD unless another one (PRIMARY) is named.
    X11SelectionReader(QByteArray displayName, Limits limits, int wakeFd = -1,
                       QByteArray selection = QByteArrayLiteral("CLIPBOARD"));
    ~X11SelectionReader();
    X11SelectionReader(const X11SelectionReader &) = delete;
    X11SelectionReader &operator=(const X11SelectionReader &) = delete;

    // Subscribes to changes of the selection's owner; false when the display cannot report them.
    bool watchOwnership();
    // The next change of owner, oldest first; waits without waking until one comes. Nothing
    // when stopping turned true or the display connection broke.
    std::optional<OwnerChange> nextOwnerChange(const std::function<bool()> &stopping);
    // The selection's owner at this moment, as a change made now; nothing without a display.
    std::optional<OwnerChange> currentOwner();
    // Whether a newer change of owner was already seen (during the last fetch, for instance).
    bool hasNewerOwnerChange() const { return !m_ownerChanges.empty(); }

    // The content offered at the change; nothing when stopping turned true first.
    std::optional<PasteboardContent> fetch(const OwnerChange &change, const std::function<bool()> &stopping);

    // Local paths of a text/uri-list; empty unless every URL in it is a local file URL. A path
    // whose name is not UTF-8 stays a "file:///" URL, percent-encoded byte for byte.
    static QStringList filePathsFromUriList(const QByteArray &uriList);

private:
    enum class Outcome { Delivered, Refused, Oversized, NoAnswer, Superseded, Failed };
    struct Transfer {
        Outcome outcome = Outcome::Failed;
        QByteArray data;
        quint32 type = 0;
    };

    class Fetch;

    bool ensureConnection();
    quint32 atom(const QByteArray &name);
    QByteArray atomName(quint32 atom);
    // Keeps an owner change that arrived among other events; true when the event was one.
    bool keepOwnerChange(const void *event);
    // Sleeps until the connection or the wake descriptor has something, or the time has come.
    void sleepOnConnection(std::optional<std::chrono::milliseconds> limit);

    QByteArray m_displayName;
    QByteArray m_selection;
    Limits m_limits;
    int m_wakeFd = -1;
    xcb_connection_t *m_connection = nullptr;
    quint32 m_root = 0;
    quint8 m_xfixesFirstEvent = 0;
    bool m_watching = false;
    std::deque<OwnerChange> m_ownerChanges;
    QHash<QByteArray, quint32> m_atoms;
    QHash<quint32, QByteArray> m_atomNames;
};
