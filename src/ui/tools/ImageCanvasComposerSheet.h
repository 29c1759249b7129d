#pragma once

#include "core/ClipboardAppearance.h"
#include "core/ClipboardEntry.h"
#include "ui/tools/ImageCanvasRenderer.h"

#include <QFutureWatcher>
#include <QImage>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class ImageCanvasControls;
class ImageCanvasPreview;
class PanelButton;
class QLabel;
class QMessageBox;

// Places one image on a background canvas: the aspect, a gradient or a solid colour, rounded
// corners and a shadow, with a live preview, and saves the canvas as a PNG of the aspect's
// fixed size. Its state is its own and ends when it closes; it changes nothing in the history.
// The opener hands in the image, or the decode it started on the thread pool (see
// EntryImageLoader::loadAsync); until that arrives the preview card is empty and nothing can be
// saved, and an image that could not be read shows as such.
class ImageCanvasComposerSheet : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kSize{860, 640};

    // Calls onChosen with the chosen path, or with nothing when the user cancels.
    using SavePanel = std::function<void(const QString &proposedName, std::function<void(std::optional<QString>)> onChosen)>;

    ImageCanvasComposerSheet(ClipboardEntry entry, QImage image, ClipboardAppearance appearance,
                             QWidget *parent = nullptr);
    ImageCanvasComposerSheet(ClipboardEntry entry, QFuture<QImage> image, ClipboardAppearance appearance,
                             QWidget *parent = nullptr);

    const ClipboardEntry &entry() const { return m_entry; }
    QSize sizeHint() const override { return kSize; }
    bool isLoading() const { return m_isLoading; }
    bool hasImage() const { return !m_image.isNull(); }
    const ImageCanvasSettings &settings() const { return m_settings; }
    void setSettings(const ImageCanvasSettings &settings);

    // Asks for a file and writes the canvas there, off the main thread. Does nothing without an
    // image or while a panel is open.
    void saveCanvas();
    bool isSavePanelPresented() const { return m_isSavePanelPresented; }
    bool isExporting() const { return m_export.isRunning(); }
    const std::optional<QString> &exportError() const { return m_exportError; }
    QMessageBox *exportAlert() const;

    // A modeless file dialog unless set (tests set it).
    void setSavePanel(SavePanel panel) { m_savePanel = std::move(panel); }

Q_SIGNALS:
    // The close buttons.
    void closeRequested();
    // A chosen file was written or failed (tests wait for it).
    void exportFinished();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void build(ClipboardAppearance appearance);
    void showImage(QImage image);
    QWidget *buildHeader();
    QWidget *buildWorkArea();
    QWidget *buildFooter();
    void showSaveDialog(const QString &proposedName, std::function<void(std::optional<QString>)> onChosen);
    void chosen(const std::optional<QString> &path);
    void exported();
    void refresh();

    ClipboardEntry m_entry;
    QImage m_image;
    bool m_isLoading = false;
    QFutureWatcher<QImage> m_loading;
    SavePanel m_savePanel;
    ImageCanvasSettings m_settings;
    bool m_isSavePanelPresented = false;
    std::optional<QString> m_exportError;
    QFutureWatcher<std::optional<QString>> m_export;
    QPointer<QMessageBox> m_alert;

    QWidget *m_iconTile = nullptr;
    QLabel *m_subtitle = nullptr;
    QWidget *m_previewCard = nullptr;
    QWidget *m_previewStage = nullptr;
    QWidget *m_unavailable = nullptr;
    QLabel *m_sizeLabel = nullptr;
    ImageCanvasPreview *m_preview = nullptr;
    ImageCanvasControls *m_controls = nullptr;
    QLabel *m_errorLabel = nullptr;
    PanelButton *m_saveButton = nullptr;
};
