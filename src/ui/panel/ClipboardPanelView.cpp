#include "ui/panel/ClipboardPanelView.h"

#include "core/L10n.h"
#include "core/Logging.h"
#include "core/TarnelNotchShape.h"
#include "engine/ClipboardModel.h"
#include "engine/PanelModelLink.h"
#include "engine/PreferencesLink.h"
#include "platform/PanelWindowTraits.h"
#include "ui/PanelController.h"
#include "ui/panel/DetailsPanel.h"
#include "ui/panel/DetailsSearchField.h"
#include "ui/panel/NotchSummary.h"
#include "ui/panel/PanelSheetHost.h"
#include "ui/quickaccess/QuickImageExport.h"
#include "ui/settings/SettingsView.h"
#include "ui/style/PanelStyle.h"
#include "ui/tools/EntryImageLoader.h"
#include "ui/tools/ImageCanvasComposerSheet.h"
#include "ui/tools/ImagePreviewSheet.h"
#include "ui/tools/ScreenshotActionButtons.h"
#include "ui/tools/ScreenshotNoticeThumbnail.h"
#include "ui/tools/SheetPlacement.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QFileDialog>
#include <QFutureWatcher>
#include <QHash>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QRadioButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// How long the window manager may take to hand the keyboard on after a window closed.
constexpr std::chrono::milliseconds kKeyboardReturnSettle{150};

constexpr QSize kSettingsSize{560, 700};
constexpr qreal kExpandedWidth = 450;
constexpr qreal kExpandedHeight = 460;
constexpr qreal kCollapsedHeight = 40;
constexpr qreal kNoticeWidth = 280;
constexpr qreal kNoticeChrome = 94;
constexpr int kNoticeSidePadding = 12;
constexpr int kThumbnailBottomPadding = 8;
constexpr int kButtonsBottomPadding = 14;

// What each panel view holds open, per controller. The notch, the popup and the settings window
// share one controller: the panel stays held while any of them has a sheet or a menu open, and
// one view letting go never releases another's hold.
struct Holds {
    bool editor = false;
    bool menu = false;
};
QHash<const PanelController *, QHash<const QObject *, Holds>> &holdsByController()
{
    static QHash<const PanelController *, QHash<const QObject *, Holds>> holds;
    return holds;
}

Holds combinedHolds(const PanelController *controller)
{
    Holds combined;
    for (const Holds &holds : holdsByController().value(controller)) {
        combined.editor = combined.editor || holds.editor;
        combined.menu = combined.menu || holds.menu;
    }
    return combined;
}

// The desktop's modeless save dialog, proposing the name in the home folder; onClosed runs
// when it closes, chosen or not.
// A window Tarnel opened over Quick Access has closed: the window manager hands the keyboard
// to the application behind, so Quick Access, still on screen, takes it back.
void returnKeyboardToQuickAccess(QWidget *origin, const PanelModelLink &model)
{
    if (origin->isVisible() && model.isQuickAccessPresented()) {
        origin->raise();
        origin->activateWindow();
    }
    // Quick Access stands beside the window manager, which hands the keyboard to the window
    // behind only once it has seen the closed window go, after the request above: Quick Access
    // takes it back once more when that is done.
    QTimer::singleShot(kKeyboardReturnSettle, origin, [origin, model = QPointer<const PanelModelLink>(&model)] {
        if (model && origin->isVisible() && model->isQuickAccessPresented() && !origin->isActiveWindow()) {
            origin->raise();
            origin->activateWindow();
        }
    });
}

void showSaveDialog(QWidget *origin, const QString &proposedName, QuickImageAction format,
                    std::function<void(const QString &path)> onChosen, std::function<void()> onClosed)
{
    // Opened from Quick Access, in front of it, as Qt's own dialog (see ImageCanvasComposerSheet).
    auto *dialog = new QFileDialog(origin, QString(), QDir::home().filePath(proposedName),
                                   QuickImageExport::fileFilter(format));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setDefaultSuffix(format == QuickImageAction::SaveJPG ? QStringLiteral("jpg") : QStringLiteral("png"));
    dialog->setLabelText(QFileDialog::Accept, L10n::text(QStringLiteral("Uložiť")));
    dialog->setWindowFlag(Qt::WindowStaysOnTopHint);
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog, [onChosen = std::move(onChosen)](const QString &path) {
        if (!path.isEmpty())
            onChosen(path);
    });
    QObject::connect(dialog, &QDialog::finished, dialog, [onClosed = std::move(onClosed)] { onClosed(); });
    dialog->open();
    dialog->raise();
    dialog->activateWindow();
}

