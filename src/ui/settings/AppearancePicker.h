#pragma once

#include "core/ClipboardAppearance.h"

#include <QWidget>

class PickerOption;
class ToolText;

// Light or dark, side by side, each with a miniature of the panel in that appearance whatever
// the current one is, under a header whose badge names the current appearance. A click announces
// the choice; the selection and the badge show only what the owner reports back.
class AppearancePicker : public QWidget {
    Q_OBJECT
public:
    static constexpr int kOptionSpacing = 8;
    static constexpr int kOptionPadding = 8;
    static constexpr int kOptionContentSpacing = 8;
    static constexpr qreal kOptionRadius = 10;
    static constexpr qreal kSelectedStrokeOpacity = 0.45;
    static constexpr int kPreviewHeight = 46;
    static constexpr qreal kCaptionSymbolSize = 11;
    static constexpr qreal kCaptionTitleSize = 10;
    static constexpr qreal kCaptionSubtitleSize = 8;
    static constexpr qreal kCheckSize = 12;
    static constexpr qreal kBadgeSize = 9;
    static constexpr int kBadgeHorizontalPadding = 8;
    static constexpr int kBadgeVerticalPadding = 5;
    static constexpr int kSectionSpacing = 10;

    explicit AppearancePicker(ClipboardAppearance appearance, QWidget *parent = nullptr);

    PickerOption *option(ClipboardAppearance appearance) const;
    QString badgeText() const;
    // Selects and names the appearance in force.
    void setAppearance(ClipboardAppearance appearance);

    // The miniature panel of an appearance, drawn in that appearance's own colours.
    static void paintPreview(QPainter &painter, const QRectF &rect, ClipboardAppearance appearance, const QColor &accent);

Q_SIGNALS:
    void appearanceChosen(ClipboardAppearance appearance);

private:
    QList<QPair<ClipboardAppearance, PickerOption *>> m_options;
    ToolText *m_badge = nullptr;
};
