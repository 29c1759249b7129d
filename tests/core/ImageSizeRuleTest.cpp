#include "core/ImageSizeRule.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/TestImages.h"

namespace {

TEST(ImageSizeRule, KeepsSmallImagesByteForByteAndRefusesWhatCannotBeKept)
{
    const QByteArray small = pngBytes(40, 30);
    QByteArray padded = small;
    padded.resize(ImageSizeRule::kTargetBytes, '\0'); // trailing bytes after IEND still decode

    struct Case {
        const char *name;
        QByteArray bytes;
        bool kept;
        bool unchanged;
    };
    QImage picture(60, 40, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x * 4, y * 6, (x * y) % 256));
    }
    const QByteArray jpeg = encodedImage(picture, "JPEG");
    const QByteArray bmp = encodedImage(picture, "BMP");
    const Case cases[] = {
        {"small png", small, true, true},
        // Cut off in transfer: the header reads, the picture does not.
        {"png cut off", small.left(small.size() - 20), false, false},
        {"jpeg", jpeg, true, true},
        {"jpeg followed by other bytes", jpeg + QByteArray("trailing"), true, true},
        {"jpeg cut off in its picture", jpeg.chopped(40), false, false},
        {"bmp", bmp, true, true},
        {"bmp cut off", bmp.chopped(10), false, false},
        {"exactly the target size", padded, true, true},
        {"above the ceiling", QByteArray(ImageSizeRule::kCeilingBytes + 1, 'x'), false, false},
        // A format this system cannot read is still the user's copy, small enough to keep.
        {"not an image", QByteArray("definitely not an image"), true, true},
        {"nothing at all", QByteArray(), false, false},
        {"large photo, small file", largePhotoJpeg(), true, true},
        {"large two-colour scan, small file", oneBitCheckerPng(8100, 8000), true, true},
        {"canvas at the bomb bound", pngDeclaring(25'000, 10'000), true, true},
        {"bomb beyond the bound", pngDeclaring(25'001, 10'000), false, false},
    };
    for (const Case &c : cases) {
        const std::optional<QByteArray> result = ImageSizeRule::optimized(c.bytes);
        EXPECT_EQ(result.has_value(), c.kept) << c.name;
        if (c.unchanged && result) {
            EXPECT_EQ(*result, c.bytes) << c.name;
        }
    }
}

TEST(ImageSizeRule, ReencodesAnImageAboveTheTargetUntilItFits)
{
    const QByteArray noisy = noisyPngAboveTarget();
    ASSERT_GT(noisy.size(), ImageSizeRule::kTargetBytes);
    ASSERT_TRUE(ImageSizeRule::needsReencoding(noisy));
    const std::optional<QByteArray> result = ImageSizeRule::optimized(noisy);
    ASSERT_TRUE(result.has_value());
    EXPECT_LE(result->size(), ImageSizeRule::kTargetBytes);
    // The noise does not shrink as PNG, so the JPEG form is what fits.
    EXPECT_TRUE(result->startsWith("\xff\xd8"));
}

// Noise, which neither PNG nor JPEG shrinks much.
QImage noise(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    quint32 state = 4242;
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            line[x] = state | 0xff000000u;
        }
    }
    return image;
}

// The core's log lines while it lives.
class CoreLog {
public:
    CoreLog()
    {
        lines().clear();
        m_previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &context, const QString &message) {
            if (context.category && qstrcmp(context.category, "tarnel.core") == 0)
                lines().append(message);
        });
    }
    ~CoreLog() { qInstallMessageHandler(m_previous); }
    CoreLog(const CoreLog &) = delete;
    CoreLog &operator=(const CoreLog &) = delete;
    static QStringList &lines()
    {
        static QStringList captured;
        return captured;
    }
    static bool stoppedAtTarget(const char *format)
    {
        return lines().contains(QStringLiteral("Image's %1 re-encoding passed %2 bytes; stopped there")
                                    .arg(QLatin1String(format))
                                    .arg(ImageSizeRule::kTargetBytes));
    }

private:
    QtMessageHandler m_previous;
};

