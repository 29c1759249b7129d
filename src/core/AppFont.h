#pragma once

#include <QFont>
#include <QString>

// The interface typeface. Named AppFont rather than Font because Xlib declares a type Font.
namespace AppFont {

// The Inter faces the interface uses; weights without a face of their own fall back to the
// nearest face the table names (ExtraLight to Thin, ExtraBold to Black, anything else to Regular).
enum class InterFace { Thin, Light, Regular, Medium, SemiBold, Bold, Black };

InterFace interFace(int weight);
QString faceStyleName(InterFace face);

// Inter at `size` design points (one point is one device-independent pixel, as the views'
// geometry is) with the face the weight selects. When Inter is not installed, Qt's usual
// family fallback applies.
QFont inter(qreal size, int weight = QFont::Normal);

} // namespace AppFont