void showRefusal(QWidget *origin, const QString &reason, std::function<void()> onClosed)
{
    auto *alert = new QMessageBox(QMessageBox::Information, L10n::text(QStringLiteral("Uložiť")), reason, QMessageBox::Ok,
                                  origin);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setWindowFlag(Qt::WindowStaysOnTopHint);
    QObject::connect(alert, &QDialog::finished, alert, [onClosed = std::move(onClosed)] { onClosed(); });
    alert->open();
    alert->raise();
    alert->activateWindow();
}

QString modeTitle(ClipboardPresentationMode mode)
{
    return mode == ClipboardPresentationMode::MenuBar ? L10n::text(QStringLiteral("Modal"))
                                                      : L10n::text(QStringLiteral("Notch"));
}

QString modeButtonName(ClipboardPresentationMode mode)
{
    return QStringLiteral("presentationMode-") + rawValue(mode);
}

} // namespace

ClipboardPanelView::ClipboardPanelView(PanelModelLink &model, ClipboardModel *clipboard, PanelController &controller,
                                       bool isStandaloneSettings, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_clipboard(clipboard)
    , m_controller(controller)
    , m_isStandaloneSettings(isStandaloneSettings)
{
    connect(&model, &PanelModelLink::appearanceChanged, this, &ClipboardPanelView::applyAppearance, Qt::QueuedConnection);
    if (isStandaloneSettings) {
        buildSettings();
        applyAppearance();
        return;
    }
    setAttribute(Qt::WA_TranslucentBackground);
    if (clipboard) {
        m_sheets = new PanelSheetHost(*clipboard, controller, this, this);
        connect(m_sheets, &PanelSheetHost::editorOpenChanged, this, &ClipboardPanelView::mirrorHolds);
        connect(m_sheets, &PanelSheetHost::actionMenuOpenChanged, this, &ClipboardPanelView::mirrorHolds);
    }
    // A new language builds every text below the root afresh; the sheets belong to the root
    // and stay open.
    connect(&model, &PanelModelLink::languageChanged, this, &ClipboardPanelView::buildNotch, Qt::QueuedConnection);
    buildNotch();

    // Queued, as every reaction to the model: a paste that changes the model runs to its end
    // before the panel reacts.
    connect(&controller, &PanelController::drawnNotchSizeChanged, this, &ClipboardPanelView::relayout);
    connect(&controller, &PanelController::isContentExpandedChanged, this, &ClipboardPanelView::relayout, Qt::QueuedConnection);
    connect(&controller, &PanelController::isWidthExpandedChanged, this, &ClipboardPanelView::relayout, Qt::QueuedConnection);
    connect(&model, &PanelModelLink::copiedNoticeVisibleChanged, this, &ClipboardPanelView::relayout, Qt::QueuedConnection);
    connect(&model, &PanelModelLink::screenshotNoticeChanged, this, &ClipboardPanelView::rebuildNotice, Qt::QueuedConnection);
    connect(&controller, &PanelController::presentationModeChanged, this, &ClipboardPanelView::rebuildNotice,
            Qt::QueuedConnection);
    applyAppearance();
}

ClipboardPanelView::~ClipboardPanelView()
{
    // The sheets go first, so that nothing they release on their way out overrides what the
    // other views still hold; then this view lets go of its own holds.
    if (m_sheets) {
        disconnect(m_sheets, nullptr, this, nullptr);
        delete m_sheets;
        m_sheets = nullptr;
    }
    auto &holds = holdsByController();
    auto found = holds.find(&m_controller);
    const bool held = found != holds.end() && found->remove(this) > 0;
    if (found != holds.end() && found->isEmpty())
        holds.erase(found);
    // Told once the event loop turns, with the controller as the context: a view that goes
    // away with its controller (the program ending) tells nothing to a controller being taken
    // down.
    if (held || holds.contains(&m_controller)) {
        PanelController *controller = &m_controller;
        QTimer::singleShot(0, controller, [controller] {
            const Holds combined = combinedHolds(controller);
            controller->setEditorOpen(combined.editor);
            controller->setActionMenuOpen(combined.menu);
        });
    }
}

void ClipboardPanelView::buildSettings()
{
    // The settings window closes from the keyboard as the desktop's other windows and Tarnel's
    // own sheets do (Ctrl+W whatever the desktop's theme binds, and its own Close keys); an open
    // picker menu takes its Escape first.
    QList<QKeySequence> closeKeys{QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)};
    for (const QKeySequence &keys : QKeySequence::keyBindings(QKeySequence::Close)) {
        if (!closeKeys.contains(keys))
            closeKeys.append(keys);
    }
    auto *close = new QShortcut(this);
    close->setKeys(closeKeys);
    connect(close, &QShortcut::activated, this, [this] { window()->close(); });
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (m_clipboard) {
        layout->addWidget(new SettingsView(m_clipboard->preferences(), m_controller, m_controller.updater(), true, this), 1);
        return;
    }
    // Without the whole model only the shell's own setting can be offered: the presentation mode.
    layout->setContentsMargins(24, 12, 24, 12);
    auto *group = new QButtonGroup(this);
    for (ClipboardPresentationMode mode : allCases<ClipboardPresentationMode>()) {
        auto *button = new QRadioButton(modeTitle(mode), this);
        button->setObjectName(modeButtonName(mode));
        button->setChecked(mode == m_controller.presentationMode());
        group->addButton(button);
        layout->addWidget(button);
        connect(button, &QRadioButton::toggled, this, [this, mode](bool checked) {
            if (checked)
                m_controller.setPresentationMode(mode);
        });
    }
    layout->addStretch();
    connect(&m_controller, &PanelController::presentationModeChanged, this, [group](ClipboardPresentationMode mode) {
        for (QAbstractButton *button : group->buttons())
            button->setChecked(button->objectName() == modeButtonName(mode));
    });
}

