#pragma once

#include "core/ClipboardEntry.h"

#include <QWidget>

#include <functional>
#include <optional>

class ClipboardModel;
class QVBoxLayout;

// Everything that can be done with one entry besides a plain click: paste, edit first, paste as
// plain text, pin, put into Jars, keep as a snippet, and the tools of its kind. A main page lists
// the actions; the transform, colour and Jar pages take its place under the same header.
// Every row that does something closes the menu before it acts (closeRequested, then the host's
// onClose), so the host may delete the menu there; moving between pages keeps it open.
//
// Hosts (the notch panel, the library rows, Quick Access) open it for an entry id:
//     EntryActionsMenu::popUp(model, entryID, {.onClose = ..., .onEdit = ...}, globalPoint);
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

    enum class Page { Main, Transform, Color, Jars };

    // What the host does for the menu. onClose dismisses it; the others open sheets.
    struct Host {
        std::function<void()> onClose{};
        std::function<void()> onEdit{};
        std::function<void()> onPreviewImage{};
        std::function<void()> onCreateImage{};
        // Opens a web, mail or file address; the desktop's handler unless set.
        std::function<void(const QUrl &)> openUrl{};
    };

    // The entry is read from the model by id; an id the model no longer holds yields no menu.
    static EntryActionsMenu *create(ClipboardModel &model, const QString &entryID, Host host,
                                    QWidget *parent = nullptr);
    // Opens the menu as a popup window at a global point; it deletes itself when closed. The
    // host's onClose runs once when the window closes: by a row, by Escape or by a click elsewhere.
    static EntryActionsMenu *popUp(ClipboardModel &model, const QString &entryID, Host host,
                                   const QPoint &globalPosition);

    EntryActionsMenu(ClipboardModel &model, ClipboardEntry entry, Host host, QWidget *parent = nullptr);

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

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void rebuild();
    void buildHeader();
    void buildMainPage(QVBoxLayout *layout);
    void buildSpecificActions(QVBoxLayout *layout);
    void buildTransformPage(QVBoxLayout *layout);
    void buildColorPage(QVBoxLayout *layout);
    void buildJarsPage(QVBoxLayout *layout);
    QWidget *action(const QString &title, const QString &symbol, std::function<void()> perform,
                    bool prominent = false, bool checked = false, std::optional<QString> detail = {});
    QWidget *disclosure(const QString &title, const QString &symbol, Page destination);
    QWidget *sectionLabel(const QString &title);
    void finish();
    bool isText() const;
    bool isPinned() const;

    ClipboardModel &m_model;
    ClipboardEntry m_entry;
    Host m_host;
    Page m_page = Page::Main;
    QWidget *m_content = nullptr;
    bool m_rebuildQueued = false;
};
