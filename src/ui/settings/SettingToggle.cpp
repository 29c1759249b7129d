#include "ui/settings/SettingToggle.h"

#include "ui/style/PanelMotion.h"
#include "ui/style/PanelStyle.h"
#include "ui/tools/ToolText.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QPainter>
#include <QPen>
#include <QPointer>
#include <QVariantAnimation>
#include <QVBoxLayout>

namespace {

constexpr QSize kSwitchSize(32, 18);
constexpr std::chrono::milliseconds kSwitchDuration{160};
constexpr std::chrono::milliseconds kSettleAtOnce{0};
constexpr QColor kKnobColor(255, 255, 255);

// A small switch in the kit's colours: the accent track when on, the control surface when off.
class SettingSwitch : public QAbstractButton {
public:
    explicit SettingSwitch(QWidget *parent) : QAbstractButton(parent)
    {
        setCheckable(true);
        setFixedSize(kSwitchSize);
        setCursor(Qt::PointingHandCursor);
        connect(this, &QAbstractButton::toggled, this, [this](bool on) { moveKnob(on, kSwitchDuration); });
    }

    // The state the owner reports. A glide that a click has started turns toward it from where
    // the knob is (a refused change arrives while the knob still heads for the refused state);
    // a switch at rest shows it at once.
    void setCheckedQuietly(bool on)
    {
        const QSignalBlocker blocker(this);
        setChecked(on);
        moveKnob(on, m_glide ? kSwitchDuration : kSettleAtOnce);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const PanelStyle::Colors &colors = PanelStyle::colors(this);
        if (!isEnabled())
            painter.setOpacity(0.4);
        const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        const QColor fill = PanelStyle::mix(colors.controlSurface, colors.accent, m_knob);
        PanelStyle::fillRounded(painter, track, track.height() / 2, fill);
        PanelStyle::strokeRounded(painter, track, track.height() / 2, colors.border, 0.7);
        const qreal side = track.height() - 4;
        const QRectF knob(track.left() + 2 + (track.width() - side - 4) * m_knob, track.top() + 2, side, side);
        // A switch's knob is white in either state and scheme, the way desktop switches draw it; a
        // hairline keeps it apart from the pale off track of the light scheme.
        painter.setPen(QPen(colors.border, 0.7));
        painter.setBrush(kKnobColor);
        painter.drawEllipse(knob);
    }

private:
    void moveKnob(bool on, std::chrono::milliseconds duration)
    {
        m_glide = PanelMotion::animate(this, "knob", m_knob, on ? 1.0 : 0.0, duration, PanelMotion::easeInOut(),
                                       [this](const QVariant &value) {
                                           m_knob = value.toReal();
                                           update();
                                       });
    }


    qreal m_knob = 0;
    QPointer<QVariantAnimation> m_glide;
};

} // namespace

SettingToggle::SettingToggle(const QString &title, const QString &subtitle, const QString &symbol, QWidget *parent)
    : QWidget(parent)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    row->setSpacing(kSpacing);
    auto *icon = ToolText::symbol(symbol, kSymbolSize, ToolText::Role::Secondary, this);
    auto *iconFrame = new QWidget(this);
    iconFrame->setFixedWidth(kSymbolWidth);
    auto *iconLayout = new QHBoxLayout(iconFrame);
    iconLayout->setContentsMargins(0, 0, 0, 0);
    iconLayout->addWidget(icon, 0, Qt::AlignCenter);
    row->addWidget(iconFrame);
    // A row without a symbol or a subtitle (the guide's switches) shows only its title.
    iconFrame->setVisible(!symbol.isEmpty());

    auto *texts = new QVBoxLayout;
    texts->setSpacing(kTextSpacing);
    m_title = new ToolText(title, kTitleSize, QFont::Medium, ToolText::Role::Primary, this);
    m_subtitle = new ToolText(subtitle, kSubtitleSize, QFont::Normal, ToolText::Role::Secondary, this);
    m_subtitle->setWordWrap(true);
    texts->addWidget(m_title);
    texts->addWidget(m_subtitle);
    m_subtitle->setVisible(!subtitle.isEmpty());
    row->addLayout(texts, 1);

    auto *toggle = new SettingSwitch(this);
    toggle->setAccessibleName(title);
    m_switch = toggle;
    row->addWidget(toggle, 0, Qt::AlignVCenter);
    connect(toggle, &QAbstractButton::clicked, this, &SettingToggle::toggled);
}

void SettingToggle::setTexts(const QString &title, const QString &subtitle)
{
    m_title->setText(title);
    m_subtitle->setText(subtitle);
    m_subtitle->setVisible(!subtitle.isEmpty());
    m_switch->setAccessibleName(title);
}

void SettingToggle::setValue(bool on)
{
    if (m_switch->isChecked() != on)
        static_cast<SettingSwitch *>(m_switch)->setCheckedQuietly(on);
}

bool SettingToggle::value() const
{
    return m_switch->isChecked();
}
