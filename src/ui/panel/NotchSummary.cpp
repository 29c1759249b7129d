#include "ui/panel/NotchSummary.h"

#include "core/FormattedText.h"
#include "core/L10n.h"
#include "engine/PanelModelLink.h"
#include "ui/PanelController.h"
#include "ui/panel/EntryOverflowButton.h"
#include "ui/panel/NotchIdentityView.h"
#include "ui/style/PanelIcons.h"
#include "ui/style/PanelMotion.h"
#include "ui/style/PanelStyle.h"
#include "ui/style/TextPicture.h"

#include <QAbstractButton>
#include <QPainter>

namespace {

// Made once: the count is measured and drawn on every frame of the notice.
const QFont &countFont()
{
    static const QFont font = PanelStyle::font(NotchSummary::kCountSize, QFont::DemiBold);
    return font;
}

// The notice's, wide and narrow, made once for the same reason.
const QFont &noticeFont(bool wide)
{
    static const QFont wideFont = PanelStyle::font(NotchSummary::kNoticeSizeWide, QFont::DemiBold);
    static const QFont narrowFont = PanelStyle::font(NotchSummary::kNoticeSizeNarrow, QFont::DemiBold);
    return wide ? wideFont : narrowFont;
}

} // namespace

// The row's label as one button: the symbol, the name (a child view) and the count capsule,
// leading while the notch is wide and centred otherwise; clicks on its empty space count.
class NotchSummaryToggle : public QAbstractButton {
public:
    explicit NotchSummaryToggle(NotchSummary &summary) : QAbstractButton(&summary), m_summary(summary)
    {
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::ArrowCursor);
    }

    // Where the three pieces go for the toggle's current width, before the notice offset.
    struct Pieces {
        QRectF symbol;
        QRectF name;
        QRectF count;
    };
    Pieces pieces()
    {
        const qreal symbolSide = PanelIcons::side(NotchSummary::kSymbolSize);
        const QString &count = m_summary.m_shownCount;
        const qreal countWidth = m_count.width(countFont(), count) + 2 * NotchSummary::kCountPadding;
        const bool wide = m_summary.m_identity && !m_summary.m_identity->isHidden();
        const qreal nameWidth = wide ? m_summary.m_identity->sizeHint().width() : 0;
        const qreal total = symbolSide + countWidth + NotchSummary::kSpacing + (wide ? nameWidth + NotchSummary::kSpacing : 0);
        qreal x = m_summary.m_controller.isWidthExpanded() ? 0 : (width() - total) / 2;
        const qreal y = -NotchSummary::kHeight * m_summary.m_noticeProgress;
        const qreal middle = y + height() / 2.0;
        Pieces pieces;
        pieces.symbol = QRectF(x, middle - symbolSide / 2, symbolSide, symbolSide);
        x += symbolSide + NotchSummary::kSpacing;
        if (wide) {
            pieces.name = QRectF(x, y, nameWidth, height());
            x += nameWidth + NotchSummary::kSpacing;
        }
        pieces.count = QRectF(x, middle - NotchSummary::kCountHeight / 2.0, countWidth, NotchSummary::kCountHeight);
        return pieces;
    }

    void placeName()
    {
        if (m_summary.m_identity)
            m_summary.m_identity->setGeometry(pieces().name.toRect());
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const PanelStyle::Colors &colors = PanelStyle::colors(this);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const Pieces at = pieces();
        PanelIcons::paint(painter, at.symbol, QStringLiteral("square.stack.3d.up"), NotchSummary::kSymbolSize, colors.accent);
        PanelStyle::fillRounded(painter, at.count, at.count.height() / 2, colors.controlSurface);
        m_count.draw(painter, at.count, countFont(), m_summary.m_shownCount, colors.secondary, Qt::AlignCenter);
    }
    void resizeEvent(QResizeEvent *) override { placeName(); }

private:
    NotchSummary &m_summary;
    // The row slides up and back on every frame of the notice.
    TextPicture m_count;
};

