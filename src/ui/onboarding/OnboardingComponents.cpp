#include "ui/onboarding/OnboardingComponents.h"

#include "core/L10n.h"
#include "ui/panel/IconTile.h"
#include "ui/settings/PickerOption.h"
#include "ui/settings/SettingToggle.h"
#include "ui/settings/SettingsCard.h"
#include "ui/style/PanelButton.h"
#include "ui/style/PanelIcons.h"
#include "ui/style/PanelText.h"
#include "ui/tools/ToolText.h"

#include <QBoxLayout>
#include <QPainter>

#include <algorithm>

namespace OnboardingComponents {

namespace {

// A text that wraps onto as many lines as it needs and is never cut.
ToolText *wrapping(const QString &text, qreal size, int weight, ToolText::Role role, QWidget *parent)
{
    auto *label = new ToolText(text, size, weight, role, parent);
    label->setWordWrap(true);
    label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    return label;
}

constexpr qreal kFocusRingOpacity = 0.5;

// A choice the keyboard can reach shows where the keyboard is, since Space takes it.
class FocusedChoice : public PickerOption {
public:
    using PickerOption::PickerOption;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        PickerOption::paintEvent(event);
        if (!hasFocus())
            return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        PanelStyle::strokeRounded(painter, QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), kChoiceRadius,
                                  PanelStyle::withOpacity(PanelStyle::colors(this).accent, kFocusRingOpacity), 1);
    }
    void focusInEvent(QFocusEvent *event) override
    {
        PickerOption::focusInEvent(event);
        update();
    }
    void focusOutEvent(QFocusEvent *event) override
    {
        PickerOption::focusOutEvent(event);
        update();
    }
};

QVBoxLayout *column(int spacing)
{
    auto *layout = new QVBoxLayout;
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

} // namespace

QWidget *pageHeading(const QString &title, const QString &subtitle, QWidget *parent)
{
    auto *heading = new QWidget(parent);
    auto *layout = column(kHeadingSpacing);
    heading->setLayout(layout);
    layout->addWidget(new ToolText(title, kHeadingTitleSize, QFont::Bold, ToolText::Role::Primary, heading));
    layout->addWidget(wrapping(subtitle, kHeadingSubtitleSize, QFont::Normal, ToolText::Role::Secondary, heading));
    return heading;
}

QWidget *iconTile(const QString &symbol, QWidget *parent)
{
    return new IconTile(symbol, kTileSymbolSize, kTileSide, kTileRadius, kTileTintOpacity, parent);
}

QWidget *heroTile(const QString &symbol, qreal symbolSize, int side, qreal radius, QWidget *parent)
{
    return new IconTile(symbol, symbolSize, side, radius, kTileTintOpacity, parent);
}

QWidget *cardTexts(const QString &title, const QString &detail, QWidget *parent)
{
    auto *texts = new QWidget(parent);
    auto *layout = column(kCardTextSpacing);
    texts->setLayout(layout);
    layout->addWidget(new ToolText(title, kCardTitleSize, QFont::DemiBold, ToolText::Role::Primary, texts));
    layout->addWidget(wrapping(detail, kCardDetailSize, QFont::Normal, ToolText::Role::Secondary, texts));
    return texts;
}

QWidget *featureCard(const QString &title, const QString &detail, const QString &symbol, QWidget *parent)
{
    auto *card = new SettingsCard(Qt::Horizontal, kFeaturePadding, kFeatureSpacing, kFeatureRadius, parent);
    card->layout()->addWidget(iconTile(symbol, card), 0, Qt::AlignVCenter);
    card->layout()->addWidget(cardTexts(title, detail, card), 1, Qt::AlignVCenter);
    return card;
}

QWidget *permissionCard(const QString &title, const QString &detail, const QString &symbol, bool isGranted,
                        const QString &buttonName, const std::function<void()> &action, QWidget *parent)
{
    auto *card = new SettingsCard(Qt::Vertical, kPermissionPadding, kPermissionSpacing, kPermissionRadius, parent);
    auto *top = new QHBoxLayout;
    top->setSpacing(kPermissionRowSpacing);
    top->addWidget(iconTile(symbol, card), 0, Qt::AlignVCenter);
    top->addWidget(cardTexts(title, detail, card), 1, Qt::AlignVCenter);
    card->layout()->addLayout(top);

    auto *status = new QHBoxLayout;
    status->setSpacing(kStatusSpacing);
    const ToolText::Role role = isGranted ? ToolText::Role::Accent : ToolText::Role::Secondary;
    status->addWidget(ToolText::symbol(isGranted ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("circle.dotted"),
                                       kStatusSize, role, card), 0, Qt::AlignVCenter);
    auto *word = new ToolText(isGranted ? L10n::text(QStringLiteral("Povolené"))
                                        : L10n::text(QStringLiteral("Čaká na povolenie")),
                              kStatusSize, QFont::Medium, role, card);
    word->setObjectName(buttonName + QStringLiteral("-status"));
    status->addWidget(word, 0, Qt::AlignVCenter);
    status->addStretch(1);
    // A granted permission needs nothing more: no button, and nothing in its place.
    if (!isGranted) {
        auto *button = new PanelButton(L10n::text(QStringLiteral("Ako to povoliť")), true, kButtonHeight, kButtonPadding, card);
        button->setObjectName(buttonName);
        QObject::connect(button, &QAbstractButton::clicked, card, [action] {
            if (action)
                action();
        });
        status->addWidget(button);
    }
    card->layout()->addLayout(status);
    return card;
}

