#include "ui/style/PanelMotion.h"

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QVariantAnimation>

#include <cmath>

namespace PanelMotion {
namespace {
double g_factor = 1.0;
}

double factor() { return g_factor; }

void setFactor(double value) { g_factor = std::isfinite(value) && value > 0 ? value : 0.0; }

std::chrono::milliseconds scaled(std::chrono::milliseconds duration)
{
    return std::chrono::milliseconds(std::llround(double(duration.count()) * g_factor));
}

namespace {
QEasingCurve bezier(qreal x1, qreal y1, qreal x2, qreal y2)
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(x1, y1), QPointF(x2, y2), QPointF(1, 1));
    return curve;
}
} // namespace

QEasingCurve easeOut() { return bezier(0, 0, 0.58, 1); }
QEasingCurve easeInOut() { return bezier(0.42, 0, 0.58, 1); }

QVariantAnimation *animate(QObject *owner, const char *key, const QVariant &from, const QVariant &to,
                           std::chrono::milliseconds duration, QEasingCurve curve,
                           std::function<void(const QVariant &)> apply)
{
    const QByteArray property = QByteArrayLiteral("tarnelAnimation_") + key;
    if (owner) {
        if (auto *running = owner->property(property.constData()).value<QObject *>())
            delete running;
    }
    const std::chrono::milliseconds length = scaled(duration);
    if (length.count() <= 0 || !owner) {
        apply(to);
        return nullptr;
    }
    auto *animation = new QVariantAnimation(owner);
    animation->setStartValue(from);
    animation->setEndValue(to);
    animation->setDuration(int(length.count()));
    animation->setEasingCurve(curve);
    QObject::connect(animation, &QVariantAnimation::valueChanged, owner, apply);
    owner->setProperty(property.constData(), QVariant::fromValue<QObject *>(animation));
    QObject::connect(animation, &QObject::destroyed, owner, [owner, property, animation] {
        if (owner->property(property.constData()).value<QObject *>() == animation)
            owner->setProperty(property.constData(), QVariant());
    });
    animation->start(QAbstractAnimation::DeleteWhenStopped);
    return animation;
}

} // namespace PanelMotion
