#pragma once

#include "core/ClipboardEntry.h"
#include "ui/library/EntryRowDelegate.h"

#include <QHash>
#include <QPointer>
#include <QSet>
#include <QWidget>

#include <chrono>
#include <optional>

class ClipboardModel;
class ClipboardRow;
class QKeyEvent;
class EntryListModel;
class EntryThumbnails;
class PanelEmptyState;
class QLabel;
class PanelSheets;
class QListView;
class QStackedLayout;

// The list of a section's entries (Clipboard, History, Pins, an open Jar, the Paste Stack):
// one drawn row per entry of the model's listed entries, or an empty state. The pointer selects,
// a click pastes (an image opens its preview), the arrow keys move the selection, and each row's
// controls act on the entry by its id: an entry that left the history meanwhile is left alone.
class EntryList : public QWidget {
    Q_OBJECT
public:
    // One row pitch of the Paste Stack: the handle moves an entry one place per this much drag.
    static constexpr qreal kDragPitch = 60;
    static constexpr int kDragStartDistance = 4;
    // Rows of the Paste Stack slide to their new places over this long after a reorder.
    static constexpr std::chrono::milliseconds kReorderDuration{120};
    // The unfolded controls of a row wait DelayedEntryActions::kRevealDelay, invisible and
    // inert, then fade in over DelayedEntryActions::kFadeDuration: a pointer only passing over
    // the toggle does not land on them.

    EntryList(ClipboardModel &model, PanelSheets &sheets, bool inPasteStack, QWidget *parent = nullptr);
    ~EntryList() override;

    // The place a dragged entry goes to: its start index moved one place per full pitch of
    // drag (halves away from zero), kept within the stack.
    static int dragTarget(int startIndex, qreal translation, int count);

    // Runs a row control, as a click on it does; false when the entry is no longer listed.
    bool trigger(const QString &entryID, EntryRowDelegate::Control control);
    // The unfold toggle and the actions menu of a row.
    void presentActions(const ClipboardEntry &entry);

    // What a row control says to a screen reader and in its tooltip (Slovak base texts through
    // L10n::text, the entry's preview filled into the formatted ones).
    static QString accessibleLabel(EntryRowDelegate::Control control, const ClipboardEntry &entry, bool isInStack,
                                   bool isTextUnfolded = false);
    bool isTextUnfolded(const QString &entryID) const { return m_unfoldedTexts.contains(entryID); }
    static QString helpText(EntryRowDelegate::Control control, const ClipboardEntry &entry, bool isInStack);
    // The accessibility value of a control ("Pripnuté"/"Nepripnuté" for the pin), else empty.
    static QString accessibleValue(EntryRowDelegate::Control control, const ClipboardEntry &entry);

    // The row widget showing an entry's unfolded text, while there is one.
    ClipboardRow *rowWidget(const QString &entryID) const;
    // The control of the selected row the keyboard is on (Tab and Shift+Tab move it, Space and
    // Return press it, Escape leaves it).
    EntryRowDelegate::Control keyboardControl() const { return m_keyboardControl; }
    bool isInPasteStackList() const { return m_inPasteStack; }
    bool isStripInert() const { return m_stripInert; }
    EntryRowDelegate *delegate() const { return m_delegate; }
    // How far a row is drawn from its place now (0 once its slide ended).
    qreal slideOffset(const QString &entryID) const { return m_slideDistances.value(entryID) * m_slideLeft; }
    ClipboardModel &model() const { return m_model; }

    QListView *view() const { return m_view; }
    EntryListModel *listModel() const { return m_entries; }
    EntryThumbnails *thumbnails() const { return m_thumbnails; }
    bool isShowingEmptyState() const;
    // What the list says above its rows of how much of the history it holds; empty when nothing.
    QString readingNote() const;

Q_SIGNALS:
    // A row's text reading was asked for: the screenshot action window reads the image.
    void readTextRequested(const ClipboardEntry &entry);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refresh();
    std::optional<ClipboardEntry> current(const QString &entryID) const;
    void press(const QPoint &position, const QPoint &globalPosition);
    // The second press of a double click, which Qt reports in place of a press.
    void pressAgain(const QPoint &position);
    void dragTo(const QPoint &globalPosition);
    void hover(const QPoint &position);
    void scrollToSelection();
    void unfold(const std::optional<QString> &entryID);
    void toggleText(const ClipboardEntry &entry);
    ClipboardRow *showRowWidget(const ClipboardEntry &entry, bool animated);
    void followRowWidget(const QString &entryID);
    void relayoutRow(const std::optional<QString> &entryID);
    void syncRowWidgets();
    void keepRowHeights();
    bool moveKeyboardControl(bool forward);
    // Up or Down while the keyboard holds a Paste Stack row's handle.
    bool moveWithKeyboard(int direction);
    // Moves a stack entry and lets the rows slide to their new places.
    void moveInStack(const QString &entryID, int target);
    void startSlide();
    bool handleKey(QKeyEvent *event);
    // The widgets whose secondary clicks open a row's actions: the viewport and all inside it.
    void watchSecondaryClicks(QObject *object);
    // True when the event belongs to a secondary click and is taken here.
    bool handleSecondaryClick(QObject *watched, QEvent *event);

    ClipboardModel &m_model;
    PanelSheets &m_sheets;
    bool m_inPasteStack;
    EntryListModel *m_entries = nullptr;
    // The history change the rows show, while they list the whole history in its order.
    std::optional<quint64> m_mirroredHistoryChange;
    EntryThumbnails *m_thumbnails = nullptr;
    EntryRowDelegate *m_delegate = nullptr;
    QListView *m_view = nullptr;
    PanelEmptyState *m_empty = nullptr;
    QStackedLayout *m_stack = nullptr;
    QLabel *m_readingNote = nullptr;
    // The handle being dragged: its entry, where the drag began, and the entry's index then.
    std::optional<QString> m_draggedID;
    std::optional<int> m_dragStartIndex;
    QPoint m_dragOrigin;
    std::optional<QString> m_pressedHandleID;
    // The entry whose actions menu this list opened and that is still open.
    std::optional<QString> m_actionEntryID;
    // Entries whose whole text shows, for as long as this list lives, and the row widgets that
    // show it (only these rows have one: the list stays drawn, whatever its length).
    QSet<QString> m_unfoldedTexts;
    QHash<QString, QPointer<ClipboardRow>> m_rowWidgets;
    qreal m_stripOpacity = 1;
    // A reorder's slide: where each row was drawn before the move, then how far each row is
    // from its new place at the start of the slide, and how much of that is left (1 to 0).
    QHash<QString, int> m_slideFrom;
    QHash<QString, qreal> m_slideDistances;
    qreal m_slideLeft = 0;
    bool m_stripInert = false;
    quint64 m_revealSerial = 0;
    EntryRowDelegate::Control m_keyboardControl = EntryRowDelegate::Control::None;
    // A Ctrl-click opened the actions: its left release is taken too.
    bool m_claimedLeftPress = false;
};
