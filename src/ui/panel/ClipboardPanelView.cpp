#include "ui/panel/ClipboardPanelView.h"

#include "ui/PanelController.h"
#include "core/L10n.h"
#include "core/TarnelNotchShape.h"
#include "engine/PanelModelLink.h"
#include "ui/settings/SettingsView.h"
#include "core/Logging.h"
#include "ui/quickaccess/QuickImageExport.h"
#include "engine/ClipboardModel.h"
#include "ui/tools/ImageCanvasComposerSheet.h"
#include "ui/tools/ImagePreviewSheet.h"
#include "ui/tools/SheetPlacement.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>

namespace {

QColor notchColor(ClipboardAppearance appearance)
{
    return appearance == ClipboardAppearance::Light ? QColor(242, 242, 245) : QColor(12, 12, 14);
}

QColor textColor(ClipboardAppearance appearance)
{
    return appearance == ClipboardAppearance::Light ? QColor(20, 20, 24) : QColor(235, 235, 240);
}

// The desktop's modeless save dialog, proposing the name in the home folder; onClosed runs
// when it closes, chosen or not.
void showSaveDialog(const QString &proposedName, QuickImageAction format,
                    std::function<void(const QString &path)> onChosen, std::function<void()> onClosed)
{
    auto *dialog = new QFileDialog(nullptr, QString(), QDir::home().filePath(proposedName),
                                   QuickImageExport::fileFilter(format));
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

// A translated text with its "%d" filled in.
QString withNumber(QString text, int number)
{
    return text.replace(QStringLiteral("%d"), QString::number(number));
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

ClipboardPanelView::ClipboardPanelView(PanelModelLink &model, PanelController &controller,
                                       bool isStandaloneSettings, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_controller(controller)
    , m_isStandaloneSettings(isStandaloneSettings)
{
    auto *layout = new QVBoxLayout(this);
    m_status = new QLabel(this);
    m_status->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_status->setWordWrap(true);
    layout->addWidget(m_status);
    if (isStandaloneSettings && model.clipboardModel()) {
        layout->setContentsMargins(0, 0, 0, 0);
        m_status->hide();
        layout->addWidget(new SettingsView(*model.clipboardModel(), controller, controller.updater(), true, this), 1);
        return;
    }
    if (isStandaloneSettings)
        buildSettings();
    else
        layout->setContentsMargins(24, 12, 24, 12);
    layout->addStretch();

    connect(&controller, &PanelController::drawnNotchSizeChanged, this, &ClipboardPanelView::refresh);
    connect(&controller, &PanelController::isContentExpandedChanged, this, &ClipboardPanelView::refresh);
    connect(&model, &PanelModelLink::entriesChanged, this, &ClipboardPanelView::refresh);
    connect(&model, &PanelModelLink::appearanceChanged, this, &ClipboardPanelView::refresh);
    connect(&model, &PanelModelLink::quickAccessChanged, this, &ClipboardPanelView::refresh);
    refresh();
}

void ClipboardPanelView::buildSettings()
{
    auto *group = new QButtonGroup(this);
    const auto modes = allCases<ClipboardPresentationMode>();
    for (ClipboardPresentationMode mode : modes) {
        auto *button = new QRadioButton(modeTitle(mode), this);
        button->setObjectName(modeButtonName(mode));
        button->setChecked(mode == m_controller.presentationMode());
        group->addButton(button);
        layout()->addWidget(button);
        connect(button, &QRadioButton::toggled, this, [this, mode](bool checked) {
            if (checked)
                m_controller.setPresentationMode(mode);
        });
    }
    connect(&m_controller, &PanelController::presentationModeChanged, this, [this, group](ClipboardPresentationMode mode) {
        for (QAbstractButton *button : group->buttons())
            button->setChecked(button->objectName() == modeButtonName(mode));
        refresh();
    });
    connect(&m_controller, &PanelController::trayAvailabilityChanged, this, &ClipboardPanelView::refresh);
}

QString ClipboardPanelView::statusText() const
{
    if (m_isStandaloneSettings) {
        QString text = L10n::text(QStringLiteral("Nastavenia ešte nie sú hotové: zatiaľ sa tu dá zvoliť len spôsob zobrazenia."));
        // The menu-bar mode without a tray host keeps the panel on screen; the user is told why.
        if (m_controller.isPanelStandingInForTray())
            text += u'\n' + L10n::text(QStringLiteral("Systémová lišta nie je dostupná, preto Tarnel aj v tomto režime zostáva pri hornom okraji obrazovky."));
        return text;
    }
    if (m_model.isQuickAccessPresented())
        return withNumber(L10n::text(QStringLiteral("Rýchly prístup ešte nie je hotový. Položky: %d")),
                          m_model.quickAccessItemCount());
    if (!m_controller.isContentExpanded())
        return QString();
    return withNumber(L10n::text(QStringLiteral("Zoznamy panela ešte nie sú hotové. Záznamy v histórii: %d")),
                      m_model.entryCount());
}

void ClipboardPanelView::refresh()
{
    m_status->setText(statusText());
    QPalette palette = m_status->palette();
    palette.setColor(QPalette::WindowText, m_isStandaloneSettings ? palette.color(QPalette::WindowText)
                                                                  : textColor(m_model.appearance()));
    m_status->setPalette(palette);
    update();
}

void ClipboardPanelView::paintEvent(QPaintEvent *event)
{
    if (m_isStandaloneSettings) {
        QWidget::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_controller.isAtCursor() || m_model.isQuickAccessPresented()) {
        painter.fillRect(rect(), notchColor(m_model.appearance()));
        return;
    }
    const QSizeF size = m_controller.drawnNotchSize();
    const QRectF notch((width() - size.width()) / 2.0, 0, size.width(), size.height());
    painter.fillPath(TarnelNotchShape().path(notch), notchColor(m_model.appearance()));
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
    // Encoded before asking, so that an image that is gone asks nothing.
    const std::optional<QByteArray> bytes = QuickImageExport::encoded(QuickImageExport::image(entry), format);
    if (!bytes) {
        qCInfo(lcUi) << "Image entry has no readable image to save";
        return;
    }
    QPointer<ClipboardPanelView> self(this);
    auto onChosen = [self, bytes = *bytes](const QString &path) {
        if (QuickImageExport::write(bytes, path))
            return;
        QApplication::beep();
        if (self)
            Q_EMIT self->saveFailed();
    };
    if (savePanel)
        savePanel(QuickImageExport::proposedName(entry, format), format, std::move(onChosen));
    else
        showSaveDialog(QuickImageExport::proposedName(entry, format), format, std::move(onChosen),
                       [origin = QPointer<QWidget>(window()), model = QPointer<PanelModelLink>(&m_model)] {
                           // The window manager hands the keyboard to the application behind;
                           // Quick Access, still on screen, takes it back.
                           if (origin && origin->isVisible() && model && model->isQuickAccessPresented()) {
                               origin->raise();
                               origin->activateWindow();
                           }
                       });
}

void ClipboardPanelView::openImageSheet(const ClipboardEntry &entry, bool edit)
{
    if (m_imageSheet)
        m_imageSheet->close();
    const QImage image = QuickImageExport::image(entry);
    auto *window = new QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                                            | Qt::WindowStaysOnTopHint);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setAttribute(Qt::WA_QuitOnClose, false);
    window->setWindowTitle(L10n::text(edit ? QStringLiteral("Upraviť obrázok") : QStringLiteral("Náhľad obrázka")));
    auto *layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    QPointer<QWidget> guarded(window);
    if (edit) {
        layout->addWidget(new ImageCanvasComposerSheet(entry, image, m_model.appearance(), [guarded] {
            if (guarded)
                guarded->close();
        }));
    } else {
        QPointer<PanelModelLink> model(&m_model);
        layout->addWidget(new ImagePreviewSheet(
            entry, image, m_model.appearance(),
            [guarded] {
                if (guarded)
                    guarded->close();
            },
            [guarded, model, entry] {
                if (model && model->clipboardModel())
                    model->clipboardModel()->pasteEntryFromPanel(entry, false, std::nullopt, false);
                if (guarded)
                    guarded->close();
            }));
    }
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    connect(escape, &QShortcut::activated, window, &QWidget::close);

    // An open sheet holds the panel open and keeps the Quick Access keys off it.
    // A sheet replaced by the next one is deleted after that one opened: only the last one
    // to close releases the panel.
    QPointer<PanelController> controller(&m_controller);
    QPointer<ClipboardPanelView> self(this);
    m_controller.setEditorOpen(true);
    connect(window, &QObject::destroyed, &m_controller, [controller, self, window] {
        const bool current = !self || !self->m_imageSheet || self->m_imageSheet.data() == window;
        if (controller && current)
            controller->setEditorOpen(false);
    });
    m_imageSheet = window;
    SheetPlacement::place(window, this);
    window->show();
    window->raise();
    window->activateWindow();
}
