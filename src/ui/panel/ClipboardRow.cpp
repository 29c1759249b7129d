#include "ui/panel/ClipboardRow.h"

#include "core/ClipboardColor.h"
#include "core/L10n.h"
#include "core/LeadingText.h"
#include "ui/panel/DelayedEntryActions.h"
#include "ui/style/KindPresentation.h"
#include "ui/style/PanelButton.h"
#include "ui/style/PanelClock.h"
#include "ui/style/PanelIcons.h"
#include "ui/style/PanelMotion.h"
#include "ui/style/PanelText.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <QVBoxLayout>

#include <memory>

namespace {

const QString kSeparator = QStringLiteral("·");
constexpr int kPasteButtonHeight = 28;
constexpr int kPasteButtonPadding = 10;
constexpr int kPreferredWidth = 360;

QFont titleFont() { return PanelStyle::exactFont(ClipboardRow::kTitleSize, QFont::Medium); }
QFont toggleFont() { return PanelStyle::font(ClipboardRow::kToggleSize, QFont::DemiBold); }
QFont metaFont() { return PanelStyle::font(ClipboardRow::kMetaSize); }

// One line shows a few hundred characters at most; a long copy is cut before it is measured, so
// a 10 KB entry costs no more to paint than a short one.
constexpr qsizetype kTitleScan = 400;

QString titleText(const ClipboardEntry &entry)
{
    if (entry.kind == ClipboardKind::Image || entry.kind == ClipboardKind::File)
        return entry.preview();
    return entry.text.left(kTitleScan).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

QString toggleText(bool expanded) { return L10n::text(expanded ? QStringLiteral("Menej") : QStringLiteral("Viac")); }

int graphemeCount(const QString &text, int stopAfter)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() != -1) {
        if (++count > stopAfter)
            break;
    }
    return count;
}

// The text column: title line above the meta line, centred in the header.
struct Column {
    qreal left;
    qreal width;
    qreal titleTop;
    qreal titleHeight;
    qreal metaTop;
    qreal metaHeight;
};

Column column(const QRectF &rect)
{
    Column c;
    c.left = rect.left() + ClipboardRow::kLeadingPadding + ClipboardRow::kThumbnailSide + ClipboardRow::kHeaderSpacing;
    c.width = std::max<qreal>(0, rect.right() - ClipboardRow::kTrailingPadding - c.left);
    c.titleHeight = PanelText::lineHeight(titleFont());
    c.metaHeight = PanelText::lineHeight(metaFont());
    const qreal total = c.titleHeight + ClipboardRow::kColumnSpacing + c.metaHeight;
    c.titleTop = rect.top() + (ClipboardRow::kHeaderHeight - total) / 2;
    c.metaTop = c.titleTop + c.titleHeight + ClipboardRow::kColumnSpacing;
    return c;
}

void paintThumbnail(QPainter &painter, const QRectF &tile, const ClipboardRow::Header &header, const PanelStyle::Colors &c)
{
    const ClipboardEntry &entry = header.entry;
    if (entry.kind == ClipboardKind::Image && !header.thumbnail.isNull()) {
        PanelStyle::fillRounded(painter, tile, ClipboardRow::kThumbnailRadius, c.controlSurface);
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        QPainterPath clip;
        clip.addRoundedRect(tile, ClipboardRow::kThumbnailRadius, ClipboardRow::kThumbnailRadius);
        painter.setClipPath(clip);
        const QRectF room = tile.adjusted(ClipboardRow::kImageInset, ClipboardRow::kImageInset, -ClipboardRow::kImageInset,
                                          -ClipboardRow::kImageInset);
        QSizeF fitted = QSizeF(header.thumbnail.size()).scaled(room.size(), Qt::KeepAspectRatio);
        painter.drawImage(QRectF(room.center() - QPointF(fitted.width() / 2, fitted.height() / 2), fitted), header.thumbnail);
        painter.restore();
        return;
    }
    if (entry.kind == ClipboardKind::Color) {
        if (const auto rgb = ClipboardColor::components(entry.text)) {
            PanelStyle::fillRounded(painter, tile, ClipboardRow::kThumbnailRadius,
                                    QColor::fromRgbF(float(rgb->red), float(rgb->green), float(rgb->blue)));
            return;
        }
    }
    PanelStyle::fillRounded(painter, tile, ClipboardRow::kThumbnailRadius, c.surface);
    PanelIcons::paint(painter, tile, KindPresentation::symbol(entry.kind), ClipboardRow::kKindSymbolSize,
                      header.isSelected ? c.accent : c.secondary);
}

