// New screenshots: a toast in menu-bar mode (or over Quick Access), the notch's own notice
// otherwise, and the window that edits a screenshot or reads its text.
#include "shell/NotchPanelController.h"

#include "core/L10n.h"
#include "engine/ClipboardModel.h"
#include "shell/TarnelPanel.h"
#include "platform/PanelWindowTraits.h"
#include "ui/tools/EntryImageLoader.h"
#include "ui/tools/ImageCanvasComposerSheet.h"
#include "ui/tools/ScreenFit.h"
#include "ui/tools/ScreenshotAddedToast.h"
#include "ui/style/PanelStyle.h"
#include "ui/tools/ScreenshotTextSheet.h"

#include <QGuiApplication>
#include <QBuffer>
#include <QImageReader>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <utility>

namespace {

QScreen *screenUnder(const QPoint &point)
{
    if (QScreen *screen = QGuiApplication::screenAt(point))
        return screen;
    return QGuiApplication::primaryScreen();
}

// The size of the image the notch's preview sizes itself from: its bytes when it has them (broken
// bytes give the preview's usual height), else its stored file, else the screenshot file. Only
// the header is read, as it would show after its orientation is applied: the size is all the
// preview's height needs, and decoding a whole screenshot would stall the panel.
QSize previewImageSize(const ClipboardEntry &entry)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QImageReader reader;
    if (entry.imageData) {
        bytes = *entry.imageData;
        buffer.open(QIODevice::ReadOnly);
        reader.setDevice(&buffer);
    } else if (const std::optional<QString> &path = entry.imageFilePath ? entry.imageFilePath : entry.screenshotFileURL) {
        reader.setFileName(*path);
        reader.setAutoTransform(true);
    } else {
        return {};
    }
    const QSize size = reader.size();
    if (!size.isValid())
        return {};
    const bool turned = reader.autoTransform()
        && reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
    return turned ? size.transposed() : size;
}

// A borderless window that moves when its background is dragged.
class DraggableSheetWindow : public TarnelPanel {
public:
    DraggableSheetWindow()
        : TarnelPanel(Qt::WindowFlags())
    {
    }

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton)
            m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
    }
    void mouseMoveEvent(QMouseEvent *event) override
    {
        if (m_dragOffset && (event->buttons() & Qt::LeftButton))
            move(event->globalPosition().toPoint() - *m_dragOffset);
    }
    void mouseReleaseEvent(QMouseEvent *) override { m_dragOffset.reset(); }

private:
    std::optional<QPoint> m_dragOffset;
};

} // namespace

void NotchPanelController::screenshotNoticeChanged()
{
    const std::optional<ClipboardEntry> notice = m_model.screenshotNotice();
    if (notice && m_services.windowTraits.isScreenCovered()) {
        // Locked, or a screen saver runs: the notice and its picture, in the notch or the toast,
        // wait for the screen, and then show for their whole time. Ended now, the notice shows
        // nothing under the lock; the newest screenshot is the one that waits.
        m_noticeWaitingForScreen = notice;
        m_model.dismissScreenshotNotice();
        waitForScreen();
        return;
    }
    if (notice && (m_presentationMode == ClipboardPresentationMode::MenuBar || m_model.isQuickAccessPresented())) {
        // A newer screenshot takes over the toast in place. Hidden and shown again, the window
        // would be off the screen for a moment, and a click the user aimed at it meanwhile
        // would fall through to the window beneath.
        showScreenshotToast(*notice);
    } else if (m_screenshotToastPanel) {
        m_screenshotToastPanel->hide();
    }
    // The notch's own notice changes its size and hit region at once: its outline replaces the
    // notch's while it shows, and the notch is back at its resting width when it ends.
    followCompactWidth(false);
}

void NotchPanelController::waitForScreen()
{
    if (std::exchange(m_toastWaitsForScreen, true))
        return;
    QTimer::singleShot(PanelTimings::coveredScreenRecheck, this, [this] {
        m_toastWaitsForScreen = false;
        if (!m_noticeWaitingForScreen)
            return;
        if (m_services.windowTraits.isScreenCovered()) {
            waitForScreen();
            return;
        }
        m_model.showScreenshotNotice(*std::exchange(m_noticeWaitingForScreen, std::nullopt));
    });
}

void NotchPanelController::showScreenshotToast(const ClipboardEntry &entry)
{
    if (!m_screenshotToastPanel) {
        // Beside the window manager, as the popover: a managed window is put in a frame of the
        // manager's, which is what a compositor sees and shades by its rectangle, whatever the
        // window inside asks. Unmanaged, it stays where it is placed, takes clicks without taking
        // the keyboard, and is the window the compositor reads the refused shadow from.
        auto *toast = new TarnelPanel(Qt::WindowDoesNotAcceptFocus | Qt::BypassWindowManagerHint);
        toast->setAttribute(Qt::WA_QuitOnClose, false);
        toast->setWindowRole(QString::fromLatin1(TarnelPanel::toastRole));
        // The card draws its own rounded shape; nothing of the window around it shows.
        toast->setFixedSize(PanelMetrics::toastSize.toSize());
        toast->setRoundedOutline(ScreenshotAddedToast::kRadius);
        followDesktop(*toast);
        m_screenshotToastPanel = toast;
        updateSurfaces();
    }
    auto *toast = static_cast<TarnelPanel *>(m_screenshotToastPanel.data());

    auto *content = new ScreenshotAddedToast(entry, m_model.appearance());
    connect(content, &ScreenshotAddedToast::editRequested, this, [this, entry] { openScreenshotAction(entry, false); });
    connect(content, &ScreenshotAddedToast::textRequested, this, [this, entry] { openScreenshotAction(entry, true); });
    toast->setContent(content);

    if (QScreen *screen = screenUnder(pointerLocation())) {
        const QRect area = screen->availableGeometry();
        const int inset = qRound(PanelMetrics::toastScreenInset);
        toast->move(area.right() + 1 - inset - toast->width(), area.top() + inset);
    }
    toast->show();
    toast->raise();
}

