#include "shell/PanelKeyMap.h"

#include "core/AppShortcut.h"
#include "engine/ClipboardModel.h"
#include "shell/GlobalShortcuts.h"
#include "ui/quickaccess/QuickAccessView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBoundaryFinder>
#include <QTextEdit>
#include <QWindow>

#include <algorithm>
#include <array>

namespace {

// X key codes of the number row's keys 1 and 6 (KEY_1 + 8 and KEY_6 + 8); the codes of
// the keys between them follow in order.
constexpr quint32 kDigitOneKeycode = 10;
constexpr quint32 kDigitSixKeycode = 15;
// X key codes of the keypad's keys 1 to 6 (KEY_KP1 + 8 ...), which the kernel numbers by rows
// from the top: 7 8 9, 4 5 6, 1 2 3.
constexpr std::array<quint32, 6> kKeypadDigitKeycodes{87, 88, 89, 83, 84, 85};

// Modifiers that keep a key out of the search text.
constexpr Qt::KeyboardModifiers kNoTypingModifiers = Qt::ControlModifier | Qt::MetaModifier;
// Modifiers that keep Tab from moving the focus.
constexpr Qt::KeyboardModifiers kNoTabModifiers = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

// Keys that report no printable text: control and format characters, and the private-use
// range some desktops report function keys in.
bool typesNothing(const QString &characters)
{
    for (const char32_t code : characters.toUcs4()) {
        const QChar::Category category = QChar::category(code);
        if (category == QChar::Other_Control || category == QChar::Other_Format)
            return true;
        if (code >= 0xE000 && code <= 0xF8FF)
            return true;
    }
    return false;
}

QString withoutLastCharacter(const QString &text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    finder.toEnd();
    const qsizetype previous = finder.toPreviousBoundary();
    return text.left(previous < 0 ? 0 : previous);
}

} // namespace

PanelKeyMap::PanelKeyMap(ClipboardModel &model, GlobalShortcuts &shortcuts, std::function<bool()> isTextFieldFocused)
    : m_model(model)
    , m_shortcuts(shortcuts)
    , m_isTextFieldFocused(std::move(isTextFieldFocused))
{
}

PanelKeyMap::~PanelKeyMap()
{
    if (m_installed && qApp)
        qApp->removeEventFilter(this);
}

void PanelKeyMap::install()
{
    if (m_installed || !qApp)
        return;
    qApp->installEventFilter(this);
    m_installed = true;
}

std::optional<int> PanelKeyMap::historyIndex(Qt::Key digit)
{
    if (digit >= Qt::Key_1 && digit <= Qt::Key_6)
        return int(digit - Qt::Key_1);
    return std::nullopt;
}

std::optional<int> PanelKeyMap::historyIndexOfKeycode(quint32 keycode)
{
    if (keycode >= kDigitOneKeycode && keycode <= kDigitSixKeycode)
        return int(keycode - kDigitOneKeycode);
    const auto keypad = std::find(kKeypadDigitKeycodes.cbegin(), kKeypadDigitKeycodes.cend(), keycode);
    if (keypad != kKeypadDigitKeycodes.cend())
        return int(keypad - kKeypadDigitKeycodes.cbegin());
    return std::nullopt;
}

bool PanelKeyMap::isSearchFieldEditing() const
{
    if (!m_model.isSearchFieldFocused())
        return false;
    if (m_isTextFieldFocused)
        return m_isTextFieldFocused();
    QWidget *focus = QApplication::focusWidget();
    return qobject_cast<QLineEdit *>(focus) || qobject_cast<QTextEdit *>(focus)
        || qobject_cast<QPlainTextEdit *>(focus);
}

std::optional<qsizetype> PanelKeyMap::selectedItemPosition() const
{
    if (m_model.selectedTab() == ClipboardPanelTab::Snippets) {
        const std::optional<QString> id = m_model.selectedQuickAccessSnippetID();
        const QList<ClipboardSnippet> snippets = m_model.quickAccessSnippets();
        for (qsizetype i = 0; id && i < snippets.size(); ++i) {
            if (snippets.at(i).id == *id)
                return i;
        }
        return std::nullopt;
    }
    const std::optional<QString> id = m_model.selectedEntryID();
    const QList<ClipboardEntry> entries = m_model.quickAccessEntries();
    for (qsizetype i = 0; id && i < entries.size(); ++i) {
        if (entries.at(i).id == *id)
            return i;
    }
    return std::nullopt;
}

