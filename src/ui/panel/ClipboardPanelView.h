#pragma once

#include <QWidget>

class NotchPanelController;
class PanelModelLink;
class QLabel;

// Stand-in for the panel's root view until the real one is built: draws the notch at the
// size the controller publishes and says plainly that the panel's contents are missing. In
// the settings window it offers the one setting the shell itself owns, the presentation mode.
class ClipboardPanelView : public QWidget {
    Q_OBJECT
public:
    ClipboardPanelView(PanelModelLink &model, NotchPanelController &controller, bool isStandaloneSettings,
                       QWidget *parent = nullptr);

    bool isStandaloneSettings() const { return m_isStandaloneSettings; }
    // The text the placeholder shows (also read by tests).
    QString statusText() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void buildSettings();
    void refresh();

    PanelModelLink &m_model;
    NotchPanelController &m_controller;
    bool m_isStandaloneSettings;
    QLabel *m_status = nullptr;
};
