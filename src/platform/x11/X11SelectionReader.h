#pragma once

#include "platform/Pasteboard.h"

#include <QByteArray>
#include <QHash>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

struct xcb_connection_t;

// Fetches the CLIPBOARD selection over a connection of its own, on whatever thread calls it
// (the clipboard's worker thread), so a slow or hung owner never stalls the interface.
//
// Each wait is bounded: an owner that does not answer a request within the reply timeout is
// given up, and a whole fetch ends by its deadline. A fetch also ends early once a newer
// change has superseded it. Representations larger than the size cap are passed over
// without being loaded; only their type is reported.
class X11SelectionReader
{
public:
    struct Limits {
        qint64 maxBytes;
        std::chrono::milliseconds replyTimeout;
        std::chrono::milliseconds fetchDeadline;
    };

    X11SelectionReader(QByteArray displayName, Limits limits);
    ~X11SelectionReader();
    X11SelectionReader(const X11SelectionReader &) = delete;
    X11SelectionReader &operator=(const X11SelectionReader &) = delete;

    // Nothing when the fetch was superseded (isSuperseded turned true) before it finished.
    std::optional<PasteboardContent> fetch(const std::function<bool()> &isSuperseded);

    // Local paths of a text/uri-list; empty unless every URL in it is a local file URL.
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

    QByteArray m_displayName;
    Limits m_limits;
    xcb_connection_t *m_connection = nullptr;
    quint32 m_root = 0;
    QHash<QByteArray, quint32> m_atoms;
    QHash<quint32, QByteArray> m_atomNames;
};
