#include "support/TestImages.h"
#include "support/WidgetEvents.h"
#include "ui/library/GalleryScreen.h"
#include "ui/panel/EntryThumbnails.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImageWriter>
#include <QSemaphore>
#include <QThread>
#include <QThreadPool>

#include <atomic>
#include <memory>

using testsupport::waitFor;

namespace {

// A loader's view of the work: where and how often it ran, and a gate that lets one load pass
// per permit the test gives.
struct LoadProbe {
    QSemaphore gate;
    std::atomic<int> started{0};
    std::atomic<int> running{0};
    std::atomic<int> mostRunning{0};
    std::atomic<int> onMainThread{0};
};

EntryThumbnails::BytesLoader gatedLoader(const std::shared_ptr<LoadProbe> &probe)
{
    return [probe](const ClipboardEntry &entry) {
        ++probe->started;
        if (QThread::currentThread() == QCoreApplication::instance()->thread())
            ++probe->onMainThread;
        const int now = ++probe->running;
        for (int seen = probe->mostRunning; now > seen && !probe->mostRunning.compare_exchange_weak(seen, now);) {
        }
        probe->gate.acquire();
        --probe->running;
        return entry.imageData;
    };
}

// Image entries whose pictures tell them apart by size (all below the decoded side, so kept as drawn).
QList<ClipboardEntry> imageEntries(int count)
{
    QList<ClipboardEntry> entries;
    for (int i = 0; i < count; ++i) {
        ClipboardEntry entry;
        entry.id = QStringLiteral("I%1").arg(i);
        entry.kind = ClipboardKind::Image;
        entry.imageData = pngBytes(10 + i, 5 + i % 7);
        entries.append(entry);
    }
    return entries;
}

void drainWorkers()
{
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

TEST(EntryThumbnails, EachPictureReachesItsOwnEntryFromAFewWorkersAtATime)
{
    auto probe = std::make_shared<LoadProbe>();
    EntryThumbnails thumbnails(gatedLoader(probe));
    QStringList readyIDs;
    QObject::connect(&thumbnails, &EntryThumbnails::ready, &thumbnails,
                     [&readyIDs](const QString &id) { readyIDs.append(id); });
    const QList<ClipboardEntry> entries = imageEntries(40);
    for (const ClipboardEntry &entry : entries) {
        EXPECT_FALSE(thumbnails.picture(entry).has_value());
        EXPECT_FALSE(thumbnails.picture(entry).has_value()); // asked twice while waiting: queued once
    }
    // The rest wait for a running decode to end, and none can end before the gate opens.
    ASSERT_TRUE(waitFor([&] { return probe->started.load() == EntryThumbnails::kMaxRunning; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(probe->started.load(), EntryThumbnails::kMaxRunning);

    probe->gate.release(int(entries.size()));
    ASSERT_TRUE(waitFor([&] { return readyIDs.size() == entries.size(); }));
    EXPECT_EQ(probe->started.load(), entries.size());
    EXPECT_EQ(probe->onMainThread.load(), 0);
    EXPECT_LE(probe->mostRunning.load(), EntryThumbnails::kMaxRunning);
    EXPECT_EQ(QSet<QString>(readyIDs.cbegin(), readyIDs.cend()).size(), entries.size());
    for (const ClipboardEntry &entry : entries) {
        const std::optional<EntryThumbnails::Picture> picture = thumbnails.picture(entry);
        ASSERT_TRUE(picture.has_value()) << entry.id.toStdString();
        const QSize drawn = QImage::fromData(*entry.imageData).size();
        EXPECT_EQ(picture->image.size(), drawn) << entry.id.toStdString();
        EXPECT_EQ(picture->fullSize, drawn) << entry.id.toStdString();
    }
    EXPECT_EQ(probe->started.load(), entries.size()); // kept: nothing loaded again
    drainWorkers();
}

TEST(EntryThumbnails, AnOwnerDestroyedWhileDecodingGetsNothingAndStartsNoWaitingWork)
{
    const QList<ClipboardEntry> entries = imageEntries(50);
    for (int round = 0; round < 20; ++round) {
        auto probe = std::make_shared<LoadProbe>();
        QObject listener;
        int readyCount = 0;
        auto *thumbnails = new EntryThumbnails(gatedLoader(probe));
        QObject::connect(thumbnails, &EntryThumbnails::ready, &listener, [&readyCount] { ++readyCount; });
        for (const ClipboardEntry &entry : entries)
            thumbnails->picture(entry);
        // Some decodes land first, so the owner dies with pictures kept, running and waiting.
        const int landed = round % 5;
        probe->gate.release(landed);
        ASSERT_TRUE(waitFor([&] { return readyCount == landed && probe->started.load() == landed + EntryThumbnails::kMaxRunning; }));
        delete thumbnails;
        probe->gate.release(int(entries.size()));
        drainWorkers();
        EXPECT_EQ(readyCount, landed) << "round " << round;
        EXPECT_EQ(probe->started.load(), landed + EntryThumbnails::kMaxRunning) << "round " << round;
    }
}

TEST(EntryThumbnails, PictureFollowsTheImagesOrientationAndKeepsItsFullSize)
{
    QImage landscape(400, 100, QImage::Format_RGB32);
    landscape.fill(Qt::blue);
    QByteArray turned;
    {
        QBuffer buffer(&turned);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        if (!writer.supportsOption(QImageIOHandler::ImageTransformation))
            GTEST_SKIP() << "no orientation writing for JPEG here";
        writer.setTransformation(QImageIOHandler::TransformationRotate90);
        ASSERT_TRUE(writer.write(landscape));
    }
    struct Case {
        QByteArray bytes;
        QSize image;
        QSize fullSize;
    };
    for (const Case &c : {Case{pngBytes(640, 320), {64, 32}, {640, 320}}, Case{pngBytes(30, 20), {30, 20}, {30, 20}},
                          Case{turned, {16, 64}, {100, 400}}, Case{QByteArray("no picture"), {0, 0}, {}}}) {
        const EntryThumbnails::Picture picture = EntryThumbnails::decodePicture(c.bytes);
        EXPECT_EQ(picture.image.size(), c.image);
        EXPECT_EQ(picture.fullSize, c.fullSize);
    }
}

namespace {

TEST(EntryThumbnails, TwoColourScanReducesToGreyNotNoiseAndLargeCanvasesStayWithinTheBound)
{
    // A one-pixel checkerboard is half dark, half light in every cell of the thumbnail: picked
    // pixels would show pure black or white, averaging shows grey everywhere.
    for (const QSize canvas : {QSize(640, 480), QSize(8100, 8000)}) {
        const EntryThumbnails::Picture picture = EntryThumbnails::decodePicture(oneBitCheckerPng(canvas.width(), canvas.height()));
        ASSERT_FALSE(picture.image.isNull()) << canvas.width();
        EXPECT_EQ(picture.fullSize, canvas);
        EXPECT_EQ(std::max(picture.image.width(), picture.image.height()), EntryThumbnails::kDecodedSide);
        int extreme = 0;
        for (int y = 0; y < picture.image.height(); ++y) {
            for (int x = 0; x < picture.image.width(); ++x) {
                const int grey = qGray(picture.image.pixel(x, y));
                extreme += (grey < 80 || grey > 175) ? 1 : 0;
            }
        }
        EXPECT_EQ(extreme, 0) << canvas.width();
    }

    const EntryThumbnails::Picture photo = EntryThumbnails::decodePicture(largePhotoJpeg());
    EXPECT_EQ(photo.fullSize, QSize(10000, 8000));
    EXPECT_EQ(photo.image.size(), QSize(64, 51));
    // A screenshot of 108 megapixels shows in the lists and in the gallery, each read at its size.
    for (const int side : {EntryThumbnails::kDecodedSide, GalleryScreen::kPictureSide}) {
        const EntryThumbnails::Picture screenshot = EntryThumbnails::decodePicture(hugeScreenshotJpeg(), side);
        EXPECT_EQ(screenshot.fullSize, QSize(12000, 9000));
        EXPECT_EQ(screenshot.image.size(), QSize(side, side * 3 / 4));
    }
    // A bomb is not decoded at all: no picture, the view shows its symbol tile.
    EXPECT_TRUE(EntryThumbnails::decodePicture(pngDeclaring(30'000, 30'000)).image.isNull());
}

} // namespace
