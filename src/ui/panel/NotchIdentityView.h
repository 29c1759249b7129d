#pragma once

#include <QFont>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <functional>
#include <vector>

// The name in the wide notch row. Now and then, while the row is shown and the animation is
// enabled (notch presentation), the name cross-fades into a small face that blinks, winks or
// glances, then back. Hiding the view, or turning the animation off, stops the loop at once and
// shows the name.
class NotchIdentityView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kHeight = 40;
    static constexpr qreal kFaceFontSize = 14;
    static constexpr std::chrono::milliseconds kCrossFade{180};
    static constexpr std::chrono::milliseconds kFirstPauseMin{8000};
    static constexpr std::chrono::milliseconds kFirstPauseMax{14000};
    static constexpr std::chrono::milliseconds kRestFaceHold{250};
    static constexpr std::chrono::milliseconds kPauseMin{28000};
    static constexpr std::chrono::milliseconds kPauseMax{55000};
    inline static const QString kName = QStringLiteral("Tarnel");
    inline static const QString kRestFace = QStringLiteral("(o_o)");

    struct Frame {
        QString face;
        std::chrono::milliseconds duration;
    };
    enum class Expression { Blink, Wink, Glance };
    static const std::vector<Frame> &frames(Expression expression);

    explicit NotchIdentityView(bool animationEnabled, QWidget *parent = nullptr);

    void setAnimationEnabled(bool enabled);
    // The name's font; the notch row sets it (Inter 11 semibold by default).
    void setNameFont(const QFont &font);

    bool isAvatarVisible() const { return m_avatarVisible; }
    QString face() const { return m_face; }
    // 0 while the name shows, 1 while the face shows, between while cross-fading.
    qreal avatarOpacity() const { return m_avatarOpacity; }

    // The wait before the loop's next step, and that step run at once: tests move through the
    // loop without waiting. Nothing is pending while the loop is stopped.
    bool hasPendingStep() const { return m_timer.isActive(); }
    std::chrono::milliseconds pendingDelay() const { return std::chrono::milliseconds(m_timer.interval()); }
    void runPendingStep();
    // Replaces the random source (a uniform draw in [0, 1]); tests make it predictable.
    void setRandomSource(std::function<double()> source) { m_random = std::move(source); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void restart();
    void stop();
    void schedule(std::chrono::milliseconds delay, std::function<void()> step);
    std::chrono::milliseconds draw(std::chrono::milliseconds low, std::chrono::milliseconds high);
    void showAvatar();
    void runFrame(Expression expression, std::size_t index);
    void setAvatarVisible(bool visible);

    bool m_animationEnabled;
    bool m_avatarVisible = false;
    qreal m_avatarOpacity = 0;
    QString m_face = kRestFace;
    QFont m_nameFont;
    QTimer m_timer;
    std::function<void()> m_step;
    std::function<double()> m_random;
};