void ClipboardPanelView::buildNotch()
{
    // Dates, numbers and Qt's own texts below the root follow the interface language.
    setLocale(QLocale(m_model.language() == AppLanguage::En ? QStringLiteral("en") : QStringLiteral("sk")));
    delete m_summary;
    delete m_details;
    m_summary = new NotchSummary(m_model, m_controller, this);
    connect(m_summary, &NotchSummary::settingsRequested, this, &ClipboardPanelView::openSettings);
    m_summary->show();
    rebuildNotice();
}

void ClipboardPanelView::openSettings()
{
    // The search field lets go of the keyboard before the settings window takes it.
    if (m_details && m_details->searchField()->field()->hasFocus())
        m_details->searchField()->field()->clearFocus();
    if (m_clipboard)
        m_clipboard->setSearchFieldFocused(false);
    m_controller.openSettingsWindow();
}

std::optional<ClipboardEntry> ClipboardPanelView::shownNotice() const
{
    return m_controller.showsScreenshotNoticeInNotch() ? m_model.screenshotNotice() : std::nullopt;
}

void ClipboardPanelView::rebuildNotice()
{
    const std::optional<ClipboardEntry> notice = shownNotice();
    const std::optional<QString> id = notice ? std::optional<QString>(notice->id) : std::nullopt;
    if (m_notice && id == m_noticeID) {
        relayout();
        return;
    }
    delete m_notice;
    m_noticeID = id;
    if (notice) {
        auto *box = new QWidget(this);
        box->setObjectName(QStringLiteral("screenshotNotice"));
        auto *column = new QVBoxLayout(box);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(0);
        auto *thumbnail = new ScreenshotNoticeThumbnail(*notice, true, box);
        thumbnail->setFixedHeight(int(m_controller.screenshotPreviewHeight()));
        auto *thumbnailRow = new QVBoxLayout;
        thumbnailRow->setContentsMargins(kNoticeSidePadding, 0, kNoticeSidePadding, kThumbnailBottomPadding);
        thumbnailRow->addWidget(thumbnail);
        column->addLayout(thumbnailRow);
        const ClipboardEntry entry = *notice;
        PanelController *controller = &m_controller;
        auto *buttons = new ScreenshotActionButtons(box);
        connect(buttons, &ScreenshotActionButtons::editRequested, controller,
                [controller, entry] { controller->openScreenshotAction(entry, false); });
        connect(buttons, &ScreenshotActionButtons::textRequested, controller,
                [controller, entry] { controller->openScreenshotAction(entry, true); });
        auto *buttonRow = new QVBoxLayout;
        buttonRow->setContentsMargins(kNoticeSidePadding, 0, kNoticeSidePadding, kButtonsBottomPadding);
        buttonRow->addWidget(buttons);
        column->addLayout(buttonRow);
        m_notice = box;
        box->show();
    }
    relayout();
}

