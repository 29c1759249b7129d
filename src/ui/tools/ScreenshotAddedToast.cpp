#include "ui/tools/ScreenshotAddedToast.h"

#include "core/L10n.h"
#include "ui/style/PanelStyle.h"
#include "ui/tools/ScreenshotActionButtons.h"
#include "ui/tools/ScreenshotNoticeThumbnail.h"
#include "ui/tools/ToolText.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {

constexpr int kRowSpacing = 12;
constexpr int kTextSpacing = 4;
constexpr qreal kTitleSize = 12;
constexpr qreal kHintSize = 10;
constexpr qreal kCheckmarkSize = 15;

} // namespace

ScreenshotAddedToast::ScreenshotAddedToast(ClipboardEntry entry, ClipboardAppearance appearance,
                                           QWidget *parent)
    : QWidget(parent)
    , m_entry(std::move(entry))
{
    setFixedSize(kSize);
    setAttribute(Qt::WA_TranslucentBackground);
    PanelStyle::applyScheme(this, PanelStyle::schemeFor(appearance));
    setAccessibleName(L10n::text(QStringLiteral("Screenshot pridaný")));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    layout->setSpacing(kSpacing);

    auto *row = new QHBoxLayout;
    row->setSpacing(kRowSpacing);
    auto *thumbnail = new ScreenshotNoticeThumbnail(m_entry, false, this);
    thumbnail->setFixedSize(kThumbnailSize);
    row->addWidget(thumbnail);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(kTextSpacing);
    texts->addStretch();
    texts->addWidget(new ToolText(L10n::text(QStringLiteral("Screenshot pridaný")), kTitleSize, QFont::DemiBold,
                                  ToolText::Role::Primary, this));
    auto *hint = new ToolText(L10n::text(QStringLiteral("Nájdeš ho v sekcii Snímky obrazovky.")), kHintSize, QFont::Normal,
                              ToolText::Role::Secondary, this);
    hint->setWordWrap(true);
    texts->addWidget(hint);
    texts->addStretch();
    row->addLayout(texts, 1);
    row->addWidget(ToolText::symbol(QStringLiteral("checkmark.circle.fill"), kCheckmarkSize, ToolText::Role::Accent, this));
    layout->addLayout(row, 1);
    auto *actions = new ScreenshotActionButtons(this);
    connect(actions, &ScreenshotActionButtons::editRequested, this, &ScreenshotAddedToast::editRequested);
    connect(actions, &ScreenshotActionButtons::textRequested, this, &ScreenshotAddedToast::textRequested);
    layout->addWidget(actions);
}

void ScreenshotAddedToast::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), kRadius, kRadius);
    painter.setClipPath(shape);
    PanelStyle::fillBackground(painter, QRectF(rect()), PanelStyle::schemeOf(this));
}
