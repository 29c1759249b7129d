#pragma once

#include "core/ImageSizeRule.h"
#include "platform/Pasteboard.h"
#include "platform/x11/X11ClipboardAskers.h"
#include "platform/x11/X11PrimaryOffer.h"

#include <QClipboard>
#include <QHash>
#include <QPointer>

#include <chrono>
#include <memory>
#include <optional>
#include <thread>

class QMimeData;
class X11DeferredPngRequests;
class X11SelectionReader;
class X11TextInSteps;

// The CLIPBOARD selection of the X display.
//
// A reader thread with its own X connection learns of every change of the selection's owner
// (XFixes) the moment the display reports it, fetches that change's content at once and hands
// it to the main thread, change by change and in order. Each arrival raises the count and is
// announced while content() holds it, so a burst of copies reaches the listener one snapshot
// per copy, and a poll step never waits on an owner. The interface thread being busy does not
// delay a fetch until the owner has already been replaced.
//
// Writes go through QClipboard, which then serves the content to other programs (a request for
// the PNG of a written image is held back until a worker has made it, a long text is handed
// over in steps every program can take); the count
// for a write is raised and published before the write returns. A copy made in one of Tarnel's
// own windows goes through QClipboard too, and is counted when Qt reports it, like any other
// program's copy. The reader passes over every ownership that Qt takes (recognised by the owner
// window, which belongs to Qt's own connection): each was counted on the main thread already.
class X11Pasteboard : public Pasteboard
{
    Q_OBJECT

public:
    // A text or list of files larger than this is passed over and reported, never loaded whole.
    // Every kept text is held whole as UTF-16 beside what searching it takes (some 80 MB for
    // one this long) and written with the history.
    static constexpr qint64 kMaxRepresentationBytes = 32LL * 1024 * 1024;
    // An image is read up to the size the history takes an image at (it is then re-encoded to
    // fit); a larger one is passed over and reported.
    static constexpr qint64 kMaxImageBytes = ImageSizeRule::kCeilingBytes;
    // How long an owner may take to answer one request (or deliver one piece of a transfer). A
    // program that has just copied may be busy for seconds on a loaded machine before it answers
    // the first request (LibreOffice took more than two); an owner that hangs is still given up
    // well within the fetch's deadline, and a newer copy does not wait for it.
    static constexpr std::chrono::milliseconds kOwnerReplyTimeout{5000};
    // How long one change's whole fetch may take, unless its owner is still sending pieces.
    static constexpr std::chrono::milliseconds kFetchDeadline{8000};
    // How long a fetch may go on at most while the owner keeps sending the pieces of a large
    // copy, each within the reply timeout of the one before (a slow or busy program).
    static constexpr std::chrono::milliseconds kTransferLimit{60000};
    // How soon, on the server's clock, a desktop's clipboard keeper (mutter's, Cinnamon's,
    // Klipper) takes the clipboard over after the program that owned it went away. The keeper
    // holds the content already and takes it at once; the user copying anew takes longer.
    static constexpr std::chrono::milliseconds kKeeperTakeover{2000};
    // How long the start may wait for what a re-offering clipboard holds already.
    static constexpr std::chrono::milliseconds kStartReadDeadline{1000};
    // How long the primary selection's owner (a terminal, on the user's copy shortcut) may take
    // to answer one request, and to deliver its whole text.
    static constexpr std::chrono::milliseconds kPrimaryReplyTimeout{1000};
    static constexpr std::chrono::milliseconds kPrimaryReadDeadline{2000};
    // How long a text lent to the primary selection stays there after a program asked for it
    // (time for its other requests, the text in another type say), and at most, read or not:
    // a program that pastes the clipboard on Shift+Insert never reads it, and until the loan
    // ends a middle click pastes the lent text instead of what the user selected.
    static constexpr std::chrono::milliseconds kPrimaryLoanAfterRead{300};
    static constexpr std::chrono::milliseconds kPrimaryLoanLimit{1000};
    // How long quitting waits for the reader thread to stop; one still stuck then is left to
    // end with the process.
    static constexpr std::chrono::milliseconds kReaderStopLimit{1000};

    struct Limits {
        qint64 maxBytes = kMaxRepresentationBytes;
        qint64 maxImageBytes = kMaxImageBytes;
        std::chrono::milliseconds replyTimeout = kOwnerReplyTimeout;
        std::chrono::milliseconds fetchDeadline = kFetchDeadline;
        std::chrono::milliseconds transferLimit = kTransferLimit;
        std::chrono::milliseconds primaryLoanLimit = kPrimaryLoanLimit;
    };

    explicit X11Pasteboard(QObject *parent = nullptr);
    explicit X11Pasteboard(Limits limits, QObject *parent = nullptr);
    ~X11Pasteboard() override;

    qint64 changeCount() const override { return m_changeCount; }
    PasteboardContent content() const override { return m_content; }
    bool reoffersContent() const override;

    qint64 writeText(const QString &text) override;
    qint64 writeFilePaths(const QStringList &paths) override;
    qint64 writeImage(const QByteArray &imageData) override;
    bool answeredSinceWrite(quint64 window) const override { return m_askers.hasAsked(window); }
    bool lendPrimarySelection(const QString &text, const std::optional<QString> &restore) override;
    QFuture<std::optional<QString>> primarySelectionText() override;

    bool isFetching() const override;

private:
    struct ReaderState;
    static void readChanges(const std::shared_ptr<ReaderState> &state);
    void fetched(const PasteboardContent &content);
    qint64 write(QMimeData *mime, PasteboardContent content);
    void publish(PasteboardContent content);
    void clipboardChanged(QClipboard::Mode mode);
    // Whether the server names Qt's own window as the selection's owner (one round trip).
    bool holdsSelection(const QByteArray &selection);
    static PasteboardContent contentOf(const QMimeData &mime);
    // Whether the offer is the loan out now, still holding the primary selection.
    bool isLentOut(const X11PrimaryOffer *offer);
    // Ends a loan of the primary selection, if it is still the one out and still ours.
    void endPrimaryLoan(const QPointer<X11PrimaryOffer> &offer);

    QPointer<QClipboard> m_clipboard;
    X11DeferredPngRequests *m_pngRequests = nullptr;
    X11TextInSteps *m_textSteps = nullptr;
    X11ClipboardAskers m_askers;
    qint64 m_changeCount = 0;
    bool m_writing = false;
    QHash<QByteArray, quint32> m_selectionAtoms;
    PasteboardContent m_content;
    // The text lent to the primary selection, and what goes back there after it.
    QPointer<X11PrimaryOffer> m_primaryOffer;
    std::chrono::milliseconds m_primaryLoanLimit = kPrimaryLoanLimit;
    std::optional<QString> m_primaryRestore;
    std::shared_ptr<ReaderState> m_state;
    std::thread m_thread;
};