// An image above the target gives the first of its re-encodings that fits, exactly as the
// encoder makes it whole (PNG at its default level, else JPEG at the rule's quality), or nothing;
// an encoding that passes the target is stopped there, not finished and thrown away, and a PNG
// whose estimate is far past the target is not begun.
TEST(ImageSizeRule, AnImageAboveTheTargetGivesItsFirstReencodingThatFits)
{
    enum class Kept { Png,
                      Jpeg,
                      Nothing };
    enum class Png { Made,
                     StoppedAtTarget,
                     NotTried };
    QTemporaryDir dir;
    const QString stored = dir.filePath(QStringLiteral("stored.png"));
    ASSERT_TRUE(writeUncompressedPng(stored, 3000, 2000));
    QFile storedFile(stored);
    ASSERT_TRUE(storedFile.open(QIODevice::ReadOnly));
    struct Case {
        const char *name;
        QByteArray bytes;
        Kept kept;
        Png png;
    };
    const Case cases[] = {
        {"a page stored uncompressed, whose PNG fits", storedFile.readAll(), Kept::Png, Png::Made},
        {"noise whose PNG passes the target a little", noisyPngAboveTarget(), Kept::Jpeg, Png::StoppedAtTarget},
        {"noise whose PNG is five times the target, and its JPEG past it too",
         encodedImage(noise(5200, 4800), "PNG", 100), Kept::Nothing, Png::NotTried},
    };
    for (const Case &c : cases) {
        ASSERT_TRUE(ImageSizeRule::needsReencoding(c.bytes)) << c.name << " " << c.bytes.size();
        const QImage picture = ImageSizeRule::decoded(c.bytes);
        const QByteArray png = encodedImage(picture, "PNG");
        const QByteArray jpeg = encodedImage(picture, "JPEG", ImageSizeRule::kJpegQuality);
        // The case is what its name says.
        ASSERT_EQ(png.size() <= ImageSizeRule::kTargetBytes, c.kept == Kept::Png) << c.name << " " << png.size();
        if (c.kept != Kept::Png) {
            ASSERT_EQ(jpeg.size() <= ImageSizeRule::kTargetBytes, c.kept == Kept::Jpeg) << c.name << " " << jpeg.size();
        }

        const CoreLog log;
        const std::optional<QByteArray> result = ImageSizeRule::optimized(c.bytes);
        EXPECT_EQ(result.has_value(), c.kept != Kept::Nothing) << c.name;
        EXPECT_EQ(CoreLog::stoppedAtTarget("PNG"), c.png == Png::StoppedAtTarget) << c.name;
        EXPECT_EQ(CoreLog::lines().filter(QStringLiteral("not tried")).size(), c.png == Png::NotTried ? 1 : 0) << c.name;
        EXPECT_EQ(CoreLog::stoppedAtTarget("JPEG"), c.kept == Kept::Nothing) << c.name;
        if (c.kept == Kept::Png) {
            EXPECT_TRUE(result == png) << c.name;
        }
        if (c.kept == Kept::Jpeg) {
            EXPECT_TRUE(result == jpeg) << c.name;
        }
    }
}

// The estimate that decides whether a PNG is worth trying lands near the PNG itself, for
// pictures that are alike all over and for ones that are not.
TEST(ImageSizeRule, APngEstimateFromBandsLandsNearTheWholePng)
{
    QImage page(1600, 1200, QImage::Format_RGB32);
    page.fill(qRgb(0xf0, 0xf0, 0xf0));
    QImage halves = noise(1600, 1200);
    for (int y = 0; y < halves.height() / 2; ++y)
        std::fill_n(reinterpret_cast<QRgb *>(halves.scanLine(y)), halves.width(), qRgb(0x20, 0x40, 0x60));
    QImage gradient(1600, 1200, QImage::Format_RGB32);
    for (int y = 0; y < gradient.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(gradient.scanLine(y));
        for (int x = 0; x < gradient.width(); ++x)
            line[x] = qRgb(x * 255 / gradient.width(), y * 255 / gradient.height(), (x ^ y) & 0x0f);
    }
    const QImage text = ImageSizeRule::decoded(screenshotPng(1600, 1200));
    struct Case {
        const char *name;
        QImage image;
    };
    const Case cases[] = {
        {"noise", noise(1600, 1200)},
        {"a flat page", page},
        {"a flat top over a noisy bottom", halves},
        {"a gradient with fine detail", gradient},
        {"a page banded like text", text},
    };
    for (const Case &c : cases) {
        const qint64 whole = encodedImage(c.image, "PNG").size();
        const std::optional<qint64> estimate = ImageSizeRule::estimatedPngBytes(c.image);
        ASSERT_TRUE(estimate.has_value()) << c.name;
        const double ratio = double(*estimate) / double(whole);
        EXPECT_GE(ratio, 0.75) << c.name << " " << *estimate << " of " << whole;
        EXPECT_LE(ratio, ImageSizeRule::kPngEstimateSlack) << c.name << " " << *estimate << " of " << whole;
    }
    // Too short for its bands: no estimate, so the PNG is tried.
    EXPECT_FALSE(ImageSizeRule::estimatedPngBytes(noise(4000, 2 * ImageSizeRule::kPngEstimateBands * ImageSizeRule::kPngEstimateShare - 1)));
}

