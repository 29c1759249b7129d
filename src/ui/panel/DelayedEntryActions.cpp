#include "ui/panel/DelayedEntryActions.h"

#include "ui/style/PanelMotion.h"

#include <QGraphicsOpacityEffect>
#include <QTimer>
#include <QVBoxLayout>

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
        if (!m_opacity || !m_content)
            return;
        m_opacity->setOpacity(value.toReal());
        // Fully shown content draws directly again, without an offscreen pass per paint.
        if (value.toReal() >= 1.0)
            m_content->setGraphicsEffect(nullptr);
    });
    Q_EMIT revealed();
}