QRectF ClipboardPanelView::outline() const
{
    QSizeF size;
    if (shownNotice()) {
        size = QSizeF(kNoticeWidth, m_controller.screenshotPreviewHeight() + kNoticeChrome);
    } else {
        size = m_controller.drawnNotchSize();
        // A controller that draws no animated size of its own: the size its flags give.
        if (size.isEmpty())
            size = QSizeF(m_controller.isWidthExpanded() ? kExpandedWidth : m_controller.compactWidth(),
                          m_controller.isContentExpanded() ? kExpandedHeight : kCollapsedHeight);
    }
    return QRectF((width() - size.width()) / 2.0, 0, size.width(), size.height());
}

QSize ClipboardPanelView::sizeHint() const
{
    return m_isStandaloneSettings ? kSettingsSize : QSize(int(kExpandedWidth), int(kExpandedHeight));
}

void ClipboardPanelView::relayout()
{
    if (m_isStandaloneSettings || !m_summary)
        return;
    const QRectF shape = outline();
    const bool notice = shownNotice().has_value();
    const qreal rowWidth = notice ? kNoticeWidth : shape.width();
    m_summary->setGeometry(QRectF((width() - rowWidth) / 2.0, 0, rowWidth, NotchSummary::kHeight).toRect());
    // The details panel is made when it is first shown: a host that never opens (the popup, which
    // shows only Quick Access) spends nothing on following the model for it.
    const bool wanted = m_controller.isContentExpanded() && !notice;
    if (!m_details && wanted && isVisible()) {
        if (m_clipboard) {
            m_details = new DetailsPanel(*m_clipboard, m_controller, *m_sheets, this);
            m_details->lower();
        }
    }
    if (m_details) {
        m_details->move(int((width() - DetailsPanel::kWidth) / 2.0), NotchSummary::kHeight);
        // Present but out of reach while collapsed: its state survives, it takes no clicks and
        // lets go of the keyboard.
        const bool shown = wanted;
        QWidget *focused = QApplication::focusWidget();
        if (!shown && focused && m_details->isAncestorOf(focused))
            focused->clearFocus();
        m_details->setVisible(shown);
    }
    if (m_notice)
        m_notice->setGeometry(QRectF((width() - kNoticeWidth) / 2.0, NotchSummary::kHeight, kNoticeWidth,
                                     shape.height() - NotchSummary::kHeight).toRect());
    update();
}

void ClipboardPanelView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    relayout();
}

void ClipboardPanelView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    relayout();
}

void ClipboardPanelView::applyAppearance()
{
    PanelStyle::applyScheme(this, PanelStyle::schemeFor(m_model.appearance()));
    update();
}

void ClipboardPanelView::mirrorHolds()
{
    Holds mine;
    if (m_sheets) {
        mine.editor = m_sheets->isEditorOpen();
        mine.menu = m_sheets->isActionMenuOpen();
    }
    mine.editor = mine.editor || !m_imageSheet.isNull();
    auto &holds = holdsByController()[&m_controller];
    if (mine.editor || mine.menu)
        holds.insert(this, mine);
    else
        holds.remove(this);
    // Written every time, not only on a change: a view's own release must never take away what
    // another view still holds open.
    const Holds combined = combinedHolds(&m_controller);
    m_controller.setEditorOpen(combined.editor);
    m_controller.setActionMenuOpen(combined.menu);
}

