#pragma once

#include "core/ClipboardAppearance.h"
#include "core/ClipboardEntry.h"

#include <QWidget>

#include <functional>

class PanelModelLink;

// Stand-in for the sheet that reads a screenshot's text and QR codes until it is built:
// it says what it is and can be closed.
class ScreenshotTextSheet : public QWidget {
    Q_OBJECT
public:
    ScreenshotTextSheet(ClipboardEntry entry, ClipboardAppearance appearance, std::function<void()> onClose,
                        PanelModelLink &model, QWidget *parent = nullptr);

    const ClipboardEntry &entry() const { return m_entry; }
    // A fresh id for this sheet's text result; a QR result appends "-qr-" and its index.
    const QString &baseResultID() const { return m_baseResultID; }

private:
    ClipboardEntry m_entry;
    QString m_baseResultID;
};
