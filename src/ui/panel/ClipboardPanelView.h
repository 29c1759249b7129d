#pragma once

#include "core/ClipboardEntry.h"
#include "engine/QuickImageActionRequest.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class PanelController;
class PanelModelLink;
class QLabel;

// Stand-in for the panel's root view until the real one is built: draws the notch at the
// size the controller publishes and says plainly that the panel's contents are missing. In
// the settings window it offers the one setting the shell itself owns, the presentation mode.
class ClipboardPanelView : public QWidget {
    Q_OBJECT
public:
    ClipboardPanelView(PanelModelLink &model, PanelController &controller, bool isStandaloneSettings,
                       QWidget *parent = nullptr);

    bool isStandaloneSettings() const { return m_isStandaloneSettings; }
    // The text the placeholder shows (also read by tests).
    QString statusText() const;

    // The one dispatch of image actions asked for in Quick Access: preview and edit open a sheet
    // over it, the two saves go through saveQuickImage.
    void performQuickImageAction(QuickImageAction action, const ClipboardEntry &entry);
    // Encodes the entry's image (PNG, or JPEG for saveJPG), asks where to put it and writes it
    // there. Returns at once; an entry without a readable image asks nothing.
    void saveQuickImage(const ClipboardEntry &entry, QuickImageAction format);
    // The open preview or edit sheet, if any.
    QWidget *imageSheet() const { return m_imageSheet; }

    // Asks the user where to save; calls onChosen with the path on confirmation only. A
    // modeless file dialog unless set (tests set it).
    std::function<void(const QString &proposedName, QuickImageAction format,
                       std::function<void(const QString &path)> onChosen)>
        savePanel;
Q_SIGNALS:
    // A chosen file could not be written (the desktop's beep has told the user).
    void saveFailed();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void buildSettings();
    void refresh();
    void openImageSheet(const ClipboardEntry &entry, bool edit);

    PanelModelLink &m_model;
    PanelController &m_controller;
    bool m_isStandaloneSettings;
    QLabel *m_status = nullptr;
    QPointer<QWidget> m_imageSheet;
};
