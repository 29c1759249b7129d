#pragma once

// Pointer clicks and waiting for widget tests, without the Qt Test module.

#include <QApplication>
#include <QDeadlineTimer>
#include <QMouseEvent>
#include <QWidget>

#include <chrono>
#include <functional>

namespace testsupport {

// A press and a release at a point of the widget, delivered as the window system would.
inline void click(QWidget *widget, QPointF at, Qt::MouseButton button = Qt::LeftButton,
                  Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    const QPointF global = widget->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, button, button, modifiers);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, button, Qt::NoButton, modifiers);
    QApplication::sendEvent(widget, &release);
}

inline void click(QWidget *widget, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    click(widget, QRectF(widget->rect()).center(), button, modifiers);
}

// Runs the event loop until the condition holds or the limit passes.
inline bool waitFor(const std::function<bool()> &condition, std::chrono::milliseconds limit = std::chrono::seconds(5))
{
    QDeadlineTimer deadline(limit);
    while (!condition() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return condition();
}

} // namespace testsupport
