#include "ui/panel/NotchIdentityView.h"

#include "ui/style/PanelMotion.h"
#include "ui/style/PanelStyle.h"
#include "ui/style/PanelText.h"

#include <QPainter>
#include <QRandomGenerator>

#include <cmath>

using namespace std::chrono_literals;

namespace {
constexpr qreal kNameFontSize = 11;
} // namespace

const std::vector<NotchIdentityView::Frame> &NotchIdentityView::frames(Expression expression)
{
    static const std::vector<Frame> blink{{QStringLiteral("(o_o)"), 400ms}, {QStringLiteral("(-_-)"), 120ms},
                                          {QStringLiteral("(o_o)"), 700ms}};
    static const std::vector<Frame> wink{{QStringLiteral("(o_o)"), 400ms}, {QStringLiteral("(o_-)"), 220ms},
                                         {QStringLiteral("(o_o)"), 700ms}};
    static const std::vector<Frame> glance{{QStringLiteral("(o_o)"), 350ms}, {QStringLiteral("(<_<)"), 650ms},
                                           {QStringLiteral("(o_o)"), 200ms}, {QStringLiteral("(>_>)"), 650ms},
                                           {QStringLiteral("(o_o)"), 550ms}};
    switch (expression) {
    case Expression::Blink:
        return blink;
    case Expression::Wink:
        return wink;
    case Expression::Glance:
        return glance;
    }
    return blink;
}

NotchIdentityView::NotchIdentityView(bool animationEnabled, QWidget *parent)
    : QWidget(parent), m_animationEnabled(animationEnabled), m_nameFont(PanelStyle::font(kNameFontSize, QFont::DemiBold)),
      m_random([] { return QRandomGenerator::global()->generateDouble(); })
{
    setFixedHeight(kHeight);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &NotchIdentityView::runPendingStep);
}

QSize NotchIdentityView::sizeHint() const
{
    const int name = PanelText::width(m_nameFont, kName);
    const int face = PanelText::width(PanelStyle::font(kFaceFontSize, QFont::Medium), QStringLiteral("(>_>)"));
    return QSize(std::max(name, face), kHeight);
}

void NotchIdentityView::setAnimationEnabled(bool enabled)
{
    if (m_animationEnabled == enabled)
        return;
    m_animationEnabled = enabled;
    restart();
}

void NotchIdentityView::setNameFont(const QFont &font)
{
    m_nameFont = font;
    updateGeometry();
    update();
}

void NotchIdentityView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    restart();
}

void NotchIdentityView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    stop();
}

void NotchIdentityView::runPendingStep()
{
    m_timer.stop();
    if (auto step = std::exchange(m_step, nullptr))
        step();
}

void NotchIdentityView::schedule(std::chrono::milliseconds delay, std::function<void()> step)
{
    m_step = std::move(step);
    m_timer.start(delay);
}

std::chrono::milliseconds NotchIdentityView::draw(std::chrono::milliseconds low, std::chrono::milliseconds high)
{
    const double t = std::clamp(m_random(), 0.0, 1.0);
    return std::chrono::milliseconds(std::llround(double(low.count()) + t * double((high - low).count())));
}

void NotchIdentityView::restart()
{
    stop();
    if (!m_animationEnabled || !isVisible())
        return;
    schedule(draw(kFirstPauseMin, kFirstPauseMax), [this] { showAvatar(); });
}

void NotchIdentityView::stop()
{
    m_timer.stop();
    m_step = nullptr;
    setAvatarVisible(false);
}

void NotchIdentityView::showAvatar()
{
    m_face = kRestFace;
    setAvatarVisible(true);
    schedule(kRestFaceHold, [this] {
        const int pick = std::min(2, int(m_random() * 3));
        runFrame(Expression(pick), 0);
    });
}

void NotchIdentityView::runFrame(Expression expression, std::size_t index)
{
    const std::vector<Frame> &list = frames(expression);
    if (index >= list.size()) {
        setAvatarVisible(false);
        schedule(draw(kPauseMin, kPauseMax), [this] { showAvatar(); });
        return;
    }
    m_face = list[index].face;
    update();
    schedule(list[index].duration, [this, expression, index] { runFrame(expression, index + 1); });
}

void NotchIdentityView::setAvatarVisible(bool visible)
{
    if (m_avatarVisible == visible)
        return;
    m_avatarVisible = visible;
    PanelMotion::animate(this, "crossFade", m_avatarOpacity, visible ? 1.0 : 0.0, kCrossFade, PanelMotion::easeInOut(),
                         [this](const QVariant &value) {
                             m_avatarOpacity = value.toReal();
                             update();
                         });
}

void NotchIdentityView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const PanelStyle::Colors &c = PanelStyle::colors(this);
    if (m_avatarOpacity < 1) {
        painter.setOpacity(1 - m_avatarOpacity);
        painter.setPen(c.primary);
        PanelText::drawFixed(painter, rect(), m_nameFont, kName);
    }
    if (m_avatarOpacity > 0) {
        painter.setOpacity(m_avatarOpacity);
        painter.setPen(c.accent);
        PanelText::drawFixed(painter, rect(), PanelStyle::font(kFaceFontSize, QFont::Medium), m_face);
    }
}