// The full text laid out to a width: words stay whole where they fit, a longer run breaks anywhere.
struct WrappedText {
    std::unique_ptr<QTextLayout> layout;
    qreal height = 0;
};

WrappedText wrapFullText(const QString &text, qreal width)
{
    WrappedText wrapped;
    QString shown = text;
    shown.replace(QLatin1Char('\n'), QChar::LineSeparator);
    wrapped.layout = std::make_unique<QTextLayout>(shown, PanelStyle::exactFont(ClipboardRow::kTitleSize));
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    wrapped.layout->setTextOption(option);
    wrapped.layout->beginLayout();
    for (QTextLine line = wrapped.layout->createLine(); line.isValid(); line = wrapped.layout->createLine()) {
        line.setLineWidth(std::max<qreal>(1, width));
        line.setPosition(QPointF(0, wrapped.height));
        wrapped.height += line.height();
    }
    wrapped.layout->endLayout();
    return wrapped;
}

PanelButton::Look pasteTextLook()
{
    PanelButton::Look look;
    look.title = L10n::text(QStringLiteral("Vložiť text"));
    look.symbol = QStringLiteral("doc.on.clipboard");
    look.horizontalPadding = kPasteButtonPadding;
    return look;
}

} // namespace

QString ClipboardRow::unfoldedText(const QString &text) { return LeadingText::upTo(text, kUnfoldedTextLimit); }

int ClipboardRow::unfoldedPartHeight(const ClipboardEntry &entry, qreal width)
{
    const qreal textHeight = wrapFullText(unfoldedText(entry.text), width - 2 * kUnfoldedSidePadding).height;
    return int(std::ceil(textHeight)) + kUnfoldedSpacing + kPasteButtonHeight + kUnfoldedBottomPadding;
}

ClipboardRow::UnfoldedGeometry ClipboardRow::unfoldedGeometry(const QRectF &rect, const ClipboardEntry &entry)
{
    UnfoldedGeometry g;
    const qreal width = rect.width() - 2 * kUnfoldedSidePadding;
    g.text = QRectF(rect.left() + kUnfoldedSidePadding, rect.top(), width,
                    std::ceil(wrapFullText(unfoldedText(entry.text), width).height));
    g.pasteButton = QRectF(g.text.left(), g.text.bottom() + kUnfoldedSpacing, PanelButton::widthFor(pasteTextLook()),
                           kPasteButtonHeight);
    return g;
}

void ClipboardRow::paintUnfolded(QPainter &painter, const QRectF &rect, const ClipboardEntry &entry, bool pasteHovered,
                                 const PanelStyle::Colors &c)
{
    const UnfoldedGeometry g = unfoldedGeometry(rect, entry);
    const WrappedText wrapped = wrapFullText(unfoldedText(entry.text), g.text.width());
    painter.save();
    painter.setPen(c.primary);
    wrapped.layout->draw(&painter, g.text.topLeft());
    painter.restore();
    PanelButton::paintLook(painter, g.pasteButton, pasteTextLook(), PanelButton::State{pasteHovered ? 1.0 : 0.0, false, true}, c);
}

ClipboardRow::ClipboardRow(const ClipboardEntry &entry, bool isSelected, QWidget *parent) : QWidget(parent)
{
    m_header.entry = entry;
    m_header.isSelected = isSelected;
    // Not Fixed: a fixed policy caps the height at the size hint, which is measured at some other width.
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setAccessibleName(entry.boundedPreview());
    if (canExpand(entry))
        setAccessibleDescription(L10n::text(QStringLiteral("Rozbaliť alebo zbaliť text")));
}

bool ClipboardRow::canExpand(const ClipboardEntry &entry)
{
    if (entry.kind == ClipboardKind::Image || entry.kind == ClipboardKind::File)
        return false;
    // Counting stops past the folded length, so a long text is decided without reading it all.
    return graphemeCount(entry.text, kMaximumFoldedCharacters) > kMaximumFoldedCharacters || entry.text.contains(QLatin1Char('\n'));
}