qreal NotchPanelController::screenshotPreviewHeight() const
{
    const std::optional<ClipboardEntry> notice = m_model.screenshotNotice();
    if (!notice)
        return 0;
    // The pointer tick asks for this 33 times a second: read each notice's image header once.
    if (m_previewCache.first != notice->id) {
        const QSize size = previewImageSize(*notice);
        const qreal natural = size.isEmpty()
            ? PanelMetrics::screenshotPreviewFallbackHeight
            : PanelMetrics::screenshotPreviewWidth * size.height() / std::max(1, size.width());
        m_previewCache = {notice->id, natural};
    }
    const qreal natural = m_previewCache.second;
    qreal height = std::min(PanelMetrics::screenshotPreviewMaxHeight, natural);
    QScreen *screen = QGuiApplication::screenAt(m_panel->frame().topLeft());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        height = std::min(height, screen->availableGeometry().height() - PanelMetrics::screenshotPreviewScreenMargin);
    return std::max<qreal>(1, height);
}

void NotchPanelController::openScreenshotAction(const ClipboardEntry &entry, bool extractText)
{
    if (QWidget *open = m_screenshotActionWindow)
        open->close();
    QScreen *screen = screenUnder(pointerLocation());
    m_model.dismissScreenshotNotice();

    QWidget *window = nullptr;
    const QSize size = sizeWithinScreen((extractText ? PanelMetrics::textSheetSize : PanelMetrics::composerSize).toSize(), screen);
    if (extractText) {
        auto *sheet = new DraggableSheetWindow();
        sheet->setWindowRole(QString::fromLatin1(TarnelPanel::textSheetRole));
        // The sheet draws its own rounded card; nothing of the window around it shows.
        sheet->resize(size);
        sheet->setRoundedOutline(ScreenshotTextSheet::kRadius);
        sheet->setSurface(PanelStyle::background(QRectF(QPoint(), size), PanelStyle::schemeFor(m_model.appearance())));
        followDesktop(*sheet);
        window = sheet;
    } else
        window = new QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setAttribute(Qt::WA_QuitOnClose, false);
    m_hasOpenEditor = true;
    window->setWindowTitle(extractText ? L10n::text(QStringLiteral("Text zo screenshotu"))
                                       : L10n::text(QStringLiteral("Upraviť obrázok")));

    QWidget *content = nullptr;
    if (extractText) {
        auto *sheet = new ScreenshotTextSheet(entry, m_model.appearance(), m_services.clipboardModel,
                                              m_services.textRecognizer, m_services.qrDetector);
        connect(sheet, &ScreenshotTextSheet::closeRequested, window, &QWidget::close);
        content = sheet;
    } else {
        // Every source of the image in turn, as the preview and the text sheet read it, decoded on
        // the thread pool; the stored file only through the model's reader of the image store.
        std::optional<EntryImageBytes> store;
        if (m_services.clipboardModel)
            store = m_services.clipboardModel->imageBytes();
        auto *sheet = new ImageCanvasComposerSheet(entry, EntryImageLoader::loadAsync(entry, std::move(store)),
                                                   m_model.appearance());
        connect(sheet, &ImageCanvasComposerSheet::closeRequested, window, &QWidget::close);
        content = sheet;
    }

    if (auto *panel = dynamic_cast<TarnelPanel *>(window)) {
        panel->setContent(content);
    } else {
        auto *layout = new QVBoxLayout(window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(content);
    }
    // The image editor's window is not resizable, which a tiling manager takes as a window to
    // float at its size; on a screen that holds less, the editor shrinks with it.
    content->setMinimumSize(content->minimumSize().boundedTo(size));
    if (extractText)
        window->resize(size);
    else
        window->setFixedSize(size);
    // The sheet has no frame of the manager's around it: opened over the open panel, which the
    // manager does not stack, it maps beside the manager too, in front of the panel, and takes
    // the keyboard itself. Left to a manager that holds every window beside it over its own
    // (metacity), it would stay under the panel however often the panel is put under it.
    const bool besidePanel = extractText && (m_isWidthExpanded || m_isContentExpanded) && m_panel;
    if (besidePanel)
        window->setProperty(PanelWindowTraits::openedFromProperty, QVariant::fromValue<QWidget *>(m_panel));
    m_screenshotActionWindow = window;
    if (screen) {
        const QRect area = screen->availableGeometry();
        window->move(area.center() - QPoint(size.width() / 2, size.height() / 2));
    }
    presentWindow(window);
    if (besidePanel)
        m_services.windowTraits.takeKeyboard(*window);
}