bool PanelKeyMap::handleKey(Qt::Key key, Qt::KeyboardModifiers modifiers,
                            const std::optional<QString> &characters, quint32 keycode)
{
    if (const std::optional<AppShortcut> shortcut = AppShortcut::matching(QKeyCombination(modifiers, key))) {
        m_shortcuts.handle(*shortcut);
        return true;
    }

    const Qt::KeyboardModifiers mods = modifiers & AppShortcut::kComparedModifiers;
    const bool presented = m_model.isQuickAccessPresented();
    // Shift is left out: where the number row types letters (Slovak, Czech), the user holds it
    // to type the digit.
    if (presented && (mods & ~Qt::ShiftModifier) == kPanelPasteModifier && pasteByPosition(key, keycode))
        return true;

    // Every tab of the panel is a Quick Access tab, so the tab needs no test of its own.
    if (!presented || m_model.isPanelOverlayPresented())
        return false;

    const bool editing = isSearchFieldEditing();
    const bool optionsOpen = m_model.isQuickPasteOptionsPresented();
    if (!optionsOpen && key == Qt::Key_Tab && !(modifiers & kNoTabModifiers)) {
        moveFocusWithTab(modifiers.testFlag(Qt::ShiftModifier));
        return true;
    }
    if (mods)
        return typeIntoSearch(key, modifiers, characters, editing);
    if (optionsOpen)
        return handleOptionsKey(key, modifiers, characters, editing);
    if (moveFocusWithArrows(key))
        return true;
    if (key == Qt::Key_Escape) {
        Q_EMIT dismissQuickAccessRequested();
        return true;
    }
    if (m_model.quickAccessKeyboardFocus() != QuickAccessKeyboardFocus::Search) {
        if (const std::optional<bool> consumed = handleListKey(key))
            return *consumed;
    }
    return typeIntoSearch(key, modifiers, characters, editing);
}

bool PanelKeyMap::pasteByPosition(Qt::Key key, quint32 keycode)
{
    // By the key where it is known: what it types depends on the layout.
    const std::optional<int> index = keycode != 0 ? historyIndexOfKeycode(keycode) : historyIndex(key);
    if (!index)
        return false;
    const QList<ClipboardEntry> entries = m_model.quickAccessEntries();
    if (*index >= entries.size())
        return false;
    m_model.pasteEntryFromPanel(entries.at(*index), false, std::nullopt, false);
    return true;
}

// Tab walks tabs -> search -> items and around; Shift+Tab walks back.
void PanelKeyMap::moveFocusWithTab(bool backwards)
{
    switch (m_model.quickAccessKeyboardFocus()) {
    case QuickAccessKeyboardFocus::Tabs:
        if (backwards)
            m_model.focusQuickAccessItems();
        else
            m_model.requestQuickSearchFocus();
        break;
    case QuickAccessKeyboardFocus::Search:
        if (backwards)
            m_model.setQuickAccessKeyboardFocus(QuickAccessKeyboardFocus::Tabs);
        else
            m_model.focusQuickAccessItems();
        break;
    case QuickAccessKeyboardFocus::Items:
        if (backwards)
            m_model.requestQuickSearchFocus();
        else
            m_model.setQuickAccessKeyboardFocus(QuickAccessKeyboardFocus::Tabs);
        break;
    }
}

// The arrows that move the keyboard between the tab strip, the search field and the list.
bool PanelKeyMap::moveFocusWithArrows(Qt::Key key)
{
    switch (m_model.quickAccessKeyboardFocus()) {
    case QuickAccessKeyboardFocus::Tabs:
        switch (key) {
        case Qt::Key_Left:
            m_model.navigateQuickAccessTab(-1);
            return true;
        case Qt::Key_Right:
            m_model.navigateQuickAccessTab(1);
            return true;
        case Qt::Key_Down:
            m_model.focusQuickAccessItems();
            return true;
        case Qt::Key_Up:
            m_model.requestQuickSearchFocus();
            return true;
        default:
            return false;
        }
    case QuickAccessKeyboardFocus::Search:
        if (key == Qt::Key_Up) {
            m_model.setQuickAccessKeyboardFocus(QuickAccessKeyboardFocus::Tabs);
            return true;
        }
        if (key == Qt::Key_Down) {
            m_model.focusQuickAccessItems();
            return true;
        }
        return false;
    case QuickAccessKeyboardFocus::Items:
        if (key == Qt::Key_Up) {
            const std::optional<qsizetype> at = selectedItemPosition();
            if (!at || *at == 0) {
                m_model.setQuickAccessKeyboardFocus(QuickAccessKeyboardFocus::Tabs);
                return true;
            }
        }
        return false;
    }
    return false;
}

bool PanelKeyMap::handleOptionsKey(Qt::Key key, Qt::KeyboardModifiers modifiers,
                                   const std::optional<QString> &characters, bool editing)
{
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        m_model.commitQuickPasteOption();
        return true;
    case Qt::Key_Escape:
    case Qt::Key_Left:
        m_model.setIsQuickPasteOptionsPresented(false);
        return true;
    case Qt::Key_Right:
        return true;
    case Qt::Key_Down:
        m_model.navigateQuickPasteOption(1);
        return true;
    case Qt::Key_Up:
        m_model.navigateQuickPasteOption(-1);
        return true;
    default:
        return typeIntoSearch(key, modifiers, characters, editing);
    }
}

