#include "ui/panel/PanelSheetHost.h"

#include "core/Logging.h"
#include "engine/ClipboardModel.h"
#include "ui/library/JarEditorSheet.h"
#include "ui/panel/ClearSectionAlert.h"
#include "ui/panel/EditTextSheet.h"
#include "ui/panel/SheetKeys.h"
#include "ui/panel/SnippetEditorSheet.h"
#include "ui/tools/EntryImageLoader.h"
#include "ui/style/PanelStyle.h"
#include "ui/tools/ImageCanvasComposerSheet.h"
#include "ui/tools/ImagePreviewSheet.h"
#include "ui/tools/ScreenFit.h"
#include "ui/tools/SheetPlacement.h"

#include <QEvent>
#include <QKeyEvent>
#include <QScreen>

namespace {

// A frameless window that stays over the panel (itself kept on top) and can take the keyboard.
constexpr Qt::WindowFlags kSheetWindowFlags = Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;

void applyAppearance(QWidget *view, ClipboardAppearance appearance)
{
    if (view)
        PanelStyle::applyScheme(view, PanelStyle::schemeFor(appearance));
}

} // namespace

PanelSheetHost::PanelSheetHost(ClipboardModel &model, PanelController &controller, QWidget *overlayParent,
                               QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_modelGuard(&model)
    , m_overlayParent(overlayParent)
{
    Q_UNUSED(controller);
    // Queued: a view reacting to the model never runs inside the model's own call.
    connect(&model, &ClipboardModel::appearanceChanged, this, &PanelSheetHost::followAppearance, Qt::QueuedConnection);
    // A change of section folds the unfolded row controls.
    connect(
        &model, &ClipboardModel::selectedTabChanged, this, [this] { setExpandedControlsEntryID(std::nullopt); },
        Qt::QueuedConnection);
    // An open sheet stays open through a change of language, in the new language.
    connect(&model, &ClipboardModel::languageChanged, this, &PanelSheetHost::followLanguage, Qt::QueuedConnection);
}

PanelSheetHost::~PanelSheetHost()
{
    // The windows belong to the panel's window; the host that opened them closes them with it.
    // It tells nothing on its way out: its owner is going too and lets go of its holds itself.
    delete m_sheet.data();
    delete m_alert.data();
}

ClipboardModel *PanelSheetHost::guardedModel() const
{
    return m_modelGuard.data();
}

// ---- openers ---------------------------------------------------------------------------------

void PanelSheetHost::editEntry(const ClipboardEntry &entry)
{
    m_editingText = entry.text;
    presentEntry(entry);
}

void PanelSheetHost::previewImage(const ClipboardEntry &entry)
{
    m_isCreatingImage = false;
    presentEntry(entry);
}

void PanelSheetHost::composeImage(const ClipboardEntry &entry)
{
    m_isCreatingImage = true;
    presentEntry(entry);
}

// An opener replaces whatever sheet is open without letting the panel go in between.
void PanelSheetHost::presentEntry(const ClipboardEntry &entry)
{
    discardSheet();
    m_editingEntry = entry;
    showSheet(makeEntrySheet(entry));
}

void PanelSheetHost::editJar(const std::optional<QString> &jarID)
{
    discardSheet();
    m_editingJarID = jarID;
    m_isJarEditorPresented = true;
    showSheet(makeJarEditor());
}

void PanelSheetHost::editSnippet(const std::optional<ClipboardSnippet> &snippet)
{
    discardSheet();
    m_editingSnippet = snippet;
    m_isSnippetEditorPresented = true;
    showSheet(makeSnippetEditor());
}

void PanelSheetHost::confirmClear(ClearSection section, const std::optional<QString> &jarID)
{
    discardAlert();
    if (section == ClearSection::Jar || section == ClearSection::DeleteJar)
        m_clearSectionJarID = jarID;
    m_clearSection = section;
    auto *alert = new ClearSectionAlert(section, m_model.appearance());
    connect(alert, &ClearSectionAlert::confirmed, this, [this, section] {
        clear(section);
        closeAlert();
    });
    connect(alert, &ClearSectionAlert::cancelled, this, &PanelSheetHost::closeAlert);
    m_alert = alert;
    present(alert);
    announce();
}

void PanelSheetHost::setActionEntry(const std::optional<ClipboardEntry> &entry)
{
    m_actionEntry = entry;
    announce();
}

std::optional<QString> PanelSheetHost::expandedControlsEntryID() const
{
    return m_expandedControlsEntryID;
}

void PanelSheetHost::setExpandedControlsEntryID(const std::optional<QString> &id)
{
    if (m_expandedControlsEntryID == id)
        return;
    m_expandedControlsEntryID = id;
    Q_EMIT expandedControlsEntryIDChanged();
}

// ---- sheet contents --------------------------------------------------------------------------

QWidget *PanelSheetHost::makeEntrySheet(const ClipboardEntry &entry)
{
    const ClipboardAppearance appearance = m_model.appearance();
    // Only the image kind has image sheets; a file entry is edited as text like any other.
    if (entry.kind != ClipboardKind::Image) {
        auto *sheet = new EditTextSheet(entry, m_editingText, appearance,
                                        [this, entry](const QString &text) { return saveEditedText(entry, text); });
        connect(sheet, &EditTextSheet::textChanged, this, [this](const QString &text) { m_editingText = text; });
        connect(sheet, &EditTextSheet::closeRequested, this, &PanelSheetHost::closeSheet);
        connect(sheet, &EditTextSheet::pasteRequested, this, [this](const QString &text) {
            // The sheet gives the keyboard back before the paste goes to the application in front.
            closeSheet();
            if (ClipboardModel *model = guardedModel())
                model->pasteText(text);
        });
        return sheet;
    }
    // Decoded on the thread pool, through the model's reader so that only files of the image
    // store are opened; the sheet shows the image when it arrives.
    std::optional<EntryImageBytes> store;
    if (ClipboardModel *model = guardedModel())
        store = model->imageBytes();
    QFuture<QImage> image = EntryImageLoader::loadAsync(entry, std::move(store));
    if (m_isCreatingImage) {
        auto *composer = new ImageCanvasComposerSheet(entry, std::move(image), appearance);
        connect(composer, &ImageCanvasComposerSheet::closeRequested, this, &PanelSheetHost::closeSheet);
        return composer;
    }
    auto *preview = new ImagePreviewSheet(entry, std::move(image), appearance);
    connect(preview, &ImagePreviewSheet::closeRequested, this, &PanelSheetHost::closeSheet);
    connect(preview, &ImagePreviewSheet::pasteRequested, this, [this, entry] {
        closeSheet();
        // A look at an image is not a use of the history: nothing is consumed or moved on.
        if (ClipboardModel *model = guardedModel())
            model->pasteEntryFromPanel(entry, false, std::nullopt, false);
    });
    return preview;
}

bool PanelSheetHost::saveEditedText(const ClipboardEntry &entry, const QString &text)
{
    ClipboardModel *model = guardedModel();
    // The entry may have expired, been trimmed or deleted while the sheet was open: the edit
    // then stays in the sheet, which says so, rather than vanishing with the entry.
    if (!model || !model->updateEntryText(entry, text)) {
        qCInfo(lcUi) << "Edited text kept in its sheet: the entry no longer takes text";
        return false;
    }
    closeSheet();
    return true;
}

QWidget *PanelSheetHost::makeJarEditor()
{
    QString initialName;
    if (ClipboardModel *model = guardedModel(); model && m_editingJarID) {
        for (const ClipboardJar &jar : model->jars()) {
            if (jar.id == *m_editingJarID) {
                initialName = jar.name;
                break;
            }
        }
    }
    auto *sheet = new JarEditorSheet(initialName, m_model.appearance(),
                                     [this](const QString &name) { return saveJar(name); });
    connect(sheet, &JarEditorSheet::cancelRequested, this, &PanelSheetHost::closeSheet);
    return sheet;
}

bool PanelSheetHost::saveJar(const QString &name)
{
    ClipboardModel *model = guardedModel();
    if (!model)
        return false;
    const bool saved = m_editingJarID ? model->renameJar(*m_editingJarID, name) : model->createJar(name);
    if (!saved)
        return false;
    // A new Jar is shown among the others, not opened.
    if (!m_editingJarID)
        model->setSelectedJarID(std::nullopt);
    model->setSelectedTab(ClipboardPanelTab::Jars);
    closeSheet();
    return true;
}

QWidget *PanelSheetHost::makeSnippetEditor()
{
    std::optional<QString> latestCopiedText;
    if (ClipboardModel *model = guardedModel()) {
        for (const ClipboardEntry &entry : model->entries()) {
            if (entry.kind != ClipboardKind::Image && entry.kind != ClipboardKind::File) {
                latestCopiedText = entry.text;
                break;
            }
        }
    }
    auto *sheet = new SnippetEditorSheet(m_editingSnippet, latestCopiedText, m_model.appearance(),
                                         [this](const QString &name, const QString &trigger, const QString &text) {
                                             return saveSnippet(name, trigger, text);
                                         });
    connect(sheet, &SnippetEditorSheet::closeRequested, this, &PanelSheetHost::closeSheet);
    return sheet;
}

bool PanelSheetHost::saveSnippet(const QString &name, const QString &trigger, const QString &text)
{
    ClipboardModel *model = guardedModel();
    const std::optional<QString> id = m_editingSnippet ? std::optional(m_editingSnippet->id) : std::nullopt;
    if (!model || !model->saveSnippet(id, name, trigger, text))
        return false;
    closeSheet();
    return true;
}

void PanelSheetHost::clear(ClearSection section)
{
    ClipboardModel *model = guardedModel();
    if (!model)
        return;
    switch (section) {
    case ClearSection::Clipboard:
        model->clearClipboardEntries();
        return;
    case ClearSection::History:
        model->clearHistoryEntries();
        return;
    case ClearSection::PasteStack:
        // The entries stay in the history; only the queue is emptied.
        model->clearPasteStack();
        return;
    case ClearSection::Pins:
        model->clearPinnedEntries();
        return;
    case ClearSection::Gallery:
        model->clearGalleryEntries();
        return;
    case ClearSection::Screenshots:
        model->clearScreenshotEntries();
        return;
    case ClearSection::Snippets:
        model->clearSnippets();
        return;
    case ClearSection::Jars:
        model->clearAllJarContents();
        return;
    case ClearSection::Jar:
        if (m_clearSectionJarID)
            model->clearJarContents(*m_clearSectionJarID);
        return;
    case ClearSection::DeleteJar:
        if (m_clearSectionJarID)
            model->deleteJar(*m_clearSectionJarID);
        return;
    }
}

// ---- presentation ----------------------------------------------------------------------------

QWidget *PanelSheetHost::sheet() const
{
    return m_sheet;
}

QWidget *PanelSheetHost::clearAlert() const
{
    return m_alert;
}

bool PanelSheetHost::isEditorOpen() const
{
    return m_editingEntry || m_isJarEditorPresented || m_isSnippetEditorPresented || m_clearSection;
}

bool PanelSheetHost::isPresenting() const
{
    return isEditorOpen() || isActionMenuOpen();
}

void PanelSheetHost::dismissAll()
{
    closeSheet();
    closeAlert();
}

void PanelSheetHost::showSheet(QWidget *view)
{
    m_sheet = view;
    present(view);
    announce();
}

void PanelSheetHost::discardSheet()
{
    // The text being edited is left for the next opener to overwrite, as are the Jar and the
    // image mode; the snippet goes, so that the next editor starts as a new one.
    m_editingEntry.reset();
    m_isJarEditorPresented = false;
    m_isSnippetEditorPresented = false;
    m_editingSnippet.reset();
    if (QWidget *view = m_sheet.data()) {
        m_sheet.clear();
        view->removeEventFilter(this);
        handKeyboardBack(view);
        view->hide();
        // Later: a button of the sheet may be what asked for the close.
        view->deleteLater();
    }
}

void PanelSheetHost::discardAlert()
{
    m_clearSection.reset();
    if (QWidget *view = m_alert.data()) {
        m_alert.clear();
        view->removeEventFilter(this);
        handKeyboardBack(view);
        view->hide();
        view->deleteLater();
    }
}

void PanelSheetHost::handKeyboardBack(QWidget *closing) const
{
    // Before the window goes: a window that bypasses the manager leaves its keyboard nowhere, and
    // the manager then gives it to another program's window, late enough under load to take it
    // from the sheet or alert opened next.
    QWidget *owner = m_overlayParent ? m_overlayParent->window() : nullptr;
    if (owner && owner->isVisible() && closing->isActiveWindow())
        owner->activateWindow();
}

void PanelSheetHost::closeSheet()
{
    const bool wasOpen = m_editingEntry || m_isJarEditorPresented || m_isSnippetEditorPresented;
    discardSheet();
    announce();
    if (wasOpen)
        Q_EMIT sheetClosed();
}

void PanelSheetHost::closeAlert()
{
    const bool wasOpen = m_clearSection.has_value();
    discardAlert();
    announce();
    if (wasOpen)
        Q_EMIT sheetClosed();
}

void PanelSheetHost::present(QWidget *view)
{
    QWidget *owner = m_overlayParent ? m_overlayParent->window() : nullptr;
    // Over the notch panel, which stands beside the window manager, the sheet does too: a
    // manager that keeps its own windows together (metacity) would otherwise put the sheet
    // back right over the window beneath, under the panel. It is given the keyboard directly.
    const bool besideManager = owner && owner->windowFlags().testFlag(Qt::BypassWindowManagerHint);
    view->setParent(owner, besideManager ? kSheetWindowFlags | Qt::BypassWindowManagerHint : kSheetWindowFlags);
    view->setAttribute(Qt::WA_QuitOnClose, false);
    view->setWindowTitle(QStringLiteral("Tarnel"));
    view->adjustSize();
    // The window manager's close (Alt+F4) counts as the sheet's own cancel.
    view->installEventFilter(this);
    place(view);
    view->show();
    view->raise();
    view->activateWindow();
    Q_EMIT sheetShown(view);
}

void PanelSheetHost::place(QWidget *window) const
{
    if (!m_overlayParent)
        return;
    QScreen *screen = m_overlayParent->screen();
    if (!screen)
        return;
    // Each sheet is laid out for one size and opens smaller only where the screen's available
    // area holds less, so that its buttons at the foot stay on a small or scaled-up screen; fixed,
    // so that a tiling manager floats it at that size rather than stretching it.
    window->setFixedSize(sizeWithinScreen(window->size(), screen));
    // Centred over the panel view and kept whole on its screen, as every sheet opens.
    const QRect over(m_overlayParent->mapToGlobal(QPoint(0, 0)), m_overlayParent->size());
    window->setScreen(screen);
    window->setGeometry(SheetPlacement::over(over, window->size(), screen->availableGeometry()));
}

bool PanelSheetHost::eventFilter(QObject *watched, QEvent *event)
{
    // The image sheets have no keys of their own: Escape closes them as it does every sheet.
    if (event->type() == QEvent::KeyPress && watched == m_sheet.data() && m_editingEntry
        && m_editingEntry->kind == ClipboardKind::Image
        && SheetKeys::actionFor(*static_cast<QKeyEvent *>(event)) == SheetKeys::Action::Cancel) {
        closeSheet();
        return true;
    }
    if (event->type() == QEvent::Close) {
        event->ignore();
        if (watched == m_sheet.data())
            closeSheet();
        else if (watched == m_alert.data())
            closeAlert();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void PanelSheetHost::followLanguage()
{
    if (auto *edit = qobject_cast<EditTextSheet *>(m_sheet.data()))
        edit->retranslate();
    else if (auto *snippet = qobject_cast<SnippetEditorSheet *>(m_sheet.data()))
        snippet->retranslate();
    else if (auto *jar = qobject_cast<JarEditorSheet *>(m_sheet.data()))
        jar->retranslate();
    if (auto *alert = qobject_cast<ClearSectionAlert *>(m_alert.data()))
        alert->retranslate();
}

void PanelSheetHost::followAppearance()
{
    const ClipboardAppearance appearance = m_model.appearance();
    applyAppearance(m_sheet, appearance);
    applyAppearance(m_alert, appearance);
}

void PanelSheetHost::announce()
{
    const bool wasPresenting = m_toldEditorOpen || m_toldActionMenuOpen;
    const bool editor = isEditorOpen();
    const bool menu = isActionMenuOpen();
    if (editor != m_toldEditorOpen) {
        m_toldEditorOpen = editor;
        Q_EMIT editorOpenChanged(editor);
    }
    if (menu != m_toldActionMenuOpen) {
        m_toldActionMenuOpen = menu;
        Q_EMIT actionMenuOpenChanged(menu);
    }
    if (editor || menu) {
        if (!wasPresenting)
            Q_EMIT presentingChanged(true);
    } else if (wasPresenting) {
        Q_EMIT presentingChanged(false);
    }
}