void ClipboardPanelView::paintEvent(QPaintEvent *event)
{
    if (m_isStandaloneSettings) {
        QPainter painter(this);
        PanelStyle::fillBackground(painter, QRectF(rect()), PanelStyle::schemeOf(this));
        return;
    }
    Q_UNUSED(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF shape = outline();
    painter.fillPath(TarnelNotchShape().path(shape), PanelStyle::background(shape, PanelStyle::schemeOf(this)));
}

void ClipboardPanelView::performQuickImageAction(QuickImageAction action, const ClipboardEntry &entry)
{
    switch (action) {
    case QuickImageAction::SavePNG:
    case QuickImageAction::SaveJPG:
        saveQuickImage(entry, action);
        return;
    case QuickImageAction::Preview:
        openImageSheet(entry, false);
        return;
    case QuickImageAction::Edit:
        openImageSheet(entry, true);
        return;
    }
}

void ClipboardPanelView::saveQuickImage(const ClipboardEntry &entry, QuickImageAction format)
{
    // Only the headers are read before asking, so that an image that is gone asks nothing while
    // the panel stays responsive; decoding and encoding wait for a chosen file, off this thread.
    if (!QuickImageExport::hasImage(entry, storeReader())) {
        qCInfo(lcUi) << "Image entry has no readable image to save";
        return;
    }
    // Read reduced, the saved picture would be smaller than the image without a word.
    if (QuickImageExport::tooLargeToSave(entry, format, storeReader())) {
        qCInfo(lcUi) << "Image entry too large to save in the asked format";
        const QString reason = L10n::text(QuickImageExport::tooLargeReason());
        Q_EMIT saveRefused(reason);
        if (!m_savePanel) {
            showRefusal(window(), reason, [origin = QPointer<QWidget>(window()), model = QPointer<PanelModelLink>(&m_model)] {
                if (origin && model)
                    returnKeyboardToQuickAccess(origin, *model);
            });
        }
        return;
    }
    QPointer<ClipboardPanelView> self(this);
    auto onChosen = [self, entry, format, store = storeReader()](const QString &path) {
        // The file is written even when the panel has gone meanwhile; only the report needs it.
        auto *watcher = new QFutureWatcher<bool>(self.data());
        QObject::connect(watcher, &QFutureWatcher<bool>::finished, watcher, [self, watcher] {
            watcher->deleteLater();
            if (watcher->result())
                return;
            QApplication::beep();
            if (self)
                Q_EMIT self->saveFailed();
        });
        watcher->setFuture(QtConcurrent::run(&QuickImageExport::save, entry, format, path, store));
    };
    if (m_savePanel)
        m_savePanel(QuickImageExport::proposedName(entry, format), format, std::move(onChosen));
    else
        showSaveDialog(window(), QuickImageExport::proposedName(entry, format), format, std::move(onChosen),
                       [origin = QPointer<QWidget>(window()), model = QPointer<PanelModelLink>(&m_model)] {
                           if (origin && model)
                               returnKeyboardToQuickAccess(origin, *model);
                       });
}

std::optional<EntryImageBytes> ClipboardPanelView::storeReader() const
{
    if (!m_clipboard)
        return std::nullopt;
    return m_clipboard->imageBytes();
}

void ClipboardPanelView::openImageSheet(const ClipboardEntry &entry, bool edit)
{
    if (m_imageSheet)
        m_imageSheet->close();
    // Decoded on the thread pool: a screen-sized image takes longer than a frame, and the panel
    // must not freeze while it does.
    QFuture<QImage> image = EntryImageLoader::loadAsync(entry, storeReader());
    auto *window = new QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                                            | Qt::WindowStaysOnTopHint);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setAttribute(Qt::WA_QuitOnClose, false);
    window->setWindowTitle(L10n::text(edit ? QStringLiteral("Upraviť obrázok") : QStringLiteral("Náhľad obrázka")));
    auto *layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    if (edit) {
        auto *composer = new ImageCanvasComposerSheet(entry, std::move(image), m_model.appearance());
        connect(composer, &ImageCanvasComposerSheet::closeRequested, window, &QWidget::close);
        layout->addWidget(composer);
    } else {
        auto *preview = new ImagePreviewSheet(entry, std::move(image), m_model.appearance());
        // The paste first, then the window closes; the sheet may outlive this view and the model.
        if (m_clipboard) {
            connect(preview, &ImagePreviewSheet::pasteRequested, m_clipboard, [clipboard = m_clipboard, entry] {
                clipboard->pasteEntryFromPanel(entry, false, std::nullopt, false);
            });
        }
        connect(preview, &ImagePreviewSheet::closeRequested, window, &QWidget::close);
        connect(preview, &ImagePreviewSheet::pasteRequested, window, &QWidget::close);
        layout->addWidget(preview);
    }
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    connect(escape, &QShortcut::activated, window, &QWidget::close);

    // An open sheet holds the panel open and keeps the Quick Access keys off it.
    // A sheet replaced by the next one is deleted after that one opened: only the last one
    // to close releases the panel.
    m_imageSheet = window;
    mirrorHolds();
    connect(window, &QObject::destroyed, this, &ClipboardPanelView::mirrorHolds, Qt::QueuedConnection);
    connect(window, &QObject::destroyed, this, [this] {
        // A sheet replaced by the next one keeps the keyboard with that one.
        if (!m_imageSheet)
            returnKeyboardToQuickAccess(this->window(), m_model);
    }, Qt::QueuedConnection);
    SheetPlacement::place(window, this);
    // Opened from Quick Access, in front of it, though it stands on its own.
    window->setProperty(PanelWindowTraits::openedFromProperty, QVariant::fromValue(this->window()));
    window->show();
    window->raise();
    window->activateWindow();
}
