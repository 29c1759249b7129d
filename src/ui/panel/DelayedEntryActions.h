#pragma once

#include <QPointer>
#include <QWidget>

#include <chrono>

class QGraphicsOpacityEffect;
class QTimer;

// Holds per-entry controls invisible and inert for a moment after they appear, then fades them
// in, so that controls under a pointer that is only passing do not catch its click. Once shown
// they stay for the container's life; a container hidden before the moment passes starts over
// when it is shown again.
class DelayedEntryActions : public QWidget
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kRevealDelay{140};
    static constexpr std::chrono::milliseconds kFadeDuration{120};

    // Takes the content and lays it out to fill the container.
    explicit DelayedEntryActions(QWidget *content, QWidget *parent = nullptr);

    bool isRevealed() const { return m_revealed; }
    QWidget *content() const { return m_content; }
    // How much of the content shows while its container leaves (1 while it stays): the content
    // fades out with the leaving, whatever its reveal had reached.
    void setPresence(qreal presence);
    // The opacity the content is drawn with now: its reveal times its presence.
    qreal opacity() const { return m_revealOpacity * m_presence; }

Q_SIGNALS:
    void revealed();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void reveal();
    void applyOpacity();

    QPointer<QWidget> m_content;
    QPointer<QGraphicsOpacityEffect> m_opacity;
    QTimer *m_delay;
    bool m_revealed = false;
    qreal m_revealOpacity = 0;
    qreal m_presence = 1;
};
