// End to end: what another program (xclip, or the platform helper playing a slow, dying or
// careless one) copies reaches the real model through the X11 clipboard, whatever its size and
// pace: kept as the history keeps it, or passed over with a notice.
#include "core/ImageSizeRule.h"
#include "engine/ClipboardModel.h"
#include "platform/fake/FakeKeySender.h"
#include "platform/fake/FakePermissions.h"
#include "platform/fake/FakeSettingsStore.h"
#include "platform/fake/FakeWorkspace.h"
#include "platform/x11/X11Pasteboard.h"
#include "support/ModelServices.h"
#include "support/TestImages.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>

#include <gtest/gtest.h>

#include "X11TestSupport.h"

namespace {

using namespace std::chrono_literals;

class X11CaptureFixture : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (QProcess *p : m_processes) {
            p->kill();
            p->waitForFinished(2000);
            delete p;
        }
    }

    // Another program copies the file's bytes under the type, and serves them until it loses
    // the clipboard.
    void copyWithXclip(const QString &path, const QString &type)
    {
        auto *p = new QProcess;
        m_processes.append(p);
        p->start(QStringLiteral("xclip"), {"-quiet", "-selection", "clipboard", "-t", type, "-i", path});
        ASSERT_TRUE(p->waitForStarted());
    }

    // Another program that the platform helper plays; started once it owns the clipboard.
    void startOwner(const QStringList &arguments)
    {
        auto *p = new QProcess;
        m_processes.append(p);
        p->start(QStringLiteral(TARNEL_PLATFORM_HELPER), arguments);
        ASSERT_TRUE(p->waitForStarted());
        ASSERT_TRUE(p->waitForReadyRead(kOwnerStartMs));
    }

    // Every change the clipboard has seen has reached the model and been dealt with.
    static bool caughtUp(const X11Pasteboard &pasteboard, const ClipboardModel &model, qint64 countBefore)
    {
        return model.lastChangeCount() > countBefore && !pasteboard.isFetching()
            && model.lastChangeCount() == pasteboard.changeCount() && model.pendingCaptureCount() == 0;
    }

    QString writeFile(const QString &name, const QByteArray &data)
    {
        const QString path = folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        EXPECT_EQ(file.write(data), data.size());
        return path;
    }

    static constexpr int kOwnerStartMs = 5000;
    FakeSettingsStore settings;
    FakeWorkspace workspace;
    FakePermissions permissions;
    FakeKeySender keys;
    QTemporaryDir folder;
    QList<QProcess *> m_processes;
};

class X11EngineCaptureTest : public X11CaptureFixture {
protected:
    X11Pasteboard pasteboard;
};

// Short timings, so that the slow owners cost the test a few seconds; the owners send a piece
// each gap after the one before.
constexpr std::chrono::milliseconds kSlowReplyTimeout{700};
constexpr std::chrono::milliseconds kSlowFetchDeadline{1000};
constexpr std::chrono::milliseconds kSlowTransferLimit{4000};
constexpr std::chrono::milliseconds kPieceGap{150};
constexpr std::chrono::milliseconds kEndlessPieceGap{100};
static_assert(kPieceGap < kSlowReplyTimeout && 12 * kPieceGap > kSlowFetchDeadline);
static_assert(1000 * kEndlessPieceGap > kSlowTransferLimit);
// How long a slow owner's copy is waited for: long enough for a loaded machine, and far short of
// what the endless owner takes to send everything, so that a fetch which ignored the transfer
// limit is still going when the wait ends.
constexpr std::chrono::milliseconds kSlowCopyWait{30000};
static_assert(kSlowCopyWait > kSlowTransferLimit && 1000 * kEndlessPieceGap > 3 * kSlowCopyWait);

X11Pasteboard::Limits slowOwnerLimits()
{
    X11Pasteboard::Limits limits;
    limits.replyTimeout = kSlowReplyTimeout;
    limits.fetchDeadline = kSlowFetchDeadline;
    limits.transferLimit = kSlowTransferLimit;
    return limits;
}

class X11SlowOwnerCaptureTest : public X11CaptureFixture {
protected:
    X11Pasteboard pasteboard{slowOwnerLimits()};
};

