#pragma once

#include "core/ClipboardAppearance.h"
#include "core/ClipboardEntry.h"

#include <QWidget>

#include <functional>

// Stand-in for the screenshot-added card until it is built: names the screenshot and offers
// its two follow-ups, editing the image and reading its text.
class ScreenshotAddedToast : public QWidget {
    Q_OBJECT
public:
    ScreenshotAddedToast(ClipboardEntry entry, ClipboardAppearance appearance, std::function<void()> onEdit,
                         std::function<void()> onText, QWidget *parent = nullptr);

    const ClipboardEntry &entry() const { return m_entry; }

private:
    ClipboardEntry m_entry;
};
