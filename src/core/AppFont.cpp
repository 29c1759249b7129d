#include "core/AppFont.h"

namespace AppFont {
namespace {

const QString kFamily = QStringLiteral("Inter");

// The design's sizes are Mac points, one per device-independent pixel; Qt's points assume
// 72 per inch against a 96-dpi logical screen.
constexpr qreal kPointsPerDesignPoint = 72.0 / 96.0;

struct FaceInfo {
    InterFace face;
    const char *styleName;
    QFont::Weight weight;
};

constexpr FaceInfo kFaces[] = {
    {InterFace::Thin, "Thin", QFont::Thin},
    {InterFace::Light, "Light", QFont::Light},
    {InterFace::Regular, "Regular", QFont::Normal},
    {InterFace::Medium, "Medium", QFont::Medium},
    {InterFace::SemiBold, "SemiBold", QFont::DemiBold},
    {InterFace::Bold, "Bold", QFont::Bold},
    {InterFace::Black, "Black", QFont::Black},
};

const FaceInfo &info(InterFace face)
{
    for (const FaceInfo &candidate : kFaces) {
        if (candidate.face == face)
            return candidate;
    }
    return kFaces[2];
}

} // namespace

InterFace interFace(int weight)
{
    switch (weight) {
    case QFont::Thin:
    case QFont::ExtraLight:
        return InterFace::Thin;
    case QFont::Light:
        return InterFace::Light;
    case QFont::Normal:
        return InterFace::Regular;
    case QFont::Medium:
        return InterFace::Medium;
    case QFont::DemiBold:
        return InterFace::SemiBold;
    case QFont::Bold:
        return InterFace::Bold;
    case QFont::ExtraBold:
    case QFont::Black:
        return InterFace::Black;
    default:
        return InterFace::Regular;
    }
}

QString faceStyleName(InterFace face)
{
    return QString::fromLatin1(info(face).styleName);
}

QFont inter(qreal size, int weight)
{
    const FaceInfo &face = info(interFace(weight));
    QFont font(kFamily);
    // A size of zero or less would make Qt warn and keep its default size anyway.
    if (size > 0)
        font.setPointSizeF(size * kPointsPerDesignPoint);
    font.setWeight(face.weight);
    return font;
}

} // namespace AppFont
