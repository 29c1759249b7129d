#include "core/AppFont.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

using Face = AppFont::InterFace;

TEST(AppFont, WeightsSelectTheirFaces)
{
    struct Case {
        int weight;
        Face face;
        const char *styleName;
    };
    const Case cases[] = {
        {QFont::Thin, Face::Thin, "Thin"},
        {QFont::ExtraLight, Face::Thin, "Thin"},
        {QFont::Light, Face::Light, "Light"},
        {QFont::Normal, Face::Regular, "Regular"},
        {QFont::Medium, Face::Medium, "Medium"},
        {QFont::DemiBold, Face::SemiBold, "SemiBold"},
        {QFont::Bold, Face::Bold, "Bold"},
        {QFont::ExtraBold, Face::Black, "Black"},
        {QFont::Black, Face::Black, "Black"},
        {450, Face::Regular, "Regular"},
        {0, Face::Regular, "Regular"},
        {-1, Face::Regular, "Regular"},
        {1000, Face::Regular, "Regular"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(AppFont::interFace(c.weight), c.face) << c.weight;
        EXPECT_EQ(AppFont::faceStyleName(AppFont::interFace(c.weight)), c.styleName) << c.weight;
    }
}

TEST(AppFont, BuildsInterAtTheDesignSize)
{
    struct Case {
        qreal size;
        int weight;
        int expectedWeight;
    };
    const Case cases[] = {
        {13, QFont::Normal, QFont::Normal},
        {11.5, QFont::ExtraBold, QFont::Black},
        {24, QFont::ExtraLight, QFont::Thin},
        {12, 450, QFont::Normal},
    };
    const bool interInstalled = QFontDatabase::families().contains("Inter");
    for (const Case &c : cases) {
        const QFont font = AppFont::inter(c.size, c.weight);
        EXPECT_EQ(font.family(), "Inter");
        EXPECT_EQ(font.weight(), c.expectedWeight) << c.weight;
        // One design point is one device-independent pixel: 96 of them per logical inch.
        EXPECT_DOUBLE_EQ(font.pointSizeF() * 96.0 / 72.0, c.size);
        if (interInstalled) {
            const QFontInfo resolved(font);
            EXPECT_EQ(resolved.family(), "Inter");
            EXPECT_EQ(resolved.weight(), c.expectedWeight) << c.weight;
        }
    }
    // A nonsensical size keeps Qt's default instead of an invalid font.
    EXPECT_GT(AppFont::inter(0).pointSizeF(), 0);
    EXPECT_GT(AppFont::inter(-4).pointSizeF(), 0);
    if (!interInstalled)
        GTEST_SKIP() << "the fonts-inter package is not installed; only the requested font was checked";
}

} // namespace
