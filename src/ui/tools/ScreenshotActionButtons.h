#pragma once

#include <QWidget>

// The two follow-ups of a new screenshot, side by side and always of one width: edit the image
// on a canvas, or read its text.
class ScreenshotActionButtons : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSpacing = 6;
    static constexpr int kHeight = 32;
    static constexpr int kHorizontalPadding = 8;

    explicit ScreenshotActionButtons(QWidget *parent = nullptr);

Q_SIGNALS:
    void editRequested();
    void textRequested();
};