// Keys on the tab strip or the list: paste, open the options, move the selection. Nothing for
// the keys that are typing.
std::optional<bool> PanelKeyMap::handleListKey(Qt::Key key)
{
    const bool snippetsTab = m_model.selectedTab() == ClipboardPanelTab::Snippets;
    switch (key) {
    case Qt::Key_Return:
        m_model.commitQuickAccessSelection();
        return true;
    case Qt::Key_Right:
        // Without options to open, the key goes on to the view.
        return m_model.openQuickPasteOptions();
    case Qt::Key_Down:
        m_model.focusQuickAccessItems();
        if (snippetsTab)
            m_model.navigateQuickAccessSnippet(1);
        else
            m_model.navigateSelection(m_model.quickAccessEntries(), 1);
        return true;
    case Qt::Key_Up:
        if (snippetsTab)
            m_model.navigateQuickAccessSnippet(-1);
        else
            m_model.navigateSelection(m_model.quickAccessEntries(), -1);
        return true;
    default:
        return std::nullopt;
    }
}

bool PanelKeyMap::typeIntoSearch(Qt::Key key, Qt::KeyboardModifiers modifiers,
                                 const std::optional<QString> &characters, bool searchFieldEditing)
{
    // The field edits its own text; the notice view has no search; Ctrl and Super never type.
    if (searchFieldEditing || m_model.shortcutNotice() || (modifiers & kNoTypingModifiers))
        return false;
    if (key == Qt::Key_Backspace) {
        m_model.setIsQuickPasteOptionsPresented(false);
        const QString text = m_model.searchText();
        if (!text.isEmpty())
            m_model.setSearchText(withoutLastCharacter(text));
        m_model.requestQuickSearchFocus();
        return true;
    }
    if (!characters || characters->isEmpty() || typesNothing(*characters))
        return false;
    m_model.setIsQuickPasteOptionsPresented(false);
    m_model.setSearchText(m_model.searchText() + *characters);
    m_model.requestQuickSearchFocus();
    return true;
}

PanelKey PanelKeyMap::panelKey(const QKeyEvent &event)
{
    PanelKey key;
    key.key = event.key() == 0 ? Qt::Key_unknown : Qt::Key(event.key());
    // Shift+Tab is still the Tab key, which the map reads with its Shift.
    if (key.key == Qt::Key_Backtab)
        key.key = Qt::Key_Tab;
    // The keypad's arrows and operators are other keys than the ones on the main block: the
    // map acts on none of them, while what they type still goes into the search. Its Enter is
    // a key of its own, and its digits paste by position as the number row's do.
    const bool keypadDigit = key.key >= Qt::Key_0 && key.key <= Qt::Key_9;
    if (event.modifiers().testFlag(Qt::KeypadModifier) && key.key != Qt::Key_Enter && !keypadDigit)
        key.key = Qt::Key_unknown;
    key.modifiers = event.modifiers() & AppShortcut::kComparedModifiers;
    if (!event.text().isEmpty())
        key.characters = event.text();
    key.keycode = event.nativeScanCode();
    return key;
}

bool PanelKeyMap::hostsQuickAccess(QWindow *window)
{
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top->windowHandle() != window)
            continue;
        auto *view = qobject_cast<QuickAccessView *>(top);
        if (!view)
            view = top->findChild<QuickAccessView *>();
        return view && view->isVisible();
    }
    return false;
}

bool PanelKeyMap::eventFilter(QObject *watched, QEvent *event)
{
    // A key press reaches the window first and is then handed along the widget chain; the
    // window's copy is the one look per press, taken before any widget sees it.
    if (event->type() == QEvent::KeyPress && watched->isWindowType()) {
        const auto *keyEvent = static_cast<QKeyEvent *>(event);
        if (!hostsQuickAccess(static_cast<QWindow *>(watched))) {
            // Another of Tarnel's windows (the settings, a save dialog) keeps its keys; only a
            // global shortcut whose grab was refused is still run from there.
            const PanelKey key = panelKey(*keyEvent);
            if (const std::optional<AppShortcut> shortcut = AppShortcut::matching(QKeyCombination(key.modifiers, key.key))) {
                m_shortcuts.handle(*shortcut);
                return true;
            }
            return QObject::eventFilter(watched, event);
        }
        const PanelKey key = panelKey(*keyEvent);
        if (handleKey(key.key, key.modifiers, key.characters, key.keycode))
            return true;
    }
    return QObject::eventFilter(watched, event);
}
