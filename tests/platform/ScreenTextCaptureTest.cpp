#include "platform/ScreenTextCapture.h"
#include "platform/fake/FakeRegionCapture.h"
#include "platform/fake/FakeTextRecognizer.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Points the temporary folder at a folder of this test, so that leftovers of other test
// processes cannot hide or fake a leftover of ours.
struct PrivateTempFolder {
    PrivateTempFolder() : previous(qgetenv("TMPDIR")) { qputenv("TMPDIR", QFile::encodeName(temp.path())); }
    ~PrivateTempFolder() { qputenv("TMPDIR", previous); }

    QStringList leftovers() const
    {
        return QDir(temp.path()).entryList({QStringLiteral("tarnel-ocr-*")}, QDir::AllEntries | QDir::Hidden);
    }

    QTemporaryDir temp;
    QByteArray previous;
};

QImage testImage()
{
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setPixel(3, 4, qRgb(200, 10, 30));
    return image;
}

TEST(ScreenTextCapture, EveryOutcomeIsReportedOnceAndRemovesTheTemporaryFolder)
{
    using Outcome = ScreenTextResult::Outcome;
    const struct {
        const char *name;
        RegionCaptureOutcome capture;
        bool writesImage;
        TextRecognitionResult recognition;
        ScreenTextResult expected;
    } cases[] = {
        {"text", RegionCaptureOutcome::Saved, true, {QStringLiteral("Dobrý deň\nHello"), QString()},
         {Outcome::Text, QStringLiteral("Dobrý deň\nHello"), QString()}},
        {"area without text", RegionCaptureOutcome::Saved, true, {QString(), QString()},
         {Outcome::Text, QString(), QString()}},
        {"cancelled", RegionCaptureOutcome::Cancelled, false, {QStringLiteral("unused"), QString()},
         {Outcome::Nothing, QString(), QString()}},
        {"capture failed", RegionCaptureOutcome::Failed, false, {QStringLiteral("unused"), QString()},
         {Outcome::Failed, QString(), QStringLiteral("grab failed")}},
        {"recognition failed", RegionCaptureOutcome::Saved, true, {std::nullopt, QStringLiteral("no language data")},
         {Outcome::Failed, QString(), QStringLiteral("no language data")}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        PrivateTempFolder temp;
        FakeRegionCapture capture;
        FakeTextRecognizer recognizer;
        recognizer.result = c.recognition;
        ScreenTextCapture reader(capture, recognizer);
        QList<ScreenTextResult> results;
        reader.readSelection([&](const ScreenTextResult &result) { results.append(result); });

        ASSERT_TRUE(capture.isPending());
        const QFileInfo png(capture.requestedPath());
        EXPECT_EQ(png.fileName(), QStringLiteral("selection.png"));
        const QString folderName = png.dir().dirName();
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^tarnel-ocr-[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$"))
                        .match(folderName)
                        .hasMatch())
            << folderName.toStdString();
        EXPECT_EQ(QFileInfo(png.absolutePath()).absolutePath(), QFileInfo(temp.temp.path()).absoluteFilePath());
        // Only the owner may look at what was on the screen.
        EXPECT_EQ(QFileInfo(png.absolutePath()).permissions() & 0x0077, QFileDevice::Permissions());

        const QImage image = testImage();
        if (c.writesImage) {
            EXPECT_TRUE(capture.finish(c.capture, image, QStringLiteral("grab failed")));
        } else {
            // A null image writes no file, whatever the outcome says.
            capture.finish(c.capture, QImage(), QStringLiteral("grab failed"));
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return !results.isEmpty(); }));
        ASSERT_EQ(results.size(), 1);
        EXPECT_EQ(results[0].outcome, c.expected.outcome);
        EXPECT_EQ(results[0].text, c.expected.text);
        EXPECT_EQ(results[0].error, c.expected.error);
        EXPECT_EQ(temp.leftovers(), QStringList());
        if (c.writesImage) {
            ASSERT_EQ(recognizer.images.size(), 1);
            EXPECT_EQ(recognizer.images[0].convertToFormat(QImage::Format_RGB32), image);
        } else {
            EXPECT_TRUE(recognizer.images.isEmpty());
        }
    }
}

TEST(ScreenTextCapture, ReaderGoneBeforeTheSelectionEndsStillRemovesTheFolder)
{
    PrivateTempFolder temp;
    FakeRegionCapture capture;
    FakeTextRecognizer recognizer;
    int calls = 0;
    {
        ScreenTextCapture reader(capture, recognizer);
        reader.readSelection([&](const ScreenTextResult &) { ++calls; });
        ASSERT_EQ(temp.leftovers().size(), 1);
    }
    capture.finish(RegionCaptureOutcome::Saved, testImage());
    EXPECT_TRUE(QTest::qWaitFor([&] { return temp.leftovers().isEmpty(); }));
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(recognizer.images.isEmpty());
    EXPECT_EQ(temp.leftovers(), QStringList());
}

TEST(ScreenTextCapture, TheResultWaitsForTheRecognitionAndTheFolderLastsUntilThen)
{
    PrivateTempFolder temp;
    FakeRegionCapture capture;
    FakeTextRecognizer recognizer;
    recognizer.holdResults = true;
    recognizer.result = {QStringLiteral("Ahoj"), QString()};
    ScreenTextCapture reader(capture, recognizer);
    QList<ScreenTextResult> results;
    reader.readSelection([&](const ScreenTextResult &result) { results.append(result); });
    ASSERT_TRUE(capture.finish(RegionCaptureOutcome::Saved, testImage()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return recognizer.images.size() == 1; }));
    EXPECT_TRUE(results.isEmpty()) << "reported before the recognition ended";
    EXPECT_EQ(temp.leftovers().size(), 1);

    EXPECT_EQ(recognizer.release(), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !results.isEmpty(); }));
    EXPECT_EQ(results[0], (ScreenTextResult{ScreenTextResult::Outcome::Text, QStringLiteral("Ahoj"), QString()}));
    EXPECT_EQ(temp.leftovers(), QStringList());
}

} // namespace
