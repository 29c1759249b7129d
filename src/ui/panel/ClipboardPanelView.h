#pragma once

#include "core/ClipboardEntry.h"
#include "core/EntryImageBytes.h"
#include "engine/QuickImageActionRequest.h"
#include "ui/panel/DetailsPanel.h"
#include "ui/panel/NotchSummary.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class ClipboardModel;
class PanelController;
class PanelModelLink;
class PanelSheetHost;

// The root of every panel surface. In the settings window it shows the settings; in the notch
// panel (and the menu-bar popup, which the shell shows only with Quick Access in front of it) it
// is the notch: the summary row on top, below it the details panel while the panel is open, or
// a new screenshot's notice. The outline is drawn at the size the controller publishes, filled
// with the panel's gradient, in the model's appearance; a change of language builds every text
// below the root anew while the open sheets stay.
//
// The root owns the sheet host (sheets, clear confirmation, actions menu) and mirrors what is
// open into the controller and the model, so the panel stays expanded under any of them.
class ClipboardPanelView : public QWidget {
    Q_OBJECT
public:
    // The link gives what the notch shows; the whole model, where there is one, feeds the
    // details panel, its sheets and the settings. Without it the notch stands alone (tests).
    ClipboardPanelView(PanelModelLink &model, ClipboardModel *clipboard, PanelController &controller,
                       bool isStandaloneSettings, QWidget *parent = nullptr);
    ~ClipboardPanelView() override;

    bool isStandaloneSettings() const { return m_isStandaloneSettings; }

    NotchSummary *summary() const { return m_summary; }
    // The details panel, made when the panel first opens; none before, in the settings window
    // or without the whole model.
    DetailsPanel *detailsPanel() const { return m_details; }
    // The screenshot notice under the row while one shows.
    QWidget *screenshotNotice() const { return m_notice; }
    PanelSheetHost *sheets() const { return m_sheets; }
    // The outline as drawn now, in the view's coordinates.
    QRectF outline() const;
    // The surface's frame: the settings window's, or the notch panel's full size, from whose
    // top centre the outline hangs.
    QSize sizeHint() const override;

    // The one dispatch of image actions asked for in Quick Access: preview and edit open a sheet
    // over it, the two saves go through saveQuickImage.
    void performQuickImageAction(QuickImageAction action, const ClipboardEntry &entry);
    // Encodes the entry's image (PNG, or JPEG for saveJPG), asks where to put it and writes it
    // there. Returns at once; an entry without a readable image asks nothing.
    void saveQuickImage(const ClipboardEntry &entry, QuickImageAction format);
    // The open preview or edit sheet, if any.
    QWidget *imageSheet() const { return m_imageSheet; }

    // Asks the user where to save; calls onChosen with the path on confirmation only.
    using SavePanel = std::function<void(const QString &proposedName, QuickImageAction format,
                                         std::function<void(const QString &path)> onChosen)>;
    // A modeless file dialog unless set (tests set it).
    void setSavePanel(SavePanel panel) { m_savePanel = std::move(panel); }
Q_SIGNALS:
    // A chosen file could not be written (the desktop's beep has told the user).
    void saveFailed();
    // A save that cannot be made, refused before any file is asked for: the reason, translated,
    // as an alert shows it (unless a save panel is set).
    void saveRefused(const QString &reason);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildSettings();
    void buildNotch();
    void rebuildNotice();
    // The screenshot notice the notch shows now, if any: none in menu-bar mode.
    std::optional<ClipboardEntry> shownNotice() const;
    void relayout();
    void applyAppearance();
    void mirrorHolds();
    void openSettings();
    void openImageSheet(const ClipboardEntry &entry, bool edit);
    // The model's reader of stored images, so that a worker never opens a file outside the
    // image store; nothing without a model.
    std::optional<EntryImageBytes> storeReader() const;

    PanelModelLink &m_model;
    ClipboardModel *m_clipboard;
    PanelController &m_controller;
    bool m_isStandaloneSettings;
    PanelSheetHost *m_sheets = nullptr;
    QPointer<NotchSummary> m_summary;
    QPointer<DetailsPanel> m_details;
    QPointer<QWidget> m_notice;
    std::optional<QString> m_noticeID;
    QPointer<QWidget> m_imageSheet;
    SavePanel m_savePanel;
};
