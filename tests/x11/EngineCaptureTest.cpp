// End to end: what another program (xclip) copies reaches the real model through the X11
// clipboard, whatever its size: kept as the history keeps it, or passed over with a notice.
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

class X11EngineCaptureTest : public ::testing::Test {
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

    X11Pasteboard pasteboard;
    FakeSettingsStore settings;
    FakeWorkspace workspace;
    FakePermissions permissions;
    FakeKeySender keys;
    QTemporaryDir folder;
    QList<QProcess *> m_processes;
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

} // namespace