// The notice over the row: a check mark and "Skopírované" (or "Screenshot pridaný"). It takes
// no clicks, so a click on it still toggles the panel.
class NotchNoticeLayer : public QWidget {
public:
    explicit NotchNoticeLayer(NotchSummary &summary) : QWidget(&summary), m_summary(summary)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const qreal progress = m_summary.m_noticeProgress;
        if (progress <= 0)
            return;
        const bool wide = m_summary.m_controller.isWidthExpanded();
        const bool screenshot = m_summary.showsScreenshotNotice();
        const QString text = m_summary.noticeText().isEmpty() ? m_lastText : m_summary.noticeText();
        if (!m_summary.noticeText().isEmpty())
            m_lastRefusal = m_summary.showsRefusal();
        m_lastText = text;
        const qreal checkSize = screenshot ? NotchSummary::kCheckSizeNarrow
                                           : (wide ? NotchSummary::kCheckSizeWide : NotchSummary::kCheckSizeNarrow);
        const QFont &face = noticeFont(wide);
        const qreal spacing = wide ? NotchSummary::kNoticeSpacingWide : NotchSummary::kNoticeSpacingNarrow;
        const qreal checkSide = PanelIcons::side(checkSize);
        const qreal textWidth = m_text.width(face, text);
        const qreal total = checkSide + spacing + textWidth;
        // In from below while appearing, out through the top while leaving.
        const qreal travel = NotchSummary::kHeight * (1 - progress);
        const qreal y = m_summary.m_noticeShown ? travel : -travel;
        const qreal x = (width() - total) / 2;
        const PanelStyle::Colors &colors = PanelStyle::colors(this);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setOpacity(progress);
        // A copy that was not kept must not look like one that was: the warning sign, as the
        // other problems of the panel show it, instead of the check mark.
        PanelIcons::paint(painter, QRectF(x, y + (height() - checkSide) / 2, checkSide, checkSide),
                          m_lastRefusal ? QStringLiteral("exclamationmark.triangle") : QStringLiteral("checkmark.circle.fill"),
                          checkSize, m_lastRefusal ? colors.systemOrange : colors.accent);
        m_text.draw(painter, QRectF(x + checkSide + spacing, y, textWidth, height()), face, text, colors.primary);
    }

private:
    NotchSummary &m_summary;
    // What the notice said while it showed, kept while it leaves.
    QString m_lastText;
    bool m_lastRefusal = false;
    TextPicture m_text;
};

NotchSummary::NotchSummary(PanelModelLink &model, PanelController &controller, QWidget *parent)
    : QWidget(parent), m_model(model), m_controller(controller)
{
    setFixedHeight(kHeight);
    m_toggle = new NotchSummaryToggle(*this);
    m_toggle->setObjectName(QStringLiteral("notchSummaryToggle"));
    connect(m_toggle, &QAbstractButton::clicked, &controller, [this] { m_controller.toggleExpanded(); });

    const auto button = [this](const QString &symbol, const QString &help, const char *name) {
        auto *item = new EntryOverflowButton(symbol, this);
        item->setObjectName(QString::fromLatin1(name));
        item->setToolTip(L10n::text(help));
        item->setAccessibleName(L10n::text(help));
        item->setFocusPolicy(Qt::NoFocus);
        return item;
    };
    m_readText = button(QStringLiteral("text.viewfinder"), QStringLiteral("Čítať text z obrazovky"), "readText");
    m_settings = button(QStringLiteral("gearshape"), QStringLiteral("Nastavenia"), "settings");
    m_quit = button(QStringLiteral("power"), QStringLiteral("Ukončiť Tarnel"), "quit");
    m_quit->setDestructive(true);
    connect(m_readText, &QAbstractButton::clicked, &controller, [this] {
        if (!m_controller.isReadingScreenText())
            m_controller.readTextFromScreen();
    });
    connect(m_settings, &QAbstractButton::clicked, this, &NotchSummary::settingsRequested);
    connect(m_quit, &QAbstractButton::clicked, &controller, [this] { m_controller.quitApplication(); });

    m_noticeLayer = new NotchNoticeLayer(*this);
    m_noticeLayer->setObjectName(QStringLiteral("noticeLayer"));
    m_noticeShown = showsNotice();
    m_noticeProgress = m_noticeShown ? 1 : 0;

    // Queued: the row follows the model and the controller once their own call has returned.
    connect(&model, &PanelModelLink::entriesChanged, this, &NotchSummary::refresh, Qt::QueuedConnection);
    connect(&model, &PanelModelLink::screenshotNoticeChanged, this, &NotchSummary::followNotice, Qt::QueuedConnection);
    connect(&model, &PanelModelLink::copiedNoticeVisibleChanged, this, &NotchSummary::followNotice, Qt::QueuedConnection);
    connect(&controller, &PanelController::isWidthExpandedChanged, this, &NotchSummary::refresh, Qt::QueuedConnection);
    connect(&controller, &PanelController::isContentExpandedChanged, this, &NotchSummary::refresh, Qt::QueuedConnection);
    connect(&controller, &PanelController::isReadingScreenTextChanged, this, &NotchSummary::refresh, Qt::QueuedConnection);
    connect(&controller, &PanelController::presentationModeChanged, this, &NotchSummary::followNotice, Qt::QueuedConnection);
    refresh();
}

QString NotchSummary::countText() const
{
    return FormattedText::substitute(L10n::text(QStringLiteral("%lld")), {QString::number(m_model.entryCount())});
}

