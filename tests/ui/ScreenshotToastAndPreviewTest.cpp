// The screenshot toast forwards its two buttons; the image preview tells the image's size and
// pastes only an image it has.
#include "core/ImageSizeRule.h"
#include "ui/tools/EntryImageLoader.h"
#include "ui/tools/ImagePreviewSheet.h"
#include "ui/tools/ScreenshotAddedToast.h"
#include "ui/tools/ScreenshotNoticeThumbnail.h"
#include "ui/tools/ToolText.h"

#include <QAbstractButton>
#include <QLabel>
#include "support/TestImages.h"
#include "support/WidgetEvents.h"

#include <gtest/gtest.h>

namespace {

TEST(ScreenshotAddedToast, ButtonsOfOneWidthForwardToTheirActions)
{
    ScreenshotNoticeThumbnail::clearCache();
    ClipboardEntry entry;
    entry.id = QStringLiteral("unreadable");
    entry.screenshotFileURL = QStringLiteral("/nonexistent/shot.png");
    int edits = 0;
    int texts = 0;
    ScreenshotAddedToast toast(entry, ClipboardAppearance::Light);
    QObject::connect(&toast, &ScreenshotAddedToast::editRequested, &toast, [&] { ++edits; });
    QObject::connect(&toast, &ScreenshotAddedToast::textRequested, &toast, [&] { ++texts; });
    toast.show();
    auto *edit = toast.findChild<QAbstractButton *>(QStringLiteral("edit"));
    auto *text = toast.findChild<QAbstractButton *>(QStringLiteral("text"));
    ASSERT_TRUE(edit && text);
    EXPECT_EQ(edit->width(), text->width());
    text->click();
    text->click();
    edit->click();
    EXPECT_EQ(edits, 1);
    EXPECT_EQ(texts, 2);
    auto *thumbnail = toast.findChild<ScreenshotNoticeThumbnail *>();
    ASSERT_TRUE(thumbnail);
    ASSERT_TRUE(testsupport::waitFor([thumbnail] { return !thumbnail->isLoading(); }));
    EXPECT_FALSE(thumbnail->hasImage());
}

// A screenshot of more pixels than one decode holds whole shows in its toast, and the preview,
// the editor and the text reader get it reduced within the bound rather than nothing.
TEST(ScreenshotNoticeThumbnail, AScreenshotBeyondTheWholeDecodeBoundShowsReduced)
{
    ScreenshotNoticeThumbnail::clearCache();
    ClipboardEntry entry;
    entry.id = QStringLiteral("huge");
    entry.kind = ClipboardKind::Image;
    entry.isScreenshot = true;
    entry.imageData = hugeScreenshotJpeg();
    ScreenshotNoticeThumbnail shown(entry, true);
    ASSERT_TRUE(testsupport::waitFor([&shown] { return !shown.isLoading(); }));
    EXPECT_TRUE(shown.hasImage());

    const QImage image = EntryImageLoader::load(entry);
    ASSERT_FALSE(image.isNull());
    EXPECT_LE(qint64(image.width()) * image.height(), ImageSizeRule::kMaxDecodedPixels);
    EXPECT_EQ(image.width() * 3, image.height() * 4);
    // A thumbnail's read covers its frame and holds no more.
    const QImage thumbnail = EntryImageLoader::load(entry, std::nullopt, ScreenshotNoticeThumbnail::kCachedBox);
    EXPECT_EQ(thumbnail.size(), QSize(266, 200));
}

TEST(ImagePreviewSheet, SizeBadgeAndPaste)
{
    const struct {
        QSizeF size;
        std::optional<QString> text;
    } sizes[] = {
        {{1439.5, 899.4}, QStringLiteral("1440 × 899")},
        {{1, 1}, QStringLiteral("1 × 1")},
        {{0, 900}, std::nullopt},
        {{900, -1}, std::nullopt},
    };
    for (const auto &c : sizes)
        EXPECT_EQ(ImagePreviewSheet::dimensions(c.size), c.text) << c.size.width() << "x" << c.size.height();

    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::red);
    for (bool withImage : {true, false}) {
        ClipboardEntry entry;
        entry.isScreenshot = withImage;
        int pastes = 0;
        ImagePreviewSheet sheet(entry, withImage ? image : QImage(), ClipboardAppearance::Dark);
        QObject::connect(&sheet, &ImagePreviewSheet::pasteRequested, &sheet, [&] { ++pastes; });
        auto *paste = sheet.findChild<QAbstractButton *>(QStringLiteral("paste"));
        EXPECT_EQ(paste->isEnabled(), withImage);
        paste->click();
        EXPECT_EQ(pastes, withImage ? 1 : 0);
        EXPECT_EQ(sheet.dimensions(), withImage ? std::optional<QString>(QStringLiteral("40 × 30")) : std::nullopt);
        EXPECT_EQ(sheet.findChild<ToolText *>(QStringLiteral("sourceSymbol"))->symbolName(),
                  withImage ? QStringLiteral("camera.viewfinder") : QStringLiteral("app"));
    }
}

} // namespace
