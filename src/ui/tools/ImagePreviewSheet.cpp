#include "ui/panel/SheetColumn.h"
#include "ui/tools/ImagePreviewSheet.h"

#include "core/L10n.h"
#include "ui/style/PanelButton.h"
#include "ui/style/PanelClock.h"
#include "ui/style/PanelEmptyState.h"
#include "ui/style/PanelIcons.h"
#include "ui/style/PanelStyle.h"
#include "ui/style/PanelText.h"
#include "ui/tools/ToolText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <QtConcurrent>

#include <cmath>

namespace {

constexpr int kPadding = 22;
constexpr int kSpacing = 18;
constexpr int kHeaderSpacing = 11;
constexpr QSize kIconTileSize{38, 38};
constexpr qreal kIconTileRadius = 11;
constexpr qreal kIconTileTint = 0.12;
constexpr qreal kTitleSize = 15;
constexpr qreal kSmallSize = 10;
constexpr qreal kStageRadius = 18;
constexpr qreal kImagePadding = 20;
constexpr qreal kBadgeInset = 13;
constexpr QMarginsF kBadgePadding{10, 6, 10, 6};
constexpr int kFooterSpacing = 8;
constexpr int kButtonHeight = 32;
constexpr int kButtonPadding = 12;


} // namespace

ImagePreviewSheet::ImagePreviewSheet(ClipboardEntry entry, QImage image, ClipboardAppearance appearance,
                                     QWidget *parent)
    : QWidget(parent)
    , m_entry(std::move(entry))
{
    build(appearance);
    showImage(std::move(image));
}

ImagePreviewSheet::ImagePreviewSheet(ClipboardEntry entry, QFuture<QImage> image, ClipboardAppearance appearance,
                                     QWidget *parent)
    : QWidget(parent)
    , m_entry(std::move(entry))
{
    build(appearance);
    m_isLoading = true;
    // The watcher dies with the sheet: a sheet closed before the decode ends takes nothing.
    connect(&m_loading, &QFutureWatcher<QImage>::finished, this, [this] {
        showImage(m_loading.future().resultCount() > 0 ? m_loading.result() : QImage());
    });
    m_loading.setFuture(std::move(image));
}

void ImagePreviewSheet::build(ClipboardAppearance appearance)
{
    QVBoxLayout *layout = sheetColumn(this, appearance, kSize, kPadding, kSpacing);

    auto *header = new QHBoxLayout;
    header->setSpacing(kHeaderSpacing);
    m_iconTile = new QWidget(this);
    m_iconTile->setFixedSize(kIconTileSize);
    header->addWidget(m_iconTile);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(4);
    texts->addWidget(new ToolText(L10n::text(QStringLiteral("Náhľad obrázka")), kTitleSize, QFont::DemiBold,
                                  ToolText::Role::Primary, this));
    texts->addWidget(new ToolText(L10n::text(QStringLiteral("Pozri si obrázok v plnej veľkosti.")), kSmallSize, QFont::Normal,
                                  ToolText::Role::Secondary, this));
    header->addLayout(texts);
    header->addStretch();
    auto *close = new PanelButton(QString(), false, kButtonHeight, kButtonPadding, this);
    close->setObjectName(QStringLiteral("headerClose"));
    close->setSymbol(QStringLiteral("xmark"), kSmallSize);
    close->setToolTip(L10n::text(QStringLiteral("Zavrieť náhľad")));
    close->setAccessibleName(L10n::text(QStringLiteral("Zavrieť náhľad")));
    header->addWidget(close);
    layout->addLayout(header);

    m_stage = new QWidget(this);
    m_stage->setObjectName(QStringLiteral("stage"));
    auto *stage = new QVBoxLayout(m_stage);
    m_unavailable = new PanelEmptyState(QStringLiteral("photo"), L10n::text(QStringLiteral("Obrázok sa nedá zobraziť")),
                                        L10n::text(QStringLiteral("Skús ho skopírovať znova.")), m_stage);
    m_unavailable->hide();
    stage->addWidget(m_unavailable);
    layout->addWidget(m_stage, 1);

    auto *footer = new QHBoxLayout;
    footer->setSpacing(kFooterSpacing);
    ToolText *sourceSymbol = ToolText::symbol(m_entry.isScreenshot ? QStringLiteral("camera.viewfinder") : QStringLiteral("app"),
                                              kSmallSize, ToolText::Role::Secondary, this);
    sourceSymbol->setObjectName(QStringLiteral("sourceSymbol"));
    footer->addWidget(sourceSymbol);
    footer->addWidget(new ToolText(m_entry.sourceAppLabel(), kSmallSize, QFont::Medium, ToolText::Role::Secondary, this));
    footer->addWidget(new ToolText(QStringLiteral("·"), kSmallSize, QFont::Normal, ToolText::Role::Muted, this));
    footer->addWidget(new ToolText(m_entry.copiedAtLabel(PanelClock::now()), kSmallSize, QFont::Normal,
                                   ToolText::Role::Secondary, this));
    footer->addStretch();
    footer->addSpacing(8);
    auto *closeButton = new PanelButton(L10n::text(QStringLiteral("Zavrieť")), false, kButtonHeight, kButtonPadding, this);
    closeButton->setObjectName(QStringLiteral("close"));
    footer->addWidget(closeButton);
    m_paste = new PanelButton(L10n::text(QStringLiteral("Vložiť obrázok")), true, kButtonHeight, kButtonPadding, this);
    m_paste->setObjectName(QStringLiteral("paste"));
    m_paste->setEnabled(false);
    footer->addWidget(m_paste);
    layout->addLayout(footer);

    for (QAbstractButton *button : {static_cast<QAbstractButton *>(close), static_cast<QAbstractButton *>(closeButton)}) {
        connect(button, &QAbstractButton::clicked, this, &ImagePreviewSheet::closeRequested);
    }
    connect(m_paste, &QAbstractButton::clicked, this, &ImagePreviewSheet::pasteRequested);
    connect(&m_fitting, &QFutureWatcher<QImage>::finished, this, [this] {
        if (m_fitting.future().resultCount() > 0)
            m_fitted = m_fitting.result();
        update();
    });
}

