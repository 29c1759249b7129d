#pragma once

#include <QObject>
#include <QtGlobal>
#include <QString>
#include <Qt>

#include <functional>
#include <optional>

class ClipboardModel;
class GlobalShortcuts;
class QKeyEvent;
class QWindow;

// A key press inside Tarnel's own windows, as the key map compares it.
struct PanelKey {
    Qt::Key key = Qt::Key_unknown;
    // Shift, Control, Alt and Meta (Super); no other bits.
    Qt::KeyboardModifiers modifiers;
    std::optional<QString> characters;
    // The key itself, whatever the layout types on it: its X key code; 0 when unknown.
    quint32 keycode = 0;

    bool operator==(const PanelKey &) const = default;
};

// The keys of Tarnel's own windows while Quick Access shows: pasting by position, moving the
// keyboard between the tab strip, the search and the list, the paste options, typing into the
// search. A global shortcut pressed in any of its windows is run from here too: there the grab
// may have been refused, and the press reaches the window instead.
class PanelKeyMap : public QObject {
    Q_OBJECT
public:
    // Inside Tarnel, pasting by position is Ctrl+digit.
    static constexpr Qt::KeyboardModifiers kPanelPasteModifier = Qt::ControlModifier;

    // `isTextFieldFocused`: whether a text field has the keyboard; the focused widget is asked
    // when empty.
    PanelKeyMap(ClipboardModel &model, GlobalShortcuts &shortcuts, std::function<bool()> isTextFieldFocused);
    ~PanelKeyMap() override;

    // Starts reading the key presses of Tarnel's windows; once only.
    void install();
    bool isInstalled() const { return m_installed; }
    // One key press; true when it was consumed. `keycode` names the pressed key itself when
    // known (see PanelKey).
    bool handleKey(Qt::Key key, Qt::KeyboardModifiers modifiers, const std::optional<QString> &characters,
                   quint32 keycode = 0);

    // The list position that Ctrl+1 to Ctrl+6 paste (with or without Shift).
    static std::optional<int> historyIndex(Qt::Key digit);
    // The same by the key: the digit keys 1 to 6 of the number row, which type letters on
    // Slovak and Czech layouts and symbols on French ones, and the keypad's 1 to 6. X numbers
    // them as the kernel's input codes plus 8, the same on every keyboard and layout.
    static std::optional<int> historyIndexOfKeycode(quint32 keycode);
    // A Qt key press as the key map reads it.
    static PanelKey panelKey(const QKeyEvent &event);
    // Whether the window shows Quick Access: the panel or popup hosting it, or the view itself.
    // The key map acts only on keys sent there.
    static bool hostsQuickAccess(QWindow *window);

Q_SIGNALS:
    // Escape in Quick Access.
    void dismissQuickAccessRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The steps of the key map; each returns whether it consumed the key.
    bool pasteByPosition(Qt::Key key, quint32 keycode);
    void moveFocusWithTab(bool backwards);
    bool moveFocusWithArrows(Qt::Key key);
    bool handleOptionsKey(Qt::Key key, Qt::KeyboardModifiers modifiers, const std::optional<QString> &characters,
                          bool editing);
    std::optional<bool> handleListKey(Qt::Key key);
    bool isSearchFieldEditing() const;
    std::optional<qsizetype> selectedItemPosition() const;
    bool typeIntoSearch(Qt::Key key, Qt::KeyboardModifiers modifiers, const std::optional<QString> &characters,
                        bool searchFieldEditing);

    ClipboardModel &m_model;
    GlobalShortcuts &m_shortcuts;
    std::function<bool()> m_isTextFieldFocused;
    bool m_installed = false;
};