PickerOption *choiceButton(const QString &title, const QString &symbol, bool selected,
                           const std::function<void()> &action, QWidget *parent)
{
    const QFont titleFont = PanelStyle::font(kChoiceTitleSize, QFont::DemiBold);
    auto paint = [=](QPainter &painter, const QRectF &rect, bool isSelected, const PanelStyle::Colors &colors) {
        const QColor ink = isSelected ? colors.accent : colors.primary;
        const QRectF content = rect.adjusted(kChoicePadding, 0, -kChoicePadding, 0);
        const qreal side = PanelIcons::side(kChoiceSymbolSize);
        PanelIcons::paint(painter, QRectF(content.left(), content.center().y() - side / 2, side, side), symbol,
                          kChoiceSymbolSize, ink);
        PickerMarks::paint(painter, QRectF(content.right() - side, content.center().y() - side / 2, side, side),
                           isSelected, colors, false);
        painter.setPen(ink);
        const qreal left = content.left() + side + kChoiceContentSpacing;
        PanelText::drawFixed(painter, QRectF(left, content.top(), PanelText::width(titleFont, title), content.height()),
                             titleFont, title);
    };
    const int width = kChoicePadding * 2 + int(PanelIcons::side(kChoiceSymbolSize)) * 2 + kChoiceContentSpacing * 2
        + PanelText::width(titleFont, title);
    const PickerOption::Frame frame{kChoiceRadius, kChoiceSelectedOpacity, 0, false};
    auto *option = new FocusedChoice(title, QSize(width, kChoiceMinimumHeight), frame, paint, parent);
    option->setSelected(selected);
    QObject::connect(option, &QAbstractButton::clicked, option, [action] {
        if (action)
            action();
    });
    return option;
}

SettingToggle *preferenceToggle(const QString &title, const std::function<bool()> &value,
                                const std::function<void(bool)> &flipped, QWidget *parent)
{
    auto *toggle = new SettingToggle(title, QString(), QString(), parent);
    toggle->layout()->setContentsMargins(kRowPadding, 0, kRowPadding, 0);
    toggle->setFixedHeight(kRowHeight);
    toggle->setValue(value());
    QObject::connect(toggle, &SettingToggle::toggled, toggle, [toggle, value, flipped](bool on) {
        if (flipped)
            flipped(on);
        toggle->setValue(value());
    });
    return toggle;
}

QWidget *valueRow(const QString &title, const QString &value, bool accent, QWidget *parent)
{
    auto *row = new QWidget(parent);
    row->setFixedHeight(kRowHeight);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(kRowPadding, 0, kRowPadding, 0);
    layout->addWidget(new ToolText(title, kRowTitleSize, QFont::Medium, ToolText::Role::Primary, row));
    layout->addStretch(1);
    auto *word = new ToolText(value, kRowValueSize, QFont::Medium, accent ? ToolText::Role::Accent : ToolText::Role::Secondary, row);
    word->setObjectName(QStringLiteral("value"));
    layout->addWidget(word);
    return row;
}

QWidget *summaryRow(const QString &title, bool enabled, QWidget *parent)
{
    return valueRow(title, enabled ? L10n::text(QStringLiteral("Aktívne")) : L10n::text(QStringLiteral("Neskôr")), enabled,
                    parent);
}

QWidget *note(const QString &symbol, const QString &text, bool warning, QWidget *parent)
{
    auto *line = new QWidget(parent);
    auto *layout = new QHBoxLayout(line);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kNoteSpacing);
    const ToolText::Role role = warning ? ToolText::Role::Warning : ToolText::Role::Secondary;
    auto *words = wrapping(text, kNoteSize, QFont::Normal, role, line);
    words->setObjectName(QStringLiteral("noteText"));
    // The text takes the height its lines need at the width it gets, starting at the top, so
    // its first line is where the symbol beside it expects it.
    QSizePolicy policy = words->sizePolicy();
    policy.setHeightForWidth(true);
    words->setSizePolicy(policy);
    words->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The symbol stands centred beside the first line: beside the whole of a one-line note, and
    // beside the top line of one that wraps.
    ToolText *mark = ToolText::symbol(symbol, kNoteSize, role, line);
    const int firstLine = words->fontMetrics().height();
    mark->setContentsMargins(0, std::max(0, qRound((firstLine - mark->sizeHint().height()) / 2.0)), 0, 0);
    layout->addWidget(mark, 0, Qt::AlignTop);
    layout->addWidget(words, 1);
    return line;
}

QWidget *sectionLabel(const QString &text, QWidget *parent)
{
    return new ToolText(text, kRowTitleSize, QFont::DemiBold, ToolText::Role::Secondary, parent);
}

} // namespace OnboardingComponents
