// The whole program under a stream of copies made by another program (xclip), as fast as a
// person with a clipboard tool or a script makes them: every copy must reach the history, in
// order, without waiting for a poll.
// gtest first: Xlib's macros (None, Bool) would break its headers.
#include <gtest/gtest.h>

#include "core/ClipboardEntry.h"
#include "engine/HistoryRows.h"
#include "platform/linux/SqliteHistoryStore.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <QJsonDocument>
#include <QJsonObject>

#include <memory>
#include <vector>

#include "X11TestSupport.h"
#include "StoredHistory.h"

using namespace x11test;

namespace {

// What the history database holds now, newest first (read beside the running program).
QStringList withPrefix(const QStringList &texts, const QString &prefix)
{
    QStringList found;
    for (const QString &text : texts) {
        if (text.startsWith(prefix))
            found.append(text);
    }
    return found;
}

class CaptureBurst : public ::testing::Test
{
protected:
    void TearDown() override
    {
        for (auto &process : m_copies) {
            process->kill();
            process->waitForFinished(2000);
        }
    }

    // Copies the texts at a steady pace, each a new xclip that owns the clipboard until the
    // next one takes it. The next copy starts only once this one owns the clipboard: on a busy
    // machine two xclips started 50 ms apart may otherwise take it in the other order, or
    // within a millisecond of each other, which no program could tell apart.
    void copyAtPace(const QStringList &texts, std::chrono::milliseconds interval)
    {
        const Atom clipboard = XInternAtom(display(), "CLIPBOARD", False);
        QElapsedTimer clock;
        clock.start();
        for (qsizetype i = 0; i < texts.size(); ++i) {
            while (clock.elapsed() < i * interval.count())
                QThread::msleep(1);
            const Window before = XGetSelectionOwner(display(), clipboard);
            auto process = std::make_unique<QProcess>();
            process->start(QStringLiteral("xclip"), {"-selection", "clipboard", "-quiet", "-t", "UTF8_STRING"});
            ASSERT_TRUE(process->waitForStarted(5000));
            // Without an event loop here, the text must be handed over before the pipe closes.
            process->write(texts.at(i).toUtf8());
            process->waitForBytesWritten(5000);
            process->closeWriteChannel();
            m_copies.push_back(std::move(process));
            ASSERT_TRUE(QTest::qWaitFor([&] {
                const Window owner = XGetSelectionOwner(display(), clipboard);
                return owner != before && owner != 0;
            }, 5000));
        }
    }

    std::vector<std::unique_ptr<QProcess>> m_copies;
};

TEST_F(CaptureBurst, CopiesInQuickSuccessionAreAllStoredInOrder)
{
    QJsonObject settings{{"tarnel.onboardingComplete", true}, {"tarnel.historyLimit", 2000}};
    writeSettings(QJsonDocument(settings).toJson(QJsonDocument::Compact));
    Program tarnel(tarnelBinary());
    ASSERT_TRUE(waitForPanel()) << tarnel.errorOutput().constData();

    // A copy whose owner was replaced before its content was asked for is gone for good: the
    // new owner answers for it, with its own content. A loaded machine may hold the reader up
    // that long now and then, so a burst keeps nearly every copy, not always every one.
    const struct {
        const char *name;
        int copies;
        std::chrono::milliseconds interval;
        int required; // stored of the copies, at least
    } cases[] = {
        {"two copies 100 ms apart", 2, 100ms, 2},
        {"10 a second", 300, 100ms, 297},
        {"20 a second", 300, 50ms, 285},
    };
    for (const auto &c : cases) {
        const QString prefix = QStringLiteral("%1 #").arg(QString::fromLatin1(c.name));
        QStringList sent;
        for (int i = 0; i < c.copies; ++i)
            sent.prepend(prefix + QString::number(i)); // newest first, as the history lists them
        copyAtPace(QStringList(sent.crbegin(), sent.crend()), c.interval);
        // Done when every copy is in, or nothing new came for a while.
        QStringList stored;
        QElapsedTimer quiet;
        quiet.start();
        while (stored.size() < c.copies && quiet.elapsed() < 5000) {
            const QStringList now = withPrefix(storedTexts(), prefix);
            if (now.size() != stored.size())
                quiet.restart();
            stored = now;
            QThread::msleep(100);
        }
        EXPECT_GE(stored.size(), c.required) << c.name << tarnel.errorOutput().constData();
        // Whatever was stored keeps the order of the copies: newest first, none twice.
        qsizetype at = 0;
        for (const QString &text : std::as_const(stored)) {
            at = sent.indexOf(text, at);
            ASSERT_GE(at, 0) << c.name << ": " << text.toStdString() << " out of order or twice";
            ++at;
        }
    }
    EXPECT_TRUE(tarnel.isRunning()) << tarnel.errorOutput().constData();
}

} // namespace
