#include "ui/settings/AppearancePicker.h"

#include "core/L10n.h"
#include "ui/settings/PickerHeader.h"
#include "ui/settings/PickerOption.h"
#include "ui/style/PanelIcons.h"
#include "ui/style/PanelText.h"
#include "ui/tools/ToolText.h"

#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

// The miniature's own colours: each option shows its appearance, not the one in force.
struct PreviewColors {
    QColor background;
    QColor card;
    QColor ink;
};

PreviewColors previewColors(ClipboardAppearance appearance)
{
    if (appearance == ClipboardAppearance::Dark)
        return {QColor::fromRgbF(0.075f, 0.085f, 0.11f), QColor::fromRgbF(0.15f, 0.17f, 0.2f),
                QColor::fromRgbF(1, 1, 1, 0.63f)};
    return {QColor::fromRgbF(0.93f, 0.95f, 0.97f), QColor(Qt::white), QColor::fromRgbF(0.18f, 0.2f, 0.23f, 0.28f)};
}

QString titleOf(ClipboardAppearance appearance)
{
    return appearance == ClipboardAppearance::Dark ? L10n::text(QStringLiteral("Tmavý"))
                                                   : L10n::text(QStringLiteral("Svetlý"));
}

QString subtitleOf(ClipboardAppearance appearance)
{
    return appearance == ClipboardAppearance::Dark ? L10n::text(QStringLiteral("Tmavé pozadie"))
                                                   : L10n::text(QStringLiteral("Jasné pozadie"));
}

// A badge in the accent on a pale accent capsule.
class AccentBadge : public ToolText {
public:
    explicit AccentBadge(QWidget *parent)
        : ToolText(QString(), AppearancePicker::kBadgeSize, QFont::Medium, ToolText::Role::Accent, parent)
    {
        setContentsMargins(AppearancePicker::kBadgeHorizontalPadding, AppearancePicker::kBadgeVerticalPadding,
                           AppearancePicker::kBadgeHorizontalPadding, AppearancePicker::kBadgeVerticalPadding);
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPainter painter(this);
        const QRectF capsule = QRectF(rect());
        PanelStyle::fillRounded(painter, capsule, capsule.height() / 2,
                                PanelStyle::withOpacity(PanelStyle::colors(this).accent, 0.09));
        painter.end();
        ToolText::paintEvent(event);
    }
};

} // namespace