void ClipboardRow::setEntry(const ClipboardEntry &entry)
{
    if (m_header.entry == entry)
        return;
    m_header.entry = entry;
    setAccessibleName(entry.boundedPreview());
    if (m_fullText)
        m_fullText->setText(unfoldedText(entry.text));
    // A row whose entry stops unfolding drops its unfolded part, keeping the flag.
    if (!canExpand(entry))
        dropUnfolded();
    else if (m_header.isExpanded && !m_unfolded)
        buildUnfolded();
    updateGeometry();
    update();
}

void ClipboardRow::setSelected(bool selected)
{
    if (m_header.isSelected == selected)
        return;
    m_header.isSelected = selected;
    update();
}

void ClipboardRow::setThumbnail(const QImage &thumbnail)
{
    m_header.thumbnail = thumbnail;
    update();
}

ClipboardRow::HeaderGeometry ClipboardRow::headerGeometry(const QRectF &rect, const Header &header)
{
    HeaderGeometry g;
    g.thumbnail = QRectF(rect.left() + kLeadingPadding, rect.top() + (kHeaderHeight - kThumbnailSide) / 2.0,
                         kThumbnailSide, kThumbnailSide);
    const Column c = column(rect);
    qreal titleWidth = c.width;
    if (canExpand(header.entry)) {
        const qreal toggleWidth = PanelText::width(toggleFont(), toggleText(header.isExpanded));
        titleWidth = std::max<qreal>(0, c.width - kTitleSpacing - toggleWidth);
        g.toggle = QRectF(c.left + titleWidth + kTitleSpacing, c.titleTop, toggleWidth, c.titleHeight);
    }
    g.title = QRectF(c.left, c.titleTop, titleWidth, c.titleHeight);
    return g;
}

void ClipboardRow::paintHeader(QPainter &painter, const QRectF &rect, const Header &header, const PanelStyle::Colors &c)
{
    const HeaderGeometry g = headerGeometry(rect, header);
    const ClipboardEntry &entry = header.entry;
    paintThumbnail(painter, g.thumbnail, header, c);

    painter.save();
    painter.setPen(c.primary);
    PanelText::drawElided(painter, g.title, titleFont(), titleText(entry));
    if (!g.toggle.isEmpty()) {
        painter.setPen(c.accent);
        PanelText::drawFixed(painter, g.toggle, toggleFont(), toggleText(header.isExpanded));
    }

    // Meta line: kind · source · time [hourglass]; only the source gives way when room is short.
    const Column col = column(rect);
    const QFont meta = metaFont();
    const QString kind = KindPresentation::displayName(entry.kind);
    const QString time = entry.copiedAtLabel(header.now.isValid() ? header.now : PanelClock::now());
    const qreal kindWidth = PanelText::width(meta, kind);
    const qreal dotWidth = PanelText::width(meta, kSeparator);
    const qreal timeWidth = PanelText::width(meta, time);
    const bool temporary = entry.temporaryUntil.has_value();
    const qreal hourglass = temporary ? PanelIcons::side(kMetaSize) + kMetaSpacing : 0;
    const qreal fixed = kindWidth + 2 * dotWidth + timeWidth + 4 * kMetaSpacing + hourglass + kMetaMinimumGap;
    const QString source = entry.sourceAppLabel();
    const qreal sourceWidth = std::clamp<qreal>(col.width - fixed, 0, PanelText::width(meta, source));

    qreal x = col.left;
    const auto place = [&](qreal width) {
        const QRectF r(x, col.metaTop, width, col.metaHeight);
        x += width + kMetaSpacing;
        return r;
    };
    painter.setPen(header.isSelected ? c.accent : c.secondary);
    PanelText::drawFixed(painter, place(kindWidth), meta, kind);
    painter.setPen(c.muted);
    PanelText::drawFixed(painter, place(dotWidth), meta, kSeparator);
    PanelText::drawElided(painter, place(sourceWidth), meta, source);
    PanelText::drawFixed(painter, place(dotWidth), meta, kSeparator);
    PanelText::drawFixed(painter, place(timeWidth), meta, time);
    if (temporary)
        PanelIcons::paint(painter, place(PanelIcons::side(kMetaSize)), QStringLiteral("hourglass"), kMetaSize,
                          PanelStyle::withOpacity(c.systemOrange, kHourglassOpacity));
    painter.restore();
}