TEST(ImageSizeRule, DecodesWithinTheMemoryBoundAndRefusesOnlyBombs)
{
    struct Case {
        const char *name;
        QByteArray bytes;
        bool decodable;
    };
    const Case cases[] = {
        {"JPEG beyond the whole-decode bound reads reduced", largePhotoJpeg(), true},
        {"two-colour PNG beyond it decodes whole at one bit a pixel", oneBitCheckerPng(8100, 8000), true},
        {"PNG beyond it reads reduced, row by row", pngDeclaring(12'000, 12'000), true},
        {"GIF within it decodes whole", gifDeclaring(8000, 8000), true},
        {"GIF beyond it would have to decode whole", gifDeclaring(9000, 9000), false},
        {"bomb", pngDeclaring(30'000, 30'000), false},
    };
    for (const Case &c : cases) {
        const std::optional<ImageSizeRule::Header> header = ImageSizeRule::header(c.bytes);
        ASSERT_TRUE(header.has_value()) << c.name;
        EXPECT_EQ(ImageSizeRule::isDecodable(*header), c.decodable) << c.name;
    }
}

// A decode holds no more than the bound allows and still reads every row: a canvas beyond it
// comes out reduced, a file cut short comes out as nothing.
TEST(ImageSizeRule, ADecodeReadsTheWholeFileIntoAPictureWithinTheBound)
{
    // JPEG's reader reduces only by a half, a quarter or an eighth in one step: a canvas a little
    // beyond the bound is read at a half, not asked for a size that needs it whole first.
    const struct {
        const char *name;
        QByteArray bytes;
        QSize canvas;
    } large[] = {
        {"PNG", screenshotPng(10'000, 8'000), QSize(10'000, 8'000)},
        {"JPEG", largePhotoJpeg(), QSize(10'000, 8'000)},
        {"JPEG of 108 megapixels", hugeScreenshotJpeg(), QSize(12'000, 9'000)},
    };
    for (const auto &c : large) {
        const QImage image = ImageSizeRule::decoded(c.bytes);
        ASSERT_FALSE(image.isNull()) << c.name;
        EXPECT_LE(qint64(image.width()) * image.height(), ImageSizeRule::kMaxDecodedPixels) << c.name;
        EXPECT_GE(qint64(image.width()) * image.height(), ImageSizeRule::kMaxDecodedPixels / 4) << c.name;
        EXPECT_NEAR(double(image.width()) / image.height(), double(c.canvas.width()) / c.canvas.height(), 0.01)
            << c.name;
    }
    EXPECT_EQ(ImageSizeRule::decoded(pngBytes(30, 20)).size(), QSize(30, 20)) << "within the bound it is whole";

    const struct {
        const char *name;
        QByteArray bytes;
    } nothing[] = {
        {"cut short", pngBytes(300, 200).chopped(40)},
        {"a bomb", pngDeclaring(30'000, 30'000)},
        {"no image", QByteArrayLiteral("plain words")},
    };
    for (const auto &c : nothing)
        EXPECT_TRUE(ImageSizeRule::decoded(c.bytes).isNull()) << c.name;
}

} // namespace
