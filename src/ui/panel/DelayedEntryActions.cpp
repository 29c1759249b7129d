#include "ui/panel/DelayedEntryActions.h"

#include "ui/style/PanelMotion.h"

#include <QGraphicsOpacityEffect>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

DelayedEntryActions::DelayedEntryActions(QWidget *content, QWidget *parent)
    : QWidget(parent), m_content(content), m_opacity(new QGraphicsOpacityEffect), m_delay(new QTimer(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
    m_opacity->setOpacity(0);
    content->setGraphicsEffect(m_opacity); // the content owns the effect from here
    content->setAttribute(Qt::WA_TransparentForMouseEvents, true);
    m_delay->setSingleShot(true);
    connect(m_delay, &QTimer::timeout, this, &DelayedEntryActions::reveal);
}

void DelayedEntryActions::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_revealed)
        return;
    const auto delay = PanelMotion::scaled(kRevealDelay);
    if (delay.count() <= 0)
        reveal();
    else
        m_delay->start(delay);
}

void DelayedEntryActions::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_delay->stop();
}

void DelayedEntryActions::reveal()
{
    if (m_revealed || !m_content)
        return;
    m_revealed = true;
    m_content->setAttribute(Qt::WA_TransparentForMouseEvents, false);
    PanelMotion::animate(this, "reveal", 0.0, 1.0, kFadeDuration, PanelMotion::easeOut(), [this](const QVariant &value) {
        m_revealOpacity = value.toReal();
        applyOpacity();
    });
    Q_EMIT revealed();
}

void DelayedEntryActions::setPresence(qreal presence)
{
    presence = std::clamp<qreal>(presence, 0, 1);
    if (qFuzzyCompare(presence, m_presence))
        return;
    m_presence = presence;
    applyOpacity();
}

void DelayedEntryActions::applyOpacity()
{
    if (!m_content)
        return;
    const qreal shown = opacity();
    // Fully shown content draws directly, without an offscreen pass per paint.
    if (shown >= 1.0) {
        m_content->setGraphicsEffect(nullptr);
        return;
    }
    if (!m_opacity) {
        m_opacity = new QGraphicsOpacityEffect;
        m_content->setGraphicsEffect(m_opacity); // the content owns the effect from here
    }
    m_opacity->setOpacity(shown);
}
