#include "core/ImageSizeRule.h"

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
    const Case cases[] = {
        {"small png", small, true, true},
        {"exactly the target size", padded, true, true},
        {"above the ceiling", QByteArray(ImageSizeRule::kCeilingBytes + 1, 'x'), false, false},
        {"not an image", QByteArray("definitely not an image"), false, false},
        {"canvas just over the pixel cap", pngDeclaring(8001, 8000), false, false},
        {"canvas at the pixel cap, small file", pngDeclaring(8000, 8000), true, true},
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

} // namespace
