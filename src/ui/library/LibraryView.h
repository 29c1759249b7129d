#pragma once

#include "core/ClipboardEntry.h"
#include "core/ClipboardPanelTab.h"

#include <QPointer>
#include <QWidget>


class ClipboardModel;
class PanelController;
class PanelSheets;
class QVBoxLayout;

// The selected section's screen inside the details panel: it takes all the room between the
// section strip and the footer. The screens open sheets, menus and clear confirmations through
// the hosting panel (PanelSheets) and act on entries through the model. Only the shown section's
// screen exists; choosing another section builds that one (Gallery and Screenshots share one).
// What a screen asks of the controller (an image's text reading, a missing permission) is
// announced by the view's signals and carried out by the controller.
class LibraryView : public QWidget {
    Q_OBJECT
public:
    LibraryView(ClipboardModel &model, PanelController &controller, PanelSheets &sheets, QWidget *parent = nullptr);

    QWidget *screen() const { return m_screen; }

Q_SIGNALS:
    // Opens an image's text reading; the shell's screenshot action window.
    void readTextRequested(const ClipboardEntry &entry);
    // Shows what a missing permission is and how to grant it (accessibility, else input monitoring).
    void permissionRequested(bool accessibility);

private:
    void showSection();

    ClipboardModel &m_model;
    PanelSheets &m_sheets;
    QVBoxLayout *m_layout = nullptr;
    QPointer<QWidget> m_screen;
    std::optional<ClipboardPanelTab> m_screenTab;
};