int ClipboardRow::unfoldedHeight(int width) const
{
    if (!m_unfolded)
        return 0;
    return m_unfolded->heightForWidth(width) > 0 ? m_unfolded->heightForWidth(width) : m_unfolded->sizeHint().height();
}

int ClipboardRow::heightForWidth(int width) const
{
    return kHeaderHeight + int(std::ceil(m_unfold * unfoldedHeight(width)));
}

QSize ClipboardRow::sizeHint() const { return QSize(kPreferredWidth, heightForWidth(width() > 0 ? width() : kPreferredWidth)); }

void ClipboardRow::setExpanded(bool expanded, bool animated)
{
    if (m_header.isExpanded == expanded)
        return;
    m_header.isExpanded = expanded;
    if (expanded && canExpand(m_header.entry) && !m_unfolded)
        buildUnfolded();
    const auto apply = [this, expanded](const QVariant &value) {
        m_unfold = value.toReal();
        // The unfolded part leaves as it came, fading out while the row folds over it; an
        // unfold turning back mid-way shows it whole again.
        if (m_unfolded)
            m_unfolded->setPresence(expanded ? 1.0 : m_unfold);
        updateGeometry();
        if (!expanded && m_unfold <= 0)
            dropUnfolded();
        Q_EMIT unfoldProgressChanged(m_unfold);
    };
    PanelMotion::animate(this, "unfold", m_unfold, expanded ? 1.0 : 0.0,
                         animated ? kUnfoldDuration : std::chrono::milliseconds(0), PanelMotion::easeInOut(), apply);
    update();
    Q_EMIT expandedChanged(expanded);
}

DelayedEntryActions *ClipboardRow::unfoldedPart() const { return m_unfolded; }

void ClipboardRow::buildUnfolded()
{
    auto *content = new QWidget;
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(kUnfoldedSidePadding, 0, kUnfoldedSidePadding, kUnfoldedBottomPadding);
    layout->setSpacing(kUnfoldedSpacing);
    m_fullText = new QLabel(unfoldedText(m_header.entry.text));
    m_fullText->setTextFormat(Qt::PlainText);
    m_fullText->setWordWrap(true);
    m_fullText->setFont(PanelStyle::exactFont(kTitleSize));
    m_fullText->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    layout->addWidget(m_fullText);
    auto *paste = new PanelButton(L10n::text(QStringLiteral("Vložiť text")), false, kPasteButtonHeight, kPasteButtonPadding);
    paste->setSymbol(QStringLiteral("doc.on.clipboard"));
    connect(paste, &QAbstractButton::clicked, this, &ClipboardRow::activated);
    layout->addWidget(paste, 0, Qt::AlignLeft);
    m_unfolded = new DelayedEntryActions(content, this);
    m_unfolded->setGeometry(0, kHeaderHeight, width(), unfoldedHeight(width()));
    m_unfolded->show();
}

void ClipboardRow::dropUnfolded()
{
    if (m_unfolded)
        m_unfolded->deleteLater();
    m_unfolded = nullptr;
    m_fullText = nullptr;
    updateGeometry();
}

void ClipboardRow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_unfolded)
        m_unfolded->setGeometry(0, kHeaderHeight, width(), unfoldedHeight(width()));
}

void ClipboardRow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setClipRect(rect());
    paintHeader(painter, QRectF(0, 0, width(), kHeaderHeight), m_header, PanelStyle::colors(this));
}

void ClipboardRow::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_passesHeaderClicks || event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint())) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const HeaderGeometry g = headerGeometry(QRectF(0, 0, width(), kHeaderHeight), m_header);
    const QPointF at = event->position();
    if (g.thumbnail.contains(at)) {
        Q_EMIT activated();
    } else if (!g.toggle.isEmpty()) {
        if (g.toggle.adjusted(-4, -6, 4, 6).contains(at))
            setExpanded(!m_header.isExpanded);
    } else if (at.y() < kHeaderHeight && at.x() >= g.title.left() && at.y() >= g.title.top() && at.y() <= g.title.bottom()) {
        Q_EMIT activated();
    } else {
        QWidget::mouseReleaseEvent(event);
    }
}