QString NotchSummary::countPhrase(int count)
{
    // The whole count decides, not its last digit.
    const QString noun = count == 1 ? QStringLiteral("položka")
                         : (count >= 2 && count <= 4) ? QStringLiteral("položky")
                                                      : QStringLiteral("položiek");
    return QString::number(count) + u' ' + L10n::text(noun);
}

bool NotchSummary::showsScreenshotNotice() const
{
    return m_model.screenshotNotice() && m_controller.showsScreenshotNoticeInNotch();
}

bool NotchSummary::showsNotice() const
{
    // A screenshot comes with the copied notice; where the toast shows it, the row keeps its label.
    return m_model.copiedNoticeVisible() && (!m_model.screenshotNotice() || showsScreenshotNotice());
}

bool NotchSummary::showsRefusal() const
{
    return !m_model.screenshotNotice() && m_model.copiedNoticeVisible()
        && (m_model.imageNotKeptNotice() || m_model.textNotKeptNotice() || m_model.copyNotKeptNotice()
            || m_model.nothingSelectedNotice());
}

QString NotchSummary::noticeText() const
{
    if (m_model.screenshotNotice())
        return showsScreenshotNotice() ? L10n::text(QStringLiteral("Screenshot pridaný")) : QString();
    if (m_model.copiedNoticeVisible() && m_model.imageNotKeptNotice())
        return L10n::text(QStringLiteral("Obrázok sa nedá uložiť"));
    if (m_model.copiedNoticeVisible() && m_model.textNotKeptNotice())
        return L10n::text(QStringLiteral("Text je príliš dlhý"));
    if (m_model.copiedNoticeVisible() && m_model.copyNotKeptNotice())
        return L10n::text(QStringLiteral("Kópia sa neuložila"));
    if (m_model.copiedNoticeVisible() && m_model.nothingSelectedNotice())
        return L10n::text(QStringLiteral("Nič nie je označené"));
    if (m_model.copiedNoticeVisible())
        return L10n::text(QStringLiteral("Skopírované"));
    return QString();
}

QString NotchSummary::accessibleSummary() const
{
    const QString status = noticeText().isEmpty() ? QStringLiteral("Tarnel") : noticeText();
    return status + QStringLiteral(", ") + countPhrase(m_model.entryCount());
}

void NotchSummary::followNotice()
{
    const bool shown = showsNotice();
    if (shown != m_noticeShown) {
        m_noticeShown = shown;
        PanelMotion::animate(this, "notice", m_noticeProgress, shown ? 1.0 : 0.0, kNoticeAnimation,
                             PanelMotion::easeInOut(), [this](const QVariant &value) {
                                 m_noticeProgress = value.toReal();
                                 static_cast<NotchSummaryToggle *>(m_toggle)->placeName();
                                 m_toggle->update();
                                 m_noticeLayer->update();
                             });
    }
    refresh();
}

void NotchSummary::refresh()
{
    const bool wide = m_controller.isWidthExpanded();
    // The name exists only while the notch is wide; it starts its own idle loop afresh.
    if (wide && !m_identity) {
        m_identity = new NotchIdentityView(m_controller.presentationMode() == ClipboardPresentationMode::Notch, m_toggle);
        m_identity->setNameFont(PanelStyle::font(kNameSize, QFont::DemiBold));
        m_identity->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_identity->show();
    } else if (!wide && m_identity) {
        delete m_identity;
    }
    if (m_identity)
        m_identity->setAnimationEnabled(m_controller.presentationMode() == ClipboardPresentationMode::Notch);

    const bool expanded = m_controller.isContentExpanded();
    m_readText->setVisible(expanded);
    m_settings->setVisible(expanded);
    m_quit->setVisible(expanded);
    const bool reading = m_controller.isReadingScreenText();
    m_readText->setOpen(reading);
    m_readText->setEnabled(!reading);

    m_shownCount = countText();
    m_toggle->setAccessibleName(accessibleSummary());
    m_toggle->setAccessibleDescription(L10n::text(expanded ? QStringLiteral("Rozbalené") : QStringLiteral("Zbalené")));
    relayout();
    m_toggle->update();
    m_noticeLayer->update();
}

void NotchSummary::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    relayout();
}

void NotchSummary::relayout()
{
    const QRect row = rect().adjusted(kSidePadding, 0, -kSidePadding, 0);
    int right = row.right() + 1;
    if (m_controller.isContentExpanded()) {
        for (EntryOverflowButton *item : {m_quit, m_settings, m_readText}) {
            const QSize size = item->sizeHint();
            right -= size.width();
            item->setGeometry(right, (kHeight - size.height()) / 2, size.width(), size.height());
            right -= kSpacing;
        }
    }
    m_toggle->setGeometry(row.left(), 0, std::max(0, right - row.left()), kHeight);
    static_cast<NotchSummaryToggle *>(m_toggle)->placeName();
    m_noticeLayer->setGeometry(rect());
    m_noticeLayer->raise();
}