// Images up to the history's ceiling are read whole and re-encoded within its target; a larger
// one, or a text beyond the clipboard's bound for texts, is passed over and the notice says so.
// The PNGs are stored uncompressed, as large as an image editor offers a large picture.
TEST_F(X11EngineCaptureTest, LargeCopiesAreKeptReencodedOrPassedOverWithANotice)
{
    enum class Outcome { KeptReencoded,
                         ImageNotKept,
                         TextNotKept };
    struct Case {
        const char *name;
        QSize canvas;     // a PNG of this canvas, or
        qint64 textBytes; // a text of this many bytes
        qint64 atLeast;   // the file's size, within these bounds
        qint64 atMost;
        Outcome outcome;
    };
    const Case cases[] = {
        {"PNG of 43.8 MB", {4000, 3647}, 0, 43'700'000, 43'900'000, Outcome::KeptReencoded},
        {"PNG of 99.5 MB", {6000, 5527}, 0, 99'400'000, ImageSizeRule::kCeilingBytes, Outcome::KeptReencoded},
        {"PNG of 101 MB", {6000, 5611}, 0, ImageSizeRule::kCeilingBytes + 1, 101'100'000, Outcome::ImageNotKept},
        {"text of 40 MB", {}, 40'000'000, 40'000'000, 40'000'000, Outcome::TextNotKept},
    };
    static_assert(X11Pasteboard::kMaxRepresentationBytes < 40'000'000);
    ClipboardModel model(testsupport::pasteServices(pasteboard, settings, workspace, permissions, keys, folder));
    model.startMonitoring();
    int round = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = folder.filePath(QStringLiteral("copy%1").arg(++round));
        if (c.textBytes > 0) {
            QFile text(path);
            ASSERT_TRUE(text.open(QIODevice::WriteOnly));
            ASSERT_EQ(text.write(QByteArray(c.textBytes, 'a')), c.textBytes);
        } else {
            ASSERT_TRUE(writeUncompressedPng(path, c.canvas.width(), c.canvas.height()));
        }
        const qint64 size = QFileInfo(path).size();
        ASSERT_GE(size, c.atLeast);
        ASSERT_LE(size, c.atMost);

        const qsizetype entriesBefore = model.entries().size();
        const qint64 countBefore = pasteboard.changeCount();
        copyWithXclip(path, c.textBytes > 0 ? QStringLiteral("UTF8_STRING") : QStringLiteral("image/png"));
        // Taken by the model, then re-encoded on a worker: the entry or the notice comes once
        // the copy is dealt with.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return model.lastChangeCount() > countBefore && model.pendingCaptureCount() == 0; }, 60000));
        EXPECT_TRUE(model.copiedNoticeVisible());
        EXPECT_EQ(model.imageNotKeptNotice(), c.outcome == Outcome::ImageNotKept);
        EXPECT_EQ(model.textNotKeptNotice(), c.outcome == Outcome::TextNotKept);
        if (c.outcome != Outcome::KeptReencoded) {
            EXPECT_EQ(model.entries().size(), entriesBefore) << "nothing is recorded";
            continue;
        }
        ASSERT_EQ(model.entries().size(), entriesBefore + 1);
        const ClipboardEntry &entry = model.entries().first();
        EXPECT_EQ(entry.kind, ClipboardKind::Image);
        const std::optional<QByteArray> kept = model.imageData(entry);
        ASSERT_TRUE(kept.has_value());
        EXPECT_LE(kept->size(), ImageSizeRule::kTargetBytes);
        // The whole picture, at its own size: a band row and a page row read back as drawn.
        QByteArray bytes = *kept;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        reader.setAllocationLimit(ImageSizeRule::kDecodeAllocationLimitMB);
        const QImage picture = reader.read();
        ASSERT_EQ(picture.size(), c.canvas);
        EXPECT_EQ(picture.pixel(17, 40), qRgb(0x30, 0x30, 0x30));
        EXPECT_EQ(picture.pixel(c.canvas.width() - 1, c.canvas.height() - 1), qRgb(0xe0, 0xe0, 0xe0));
        QFile::remove(path);
    }
}