void ImagePreviewSheet::showImage(QImage image)
{
    m_isLoading = false;
    m_image = std::move(image);
    m_unavailable->setVisible(!hasImage());
    m_paste->setEnabled(hasImage());
    // The badge is painted on the stage, so the stage tells its text.
    if (const std::optional<QString> size = dimensions())
        m_stage->setAccessibleDescription(L10n::text(QStringLiteral("Rozlíšenie obrázka %@")).replace(QStringLiteral("%@"), *size));
    fitImage();
    update();
}

std::optional<QString> ImagePreviewSheet::dimensions(QSizeF pointSize)
{
    if (!(pointSize.width() > 0) || !(pointSize.height() > 0))
        return std::nullopt;
    return QString::number(std::lround(pointSize.width())) + QStringLiteral(" × ")
        + QString::number(std::lround(pointSize.height()));
}

std::optional<QString> ImagePreviewSheet::dimensions() const
{
    if (!hasImage())
        return std::nullopt;
    return dimensions(m_image.deviceIndependentSize());
}

QRectF ImagePreviewSheet::imageRect() const
{
    const QRectF stage(m_stage->geometry());
    const QRectF room = stage.adjusted(kImagePadding, kImagePadding, -kImagePadding, -kImagePadding);
    const QSizeF natural = m_image.deviceIndependentSize();
    if (room.isEmpty() || natural.isEmpty())
        return {};
    const QSizeF fitted = natural.scaled(room.size(), Qt::KeepAspectRatio);
    return QRectF(room.center().x() - fitted.width() / 2, room.center().y() - fitted.height() / 2, fitted.width(),
                  fitted.height());
}

void ImagePreviewSheet::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    fitImage();
}

void ImagePreviewSheet::fitImage()
{
    if (!hasImage())
        return;
    // Scaled once per size, off the main thread.
    const QSize target = (imageRect().size() * devicePixelRatioF()).toSize();
    if (target.isEmpty() || m_fitted.size() == target)
        return;
    m_fitting.setFuture(QtConcurrent::run([image = m_image, target] {
        return image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }));
}

void ImagePreviewSheet::paintEvent(QPaintEvent *)
{
    const PanelStyle::Colors &colors = PanelStyle::colors(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    PanelStyle::fillBackground(painter, QRectF(rect()), PanelStyle::schemeOf(this));
    const QRectF tile(m_iconTile->geometry());
    PanelStyle::fillRounded(painter, tile, kIconTileRadius, PanelStyle::withOpacity(colors.accent, kIconTileTint));
    PanelIcons::paint(painter, tile, QStringLiteral("photo"), kTitleSize, colors.accent);

    const QRectF stage(m_stage->geometry());
    PanelStyle::fillRounded(painter, stage, kStageRadius, colors.surface);
    // Only the copy scaled off the main thread is drawn: scaling a screen-sized image here would
    // stall every repaint. Until the first copy is there the stage stays empty; after a resize
    // the last copy stands in for the next.
    if (hasImage() && !m_fitted.isNull())
        painter.drawImage(imageRect(), m_fitted);
    PanelStyle::strokeRounded(painter, stage.adjusted(0.5, 0.5, -0.5, -0.5), kStageRadius, colors.border);

    if (const std::optional<QString> size = dimensions()) {
        const QFont font = PanelStyle::font(kSmallSize, QFont::Medium);
        const QSizeF text(PanelText::width(font, *size), PanelText::lineHeight(font));
        const QSizeF badge(text.width() + kBadgePadding.left() + kBadgePadding.right(),
                           text.height() + kBadgePadding.top() + kBadgePadding.bottom());
        const QRectF box(stage.right() - kBadgeInset - badge.width(), stage.bottom() - kBadgeInset - badge.height(),
                         badge.width(), badge.height());
        PanelStyle::fillRounded(painter, box, box.height() / 2, PanelStyle::withOpacity(colors.controlSurface, 0.85));
        painter.setPen(colors.primary);
        PanelText::drawFixed(painter, box.marginsRemoved(kBadgePadding), font, *size, Qt::AlignCenter);
    }
}
