#pragma once

#include "core/ClipboardPresentationMode.h"

#include <QWidget>

#include <functional>

class PanelModelLink;
class QRadioButton;

// Stand-in for the first-run guide until it is built: it offers the guide's callbacks as
// plain buttons and the presentation-mode choice, preset to the saved mode, and finishes.
class OnboardingView : public QWidget {
    Q_OBJECT
public:
    using Finish = std::function<void(bool completed, ClipboardPresentationMode mode)>;

    OnboardingView(PanelModelLink &model, std::function<void()> openAccessibility,
                   std::function<void()> openInputMonitoring, std::function<void()> chooseScreenshotFolder,
                   Finish finish, QWidget *parent = nullptr);

    ClipboardPresentationMode selectedMode() const { return m_selectedMode; }
    void selectMode(ClipboardPresentationMode mode);
    // What the guide's last step does: completes it with the chosen mode.
    void complete();

private:
    Finish m_finish;
    ClipboardPresentationMode m_selectedMode;
    QList<QRadioButton *> m_modeButtons;
};