// A program that sends its copy in pieces is waited for as long as the pieces keep coming, past
// the fetch's deadline, up to the transfer limit; one that goes away or stops sending midway, or
// is still sending at the limit, leaves no entry, and the notice says the copy was not kept.
TEST_F(X11SlowOwnerCaptureTest, AnOwnerSendingInPiecesIsWaitedForWhileItSendsAndReportedWhenItStops)
{
    struct Case {
        const char *name;
        int pieces;
        std::chrono::milliseconds gap;
        QStringList stop; // "die" or "stall" and after how many pieces; empty: sends them all
        bool kept;
    };
    const Case cases[] = {
        {"12 pieces, spaced past the fetch deadline", 12, kPieceGap, {}, true},
        {"5 pieces, spaced", 5, kPieceGap, {}, true},
        {"goes away after 3 pieces", 12, kPieceGap, {"die", "3"}, false},
        {"stops sending after 3 pieces", 12, kPieceGap, {"stall", "3"}, false},
        {"still sending at the transfer limit", 1000, kEndlessPieceGap, {}, false},
    };
    ClipboardModel model(testsupport::pasteServices(pasteboard, settings, workspace, permissions, keys, folder));
    model.startMonitoring();
    int round = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray text;
        for (int i = 0; i < c.pieces; ++i)
            text += QByteArray(4096, char('a' + (round + i) % 26));
        const QString path = writeFile(QStringLiteral("pieces%1").arg(++round), text);
        const qsizetype entriesBefore = model.entries().size();
        const qint64 countBefore = pasteboard.changeCount();
        startOwner(QStringList{"incr-offer", "UTF8_STRING", path, QString::number(c.pieces), QString::number(c.gap.count())}
                   + c.stop);
        ASSERT_TRUE(QTest::qWaitFor([&] { return caughtUp(pasteboard, model, countBefore); }, int(kSlowCopyWait.count())))
            << "waited beyond the transfer limit";
        EXPECT_TRUE(model.copiedNoticeVisible());
        EXPECT_EQ(model.copyNotKeptNotice(), !c.kept);
        if (!c.kept) {
            EXPECT_EQ(model.entries().size(), entriesBefore) << "a part of a copy is no copy";
            continue;
        }
        EXPECT_EQ(model.entries().size(), entriesBefore + 1);
        if (model.entries().size() == entriesBefore + 1) {
            EXPECT_EQ(model.entries().first().text, QString::fromLatin1(text)) << "the copy arrived whole";
        }
    }
}

// A text whose bytes are not the UTF-8 its type names is kept as the same bytes offered as STRING
// are (Latin-1), unless the owner offers the text in another type that reads as what it names.
TEST_F(X11EngineCaptureTest, ATextThatIsNotTheUtf8ItClaimsIsKeptAsLatin1)
{
    struct Case {
        const char *name;
        QList<std::pair<QString, QByteArray>> offered; // type and bytes, in the owner's order
        QString kept;
    };
    const QByteArray tenMegabytes(10'000'000, '\xe9');
    const Case cases[] = {
        {"one Latin-1 letter as UTF8_STRING", {{"UTF8_STRING", "caf\xe9"}}, QStringLiteral("caf\u00e9")},
        {"10 MB of Latin-1 as UTF8_STRING", {{"UTF8_STRING", tenMegabytes}}, QString::fromLatin1(tenMegabytes)},
        {"the same bytes as STRING", {{"STRING", "caf\xe9"}}, QStringLiteral("caf\u00e9")},
        {"as UTF8_STRING and STRING", {{"UTF8_STRING", "caf\xe9"}, {"STRING", "caf\xe9"}}, QStringLiteral("caf\u00e9")},
        {"broken UTF8_STRING beside a UTF-8 text/plain",
         {{"UTF8_STRING", "na\xefve"}, {"text/plain;charset=utf-8", "na\xc3\xafve"}},
         QStringLiteral("na\u00efve")},
        {"UTF-8 as UTF8_STRING", {{"UTF8_STRING", "\xc4\x8d"
                                                  "aj"}},
         QStringLiteral("\u010daj")},
    };
    ClipboardModel model(testsupport::pasteServices(pasteboard, settings, workspace, permissions, keys, folder));
    model.startMonitoring();
    int round = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QStringList arguments{"offer"};
        for (const auto &[type, bytes] : c.offered)
            arguments << type << writeFile(QStringLiteral("text%1-%2").arg(++round).arg(arguments.size()), bytes);
        const qsizetype entriesBefore = model.entries().size();
        const qint64 countBefore = pasteboard.changeCount();
        if (c.offered.size() == 1 && c.offered.first().second.size() > 1'000'000)
            copyWithXclip(arguments.last(), c.offered.first().first); // sent in pieces, as programs send large texts
        else
            startOwner(arguments);
        ASSERT_TRUE(QTest::qWaitFor([&] { return caughtUp(pasteboard, model, countBefore); }, 30000));
        EXPECT_EQ(model.entries().size(), entriesBefore + 1) << "no entry";
        if (model.entries().size() == entriesBefore + 1) {
            EXPECT_TRUE(model.entries().first().text == c.kept) << "kept " << model.entries().first().text.left(20).toStdString();
        }
    }
}

} // namespace
