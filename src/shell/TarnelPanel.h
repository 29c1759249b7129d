#pragma once

#include <QWidget>

// The notch panel's window: frameless, above other windows, without a taskbar entry, shown
// without taking the keyboard. It may still take the keyboard when Tarnel activates it (its
// search field and lists need it), but it never stands for the application as a main window.
// Only its drawn shape is on screen: the rest of the window is cut away, so the desktop
// below shows through whether or not a compositor runs.
class TarnelPanel : public QWidget {
    Q_OBJECT
public:
    explicit TarnelPanel(Qt::WindowFlags extraFlags = {}, QWidget *parent = nullptr);

    // The roles by which the desktop (and the end-to-end tests) tell Tarnel's windows apart.
    static constexpr char panelRole[] = "tarnel-panel";
    static constexpr char toastRole[] = "tarnel-toast";
    static constexpr char textSheetRole[] = "tarnel-text-sheet";
    static constexpr char popoverRole[] = "tarnel-popover";
    static constexpr char onboardingRole[] = "tarnel-onboarding";
    static constexpr char settingsRole[] = "tarnel-settings";

    // The part of the window that is drawn and can be clicked; empty shows the whole window.
    void setDrawnRegion(const QRegion &region);
    QRegion drawnRegion() const { return m_drawnRegion; }

    // The panel's child widget that fills it (the hosted view).
    void setContent(QWidget *content);
    QWidget *content() const { return m_content; }

private:
    QRegion m_drawnRegion;
    QWidget *m_content = nullptr;
};
