#include "core/CappedBuffer.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

#include "support/TestImages.h"

namespace {

// Writes up to the capacity are taken whole; the first that would pass it is refused, and so is
// every one after it, so that what was taken never looks like a whole result.
TEST(CappedBuffer, TakesWritesUpToItsCapacityAndNoneOnceOneWasRefused)
{
    struct Case {
        const char *name;
        qint64 capacity;
        QList<QByteArray> writes;
        QByteArray kept;
        bool overflowed;
    };
    const Case cases[] = {
        {"under the capacity", 10, {"abcd", "ef"}, "abcdef", false},
        {"exactly the capacity", 6, {"abcd", "ef"}, "abcdef", false},
        {"one byte past it", 5, {"abcd", "ef"}, "abcd", true},
        {"a small write after a refused one", 5, {"abcd", "efg", "h"}, "abcd", true},
        {"nothing fits", 0, {"a"}, "", true},
    };
    for (const Case &c : cases) {
        CappedBuffer buffer(c.capacity);
        ASSERT_TRUE(buffer.open(QIODevice::WriteOnly)) << c.name;
        for (const QByteArray &write : c.writes)
            (void)buffer.write(write);
        EXPECT_EQ(buffer.overflowed(), c.overflowed) << c.name;
        EXPECT_EQ(buffer.takeData(), c.kept) << c.name;
    }
}

// An image written into it comes out as Qt writes it into memory when it fits, to the byte;
// one byte less and the writer fails instead of finishing.
TEST(CappedBuffer, AnEncoderWritingIntoItFailsAtTheCapacity)
{
    const QImage image = QImage::fromData(noisyPngAboveTarget());
    ASSERT_FALSE(image.isNull());
    for (const char *format : {"PNG", "JPEG"}) {
        const QByteArray whole = encodedImage(image, format);
        for (const qint64 capacity : {qint64(whole.size()), qint64(whole.size()) - 1, qint64(whole.size()) / 10}) {
            CappedBuffer buffer(capacity);
            ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
            const bool written = image.save(&buffer, format);
            const bool fits = capacity >= whole.size();
            EXPECT_EQ(written, fits) << format << " " << capacity;
            EXPECT_EQ(buffer.overflowed(), !fits) << format << " " << capacity;
            const QByteArray kept = buffer.takeData();
            if (fits) {
                EXPECT_TRUE(kept == whole) << format << " " << capacity;
            } else {
                EXPECT_LE(kept.size(), capacity) << format << " " << capacity;
            }
        }
    }
}

} // namespace
