// Reading a screenshot: which image source is read, and what the recognisers' answers become.
#include "core/ClipboardImageStore.h"
#include "platform/fake/FakeQrDetector.h"
#include "platform/fake/FakeTextRecognizer.h"
#include "ui/tools/ScreenshotReader.h"

#include <QBuffer>
#include <QtCore/qtestsupport_core.h>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

QByteArray png(int width)
{
    QImage image(width, 10, QImage::Format_RGB32);
    image.fill(Qt::gray);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

std::optional<ScreenshotReading> readWith(TextRecognizer *recognizer, QrDetector *detector, const ClipboardEntry &entry,
                                          std::optional<EntryImageBytes> store = std::nullopt)
{
    ScreenshotReader reader(recognizer, detector);
    std::optional<ScreenshotReading> reading;
    QObject::connect(&reader, &ScreenshotReader::finished, [&reading](const ScreenshotReading &r) { reading = r; });
    reader.start(entry, std::move(store));
    (void)QTest::qWaitFor([&reading] { return reading.has_value(); }, 5000); // no reading fails the caller
    return reading;
}

TEST(ScreenshotReader, TriesEachImageSourceInTurnUntilOneDecodes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString stored = dir.filePath(QStringLiteral("stored.image"));
    const QString shot = dir.filePath(QStringLiteral("shot.png"));
    const QString broken = dir.filePath(QStringLiteral("broken.image"));
    const QString missing = dir.filePath(QStringLiteral("gone.image"));
    const QString pipe = dir.filePath(QStringLiteral("pipe.image"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    for (const auto &[path, bytes] : {std::pair{stored, png(20)}, {shot, png(30)}, {broken, QByteArray("no image")}}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    const struct {
        const char *what;
        std::optional<QByteArray> data;
        std::optional<QString> imageFilePath;
        std::optional<QString> screenshotFile;
        int readWidth; // 0: nothing readable
    } cases[] = {
        {"bytes win over files", png(10), stored, shot, 10},
        {"bytes that do not decode fall to the stored file", QByteArray("x"), stored, shot, 20},
        {"stored file gone, screenshot file read", std::nullopt, missing, shot, 30},
        {"stored file broken, screenshot file read", std::nullopt, broken, shot, 30},
        {"stored path a pipe, screenshot file read", std::nullopt, pipe, shot, 30},
        {"screenshot file only", std::nullopt, std::nullopt, shot, 30},
        {"nothing readable", std::nullopt, missing, std::nullopt, 0},
        {"no source", std::nullopt, std::nullopt, std::nullopt, 0},
    };
    for (const auto &c : cases) {
        FakeTextRecognizer recognizer;
        FakeQrDetector detector;
        ClipboardEntry entry;
        entry.imageData = c.data;
        entry.imageFilePath = c.imageFilePath;
        entry.screenshotFileURL = c.screenshotFile;
        const std::optional<ScreenshotReading> reading = readWith(&recognizer, &detector, entry);
        ASSERT_TRUE(reading) << c.what;
        if (c.readWidth == 0) {
            EXPECT_EQ(reading->outcome, ScreenshotReading::Outcome::ImageUnavailable) << c.what;
            EXPECT_TRUE(recognizer.images.isEmpty()) << c.what;
            continue;
        }
        EXPECT_EQ(reading->outcome, ScreenshotReading::Outcome::Read) << c.what;
        ASSERT_EQ(recognizer.images.size(), 1) << c.what;
        ASSERT_EQ(detector.images.size(), 1) << c.what;
        EXPECT_EQ(recognizer.images[0].width(), c.readWidth) << c.what;
        EXPECT_EQ(detector.images[0].width(), c.readWidth) << c.what;
    }
}

TEST(ScreenshotReader, WithTheModelsReaderTheStoredFileIsReadOnlyFromTheImageStore)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const ClipboardImageStore store(dir.filePath(QStringLiteral("Clipboard Images")));
    const QString inside = store.save(png(20)).path;
    ASSERT_FALSE(inside.isEmpty());
    const QString outside = dir.filePath(QStringLiteral("outside.image"));
    const QString shot = dir.filePath(QStringLiteral("shot.png"));
    for (const auto &[path, bytes] : {std::pair{outside, png(40)}, {shot, png(30)}}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    const struct {
        const char *what;
        QString imageFilePath;
        std::optional<QString> screenshotFile;
        int readWidth; // 0: nothing readable
    } cases[] = {
        {"a file of the store", inside, shot, 20},
        {"a file outside the store is passed over for the screenshot file", outside, shot, 30},
        {"a file outside the store alone", outside, std::nullopt, 0},
    };
    for (const auto &c : cases) {
        FakeTextRecognizer recognizer;
        FakeQrDetector detector;
        ClipboardEntry entry;
        entry.imageFilePath = c.imageFilePath;
        entry.screenshotFileURL = c.screenshotFile;
        const std::optional<ScreenshotReading> reading = readWith(&recognizer, &detector, entry, EntryImageBytes(store));
        ASSERT_TRUE(reading) << c.what;
        EXPECT_EQ(recognizer.images.isEmpty() ? 0 : recognizer.images[0].width(), c.readWidth) << c.what;
    }
}

TEST(ScreenshotReader, CombinesTextAndDistinctCodesOrFails)
{
    ClipboardEntry entry;
    entry.imageData = png(10);
    const struct {
        const char *what;
        TextRecognitionResult text;
        QStringList codes;
        bool hasRecognisers;
        ScreenshotReading expected;
    } cases[] = {
        {"text and codes", {QStringLiteral("a\nb"), {}}, {QStringLiteral("x"), QStringLiteral(" y"), QStringLiteral("x")}, true,
         {ScreenshotReading::Outcome::Read, QStringLiteral("a\nb"), {QStringLiteral("x"), QStringLiteral(" y")}}},
        {"nothing found", {QString(), {}}, {QString()}, true, {ScreenshotReading::Outcome::Read, QString(), {}}},
        {"recogniser fails", {std::nullopt, QStringLiteral("no data")}, {QStringLiteral("x")}, true,
         {ScreenshotReading::Outcome::RecognitionFailed, {}, {}}},
        {"no recognisers on this desktop", {QString(), {}}, {}, false, {ScreenshotReading::Outcome::RecognitionFailed, {}, {}}},
    };
    for (const auto &c : cases) {
        FakeTextRecognizer recognizer;
        FakeQrDetector detector;
        recognizer.result = c.text;
        detector.codes = c.codes;
        const std::optional<ScreenshotReading> reading =
            c.hasRecognisers ? readWith(&recognizer, &detector, entry) : readWith(nullptr, nullptr, entry);
        ASSERT_TRUE(reading) << c.what;
        EXPECT_EQ(*reading, c.expected) << c.what;
    }
}

} // namespace
