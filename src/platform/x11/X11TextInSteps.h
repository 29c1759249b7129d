#pragma once

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <map>
#include <utility>

// Hands a long text Tarnel put on the clipboard over in steps (INCR) of at most kStepBytes.
// Qt answers in one step whatever one request to the server can carry, up to 16 MB where the
// server takes big requests, but Tk reads no more than 400,000 bytes of one answer and gives
// up on a longer one ("selection property too large"), so a long paste into gitk, git gui or
// IDLE brought nothing. Every program that reads the clipboard takes a text in steps; a step is
// written once the program has deleted the one before. The text's UTF-8 forms are answered
// here; other forms, shorter texts and everything else Qt answers as before.
class X11TextInSteps : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT

public:
    // The most one answer carries: what GTK puts in one step, well within what Tk reads.
    static constexpr qsizetype kStepBytes = 256 * 1024;
    // A program that takes no step for this long has given up, or gone.
    static constexpr std::chrono::milliseconds kStepTimeout{5000};

    explicit X11TextInSteps(QObject *parent = nullptr);
    ~X11TextInSteps() override;

    // The text now on the clipboard; an empty one when the clipboard holds anything else.
    // A transfer under way goes on with the text it began with.
    void offer(const QString &text);

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    struct Transfer {
        QByteArray bytes;
        qsizetype sent = 0;
        std::uint32_t type = 0;
        std::chrono::steady_clock::time_point lastStep;
    };
    // A transfer by the requestor's window and the property it reads.
    using Key = std::pair<std::uint32_t, std::uint32_t>;

    bool begin(const void *request);
    void step(const Key &key);
    void end(const Key &key);
    void dropStalled();

    void *m_connection = nullptr;
    std::uint32_t m_clipboardAtom = 0;
    std::uint32_t m_utf8Atom = 0;
    std::uint32_t m_plainUtf8Atom = 0;
    std::uint32_t m_incrAtom = 0;
    std::uint32_t m_ownIdBase = 0;
    std::uint32_t m_ownIdMask = 0;
    QByteArray m_offered;
    std::map<Key, Transfer> m_transfers;
    QTimer m_stalls;
};
