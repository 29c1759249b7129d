#pragma once

#include <QEasingCurve>
#include <QVariant>

#include <chrono>
#include <functional>

class QObject;
class QVariantAnimation;

// Every animation of the views runs through here, under one global factor: 1 in the program,
// 0 in tests and snapshots, where each animation jumps to its end value at once.
namespace PanelMotion {

double factor();
void setFactor(double factor);

// The duration the factor leaves of `duration` (zero when the factor is zero).
std::chrono::milliseconds scaled(std::chrono::milliseconds duration);

// Animates from `from` to `to` over the scaled duration, calling `apply` for every step and
// once with `to` at the end. With a zero duration `apply(to)` runs before this returns and no
// animation is made (the result is null). The animation belongs to `owner` and replaces the
// one `owner` runs under the same `key`, so that a hover reversing mid-way starts from where
// the last one stopped.
QVariantAnimation *animate(QObject *owner, const char *key, const QVariant &from, const QVariant &to,
                           std::chrono::milliseconds duration, QEasingCurve curve,
                           std::function<void(const QVariant &)> apply);

// The standard timing curves: ease-out (0, 0, 0.58, 1) and ease-in-out (0.42, 0, 0.58, 1).
QEasingCurve easeOut();
QEasingCurve easeInOut();

// Sets the factor for the length of a scope (tests).
class ScopedFactor
{
public:
    explicit ScopedFactor(double value) : m_previous(factor()) { setFactor(value); }
    ~ScopedFactor() { setFactor(m_previous); }
    ScopedFactor(const ScopedFactor &) = delete;
    ScopedFactor &operator=(const ScopedFactor &) = delete;

private:
    double m_previous;
};

} // namespace PanelMotion
