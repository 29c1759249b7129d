#pragma once

#include "platform/Pasteboard.h"

#include <QClipboard>
#include <QPointer>

#include <atomic>
#include <chrono>
#include <memory>

class QMimeData;
class QThread;
class X11SelectionReader;

// The CLIPBOARD selection of the X display.
//
// Qt reports every change of the selection's owner; each one raises the pending count and
// sends a worker thread to fetch the new content once, over its own X connection. The
// count that changeCount() shows moves only when that content is in hand, so a poll step
// never waits on the owner: it reads a number and, when it is new, a finished snapshot.
// A change that arrives while an earlier one is still being fetched supersedes it.
//
// Writes go through QClipboard, which then serves the content to other programs; the count
// for a write is raised and published before the write returns.
class X11Pasteboard : public Pasteboard
{
    Q_OBJECT

public:
    // A representation larger than this is passed over and reported, never loaded whole.
    static constexpr qint64 kMaxRepresentationBytes = 32LL * 1024 * 1024;
    // How long an owner may take to answer one request (or deliver one piece of a transfer).
    static constexpr std::chrono::milliseconds kOwnerReplyTimeout{2000};
    // How long one change's whole fetch may take.
    static constexpr std::chrono::milliseconds kFetchDeadline{8000};

    struct Limits {
        qint64 maxBytes = kMaxRepresentationBytes;
        std::chrono::milliseconds replyTimeout = kOwnerReplyTimeout;
        std::chrono::milliseconds fetchDeadline = kFetchDeadline;
    };

    explicit X11Pasteboard(QObject *parent = nullptr);
    explicit X11Pasteboard(Limits limits, QObject *parent = nullptr);
    ~X11Pasteboard() override;

    qint64 changeCount() const override { return m_changeCount; }
    PasteboardContent content() const override { return m_content; }

    qint64 writeText(const QString &text) override;
    qint64 writeFilePaths(const QStringList &paths) override;
    qint64 writeImage(const QByteArray &imageData) override;

    // True while a change has been seen whose content is still being fetched.
    bool isFetching() const { return m_pendingCount != m_changeCount; }

private:
    void ownerChanged(QClipboard::Mode mode);
    void fetched(qint64 count, const PasteboardContent &content);
    qint64 write(QMimeData *mime, PasteboardContent content);
    void publish(qint64 count, PasteboardContent content);

    QPointer<QClipboard> m_clipboard;
    bool m_writing = false;
    // Raised for every change seen; the published count catches up when its content is in.
    qint64 m_pendingCount = 0;
    qint64 m_changeCount = 0;
    PasteboardContent m_content;
    std::shared_ptr<std::atomic<qint64>> m_latestChange;
    std::shared_ptr<X11SelectionReader> m_reader;
    QThread *m_thread = nullptr;
    QObject *m_workerContext = nullptr;
};
