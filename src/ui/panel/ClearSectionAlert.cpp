#include "ui/panel/ClearSectionAlert.h"

#include "core/L10n.h"
#include "ui/panel/IconTile.h"
#include "ui/panel/SheetKeys.h"
#include "ui/style/PanelButton.h"
#include "ui/style/PanelStyle.h"
#include "ui/tools/ToolText.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace {

constexpr int kPadding = 20;
constexpr int kSpacing = 8;
constexpr int kButtonsTop = 10;
constexpr int kIconSide = 40;
constexpr qreal kIconRadius = 12;
constexpr qreal kIconSymbolSize = 17;
constexpr qreal kIconTint = 0.11;
constexpr qreal kTitleSize = 13;
constexpr qreal kMessageSize = 11;
constexpr int kButtonSpacing = 8;
constexpr int kButtonHeight = 32;
constexpr int kButtonPadding = 12;

} // namespace

ClearSectionAlert::ClearSectionAlert(ClearSection section, ClipboardAppearance appearance, QWidget *parent)
    : QWidget(parent)
    , m_section(section)
{
    PanelStyle::applyScheme(this, PanelStyle::schemeFor(appearance));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    layout->setSpacing(kSpacing);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    layout->addWidget(new IconTile(QStringLiteral("trash"), kIconSymbolSize, kIconSide, kIconRadius, kIconTint, this), 0,
                      Qt::AlignHCenter);
    auto *title = new ToolText(QString(), kTitleSize, QFont::DemiBold, ToolText::Role::Primary, this);
    m_texts.label(title, [section] { return ClearSectionTexts::title(section); });
    title->setObjectName(QStringLiteral("title"));
    title->setAlignment(Qt::AlignHCenter);
    title->setWordWrap(true);
    layout->addWidget(title);
    auto *message = new ToolText(QString(), kMessageSize, QFont::Normal, ToolText::Role::Secondary, this);
    m_texts.label(message, [section] { return ClearSectionTexts::message(section); });
    message->setObjectName(QStringLiteral("message"));
    message->setAlignment(Qt::AlignHCenter);
    message->setWordWrap(true);
    layout->addWidget(message);
    layout->addSpacing(kButtonsTop);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(kButtonSpacing);
    auto *cancelButton = new PanelButton(QString(), false, kButtonHeight, kButtonPadding, this);
    cancelButton->setObjectName(QStringLiteral("cancel"));
    m_texts.button(cancelButton, [] { return L10n::text(QStringLiteral("Zrušiť")); });
    auto *confirmButton = new PanelButton(QString(), false, kButtonHeight, kButtonPadding, this);
    m_texts.button(confirmButton, [section] { return ClearSectionTexts::confirmTitle(section); });
    confirmButton->setObjectName(QStringLiteral("confirm"));
    confirmButton->setDestructive(true);
    for (PanelButton *button : {cancelButton, confirmButton}) {
        // Both share the alert's width; the label still sets the least width.
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        buttons->addWidget(button, 1);
    }
    layout->addLayout(buttons);
    // The wrapped texts fix the alert's width; the layout then takes their height at that width.
    const int inner = kWidth - 2 * kPadding;
    title->setFixedWidth(inner);
    message->setFixedWidth(inner);

    connect(cancelButton, &QAbstractButton::clicked, this, &ClearSectionAlert::cancel);
    connect(confirmButton, &QAbstractButton::clicked, this, &ClearSectionAlert::confirm);
    setFocusPolicy(Qt::StrongFocus);
}

void ClearSectionAlert::retranslate()
{
    m_texts.apply();
    adjustSize();
}

void ClearSectionAlert::confirm()
{
    Q_EMIT confirmed();
}

void ClearSectionAlert::cancel()
{
    Q_EMIT cancelled();
}

void ClearSectionAlert::paintEvent(QPaintEvent *)
{
    // Square corners: without a compositor a window has no translucent pixels to round them with.
    QPainter painter(this);
    PanelStyle::fillBackground(painter, QRectF(rect()), PanelStyle::schemeOf(this));
    painter.setPen(PanelStyle::colors(this).border);
    painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

void ClearSectionAlert::keyPressEvent(QKeyEvent *event)
{
    if (SheetKeys::actionFor(*event) == SheetKeys::Action::Cancel) {
        cancel();
        return;
    }
    QWidget::keyPressEvent(event);
}
