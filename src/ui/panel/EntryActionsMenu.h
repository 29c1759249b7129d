#pragma once

#include "core/ClipboardEntry.h"

#include <QUrl>
#include <QWidget>

#include <functional>
#include <optional>

class ClipboardModel;
class QVBoxLayout;

// Everything that can be done with one entry besides a plain click: paste, edit first, paste as
// plain text, pin, put into Jars, keep as a snippet, and the tools of its kind. A main page lists
// the actions; the transform, colour and Jar pages take its place under the same header.
// A row the model acts on closes the menu (closeRequested) before it acts; a row the host acts on
// (edit, preview, create, open an address) announces itself first and then closes, so a host may
// delete the menu on closeRequested; moving between pages keeps it open.
//
// Hosts open it for an entry id and listen to it with a context object of their own:
//     auto *menu = EntryActionsMenu::popUp(model, entryID, globalToggleRect);
//     connect(menu, &EntryActionsMenu::editRequested, host, ...);
// or embed an EntryActionsMenu they build themselves.
class EntryActionsMenu : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kWidth = 268;
    static constexpr int kPadding = 8;
    static constexpr int kTransformPageHeight = 543;
    static constexpr int kJarRowHeight = 38;
    static constexpr int kJarPageExtra = 42;
    static constexpr int kScrollHeightMinimum = 320;
    static constexpr int kScrollHeightMaximum = 540;
    static constexpr int kScreenReserve = 160;
    static constexpr int kSnippetNameLength = 32;
    static constexpr int kAnchorGap = 6;

    enum class Page { Main, Transform, Color, Jars };

    // The entry is read from the model by id; an id the model no longer holds yields no menu.
    static EntryActionsMenu *create(ClipboardModel &model, const QString &entryID, QWidget *parent = nullptr);
    // Opens the menu as a popup window beside a control (global rectangle); it deletes itself when
    // closed and emits closed once when the window goes: by a row, by Escape or by a click elsewhere.
    static EntryActionsMenu *popUp(ClipboardModel &model, const QString &entryID, const QRect &globalAnchor);
    // Where a menu of this size goes for a control: beside its trailing edge and centred on it, like a
    // popover whose arrow points at the control; beside its leading edge when the screen ends first;
    // always inside the screen.
    static QPoint placement(const QSize &menu, const QRect &anchor, const QRect &screen);

    EntryActionsMenu(ClipboardModel &model, ClipboardEntry entry, QWidget *parent = nullptr);

    Page page() const { return m_page; }
    void setPage(Page page);
    // The height budget of the scrolling pages for a screen's visible height (none: the
    // pointer is on no screen).
    static int scrollHeight(std::optional<int> visibleHeight);
    // The name a snippet kept from an entry gets: the first kSnippetNameLength characters of
    // its preview as a person counts them (an emoji or a letter with its accents is one).
    static QString snippetName(const QString &preview);

    QSize sizeHint() const override { return QSize(kWidth, minimumHeight()); }

Q_SIGNALS:
    // A row ran or Escape left the main page: the menu is done. A popup closes its window on it.
    void closeRequested();
    // The popup's window closed, by a row, Escape or a click elsewhere.
    void closed();
    // Rows the host acts on, each emitted just before closeRequested.
    void editRequested();
    void previewImageRequested();
    void createImageRequested();
    // A web, mail or file address to open; the desktop's handler opens it when nobody listens.
    void openUrlRequested(const QUrl &url);

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void placeBesideAnchor();
    void rebuild();
    void buildHeader();
    void buildMainPage(QVBoxLayout *layout);
    void buildSpecificActions(QVBoxLayout *layout);
    void buildTransformPage(QVBoxLayout *layout);
    void buildColorPage(QVBoxLayout *layout);
    void buildJarsPage(QVBoxLayout *layout);
    QWidget *action(const QString &title, const QString &symbol, std::function<void()> perform,
                    bool prominent = false, bool checked = false, std::optional<QString> detail = {});
    // A row the host acts on: its signal goes out while the menu surely lives, then the menu closes.
    QWidget *hostAction(const QString &title, const QString &symbol, void (EntryActionsMenu::*announce)());
    QWidget *openAction(const QString &title, const QString &symbol, const QUrl &url);
    QWidget *disclosure(const QString &title, const QString &symbol, Page destination);
    QWidget *sectionLabel(const QString &title);
    void finish();
    bool isText() const;
    bool isPinned() const;

    ClipboardModel &m_model;
    ClipboardEntry m_entry;
    Page m_page = Page::Main;
    QWidget *m_content = nullptr;
    bool m_rebuildQueued = false;
    // The control a popup belongs to; the popup follows it when a page changes its height.
    std::optional<QRect> m_anchor;
};