AppearancePicker::AppearancePicker(ClipboardAppearance current, QWidget *parent)
    : QWidget(parent)
{
    using P = AppearancePicker;
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kSectionSpacing);
    auto *header = new PickerHeader(L10n::text(QStringLiteral("Vzhľad")),
                                    L10n::text(QStringLiteral("Vyber si farebnú tému")), this);
    m_badge = new AccentBadge(this);
    header->addAccessory(m_badge);
    layout->addWidget(header);

    auto *options = new QHBoxLayout;
    options->setSpacing(kOptionSpacing);
    for (ClipboardAppearance appearance : {ClipboardAppearance::Light, ClipboardAppearance::Dark}) {
        const QString title = titleOf(appearance);
        const QString subtitle = subtitleOf(appearance);
        const QFont titleFont = PanelStyle::font(kCaptionTitleSize, QFont::DemiBold);
        const QFont subtitleFont = PanelStyle::font(kCaptionSubtitleSize);
        const int captionHeight = PanelText::lineHeight(titleFont) + 2 + PanelText::lineHeight(subtitleFont);
        auto paint = [=](QPainter &painter, const QRectF &rect, bool selected, const PanelStyle::Colors &colors) {
            const QRectF content = rect.adjusted(kOptionPadding, kOptionPadding, -kOptionPadding, -kOptionPadding);
            paintPreview(painter, QRectF(content.left(), content.top(), content.width(), P::kPreviewHeight), appearance,
                         colors.accent);
            const QRectF caption(content.left(), content.top() + P::kPreviewHeight + P::kOptionContentSpacing,
                                 content.width(), captionHeight);
            const qreal symbolSide = PanelIcons::side(P::kCaptionSymbolSize);
            PanelIcons::paint(painter, QRectF(caption.left(), caption.center().y() - symbolSide / 2, symbolSide, symbolSide),
                              appearance == ClipboardAppearance::Dark ? QStringLiteral("moon.stars.fill")
                                                                      : QStringLiteral("sun.max.fill"),
                              P::kCaptionSymbolSize, selected ? colors.accent : colors.secondary);
            const qreal checkSide = PanelIcons::side(P::kCheckSize);
            PickerMarks::paint(painter, QRectF(caption.right() - checkSide, caption.center().y() - checkSide / 2,
                                               checkSide, checkSide), selected, colors, false);
            const qreal textLeft = caption.left() + symbolSide + 6;
            const qreal textWidth = caption.right() - checkSide - 6 - textLeft;
            painter.setPen(colors.primary);
            PanelText::drawElided(painter, QRectF(textLeft, caption.top(), textWidth, PanelText::lineHeight(titleFont)),
                                  titleFont, title);
            painter.setPen(colors.secondary);
            PanelText::drawElided(painter, QRectF(textLeft, caption.top() + PanelText::lineHeight(titleFont) + 2, textWidth,
                                                  PanelText::lineHeight(subtitleFont)),
                                  subtitleFont, subtitle);
        };
        const QSize minimum(120, kOptionPadding * 2 + kPreviewHeight + kOptionContentSpacing + captionHeight);
        PickerOption::Frame frame{kOptionRadius, 0.075, kSelectedStrokeOpacity, true};
        auto *option = new PickerOption(L10n::text(QStringLiteral("%@ vzhľad")).replace(QStringLiteral("%@"), title),
                                        minimum, frame, paint, this);
        option->setObjectName(QStringLiteral("appearance-") + rawValue(appearance));
        connect(option, &QAbstractButton::clicked, this, [this, appearance] { Q_EMIT appearanceChosen(appearance); });
        options->addWidget(option);
        m_options.append({appearance, option});
    }
    layout->addLayout(options);
    setAppearance(current);
}

PickerOption *AppearancePicker::option(ClipboardAppearance appearance) const
{
    for (const auto &[value, option] : m_options) {
        if (value == appearance)
            return option;
    }
    return nullptr;
}

QString AppearancePicker::badgeText() const
{
    return m_badge->text();
}

void AppearancePicker::setAppearance(ClipboardAppearance current)
{
    for (const auto &[appearance, option] : m_options)
        option->setSelected(appearance == current);
    m_badge->setText(titleOf(current));
}

void AppearancePicker::paintPreview(QPainter &painter, const QRectF &rect, ClipboardAppearance appearance,
                                    const QColor &accent)
{
    constexpr qreal kOuterRadius = 8;
    constexpr qreal kCardRadius = 7;
    constexpr qreal kFooterHeight = 7;
    constexpr qreal kPadding = 8;
    constexpr qreal kSpacing = 5;
    constexpr qreal kBarHeight = 4;
    const PreviewColors colors = previewColors(appearance);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath clip;
    clip.addRoundedRect(rect, kOuterRadius, kOuterRadius);
    painter.setClipPath(clip);
    painter.fillPath(clip, colors.background);
    PanelStyle::fillRounded(painter, rect, kCardRadius, colors.card);
    painter.fillRect(QRectF(rect.left(), rect.bottom() - kFooterHeight, rect.width(), kFooterHeight), colors.background);
    const QRectF content = rect.adjusted(kPadding, kPadding, -kPadding, -kPadding);
    qreal y = content.top();
    PanelStyle::fillRounded(painter, QRectF(content.left(), y, 28, kBarHeight), kBarHeight / 2, colors.ink);
    painter.setPen(Qt::NoPen);
    painter.setBrush(accent);
    painter.drawEllipse(QRectF(content.right() - 5, y - 0.5, 5, 5));
    y += kBarHeight + kSpacing;
    PanelStyle::fillRounded(painter, QRectF(content.left(), y, 76, kBarHeight), 2, colors.ink);
    y += kBarHeight + kSpacing;
    PanelStyle::fillRounded(painter, QRectF(content.left(), y, 48, kBarHeight), 2,
                            PanelStyle::withOpacity(colors.ink, 0.56));
    painter.restore();
}
