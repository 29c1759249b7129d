#pragma once

#include "engine/QuickImageActionRequest.h"
#include "ui/quickaccess/QuickAccessListView.h"

#include <QPointF>
#include <QWidget>

#include <optional>

class ClipboardEntry;
class ClipboardModel;
class EntryThumbnails;
class JarCard;
class PanelEmptyState;
class QLabel;
class QuickAccessIconButton;
class QLineEdit;
class QListView;
class QScrollArea;
class QVBoxLayout;
class QStackedWidget;
class QuickAccessItemDelegate;
class QuickAccessListModel;
class QuickAccessOptionsPage;
class QuickAccessPermissionNotice;
class QuickAccessTabBar;

// The Quick Access surface in its rounded frame: the search row, the tab bar and the rows of
// the selected tab; in their place the options of the selected entry, or the permission card
// while a notice stands. Everything it shows is read from the application model; the keyboard
// is driven by the key map, which runs before this view sees a key, so the view only reflects
// the model and reports clicks, hovers and typed search text.
class QuickAccessView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPadding = 9;
    static constexpr int kSpacing = 9;
    static constexpr int kSearchRowSpacing = 8;
    static constexpr int kSearchHeight = 34;
    static constexpr qreal kCornerRadius = 15;
    static constexpr int kEmptyPadding = 18;
    static constexpr int kJarEmptyPadding = 10;

    explicit QuickAccessView(ClipboardModel &model, QWidget *parent = nullptr);
    ~QuickAccessView() override;

    // The frame the host gives the surface (the controller sizes the window); the size hint.
    void setFrameSize(const QSize &size) { m_frameSize = size; updateGeometry(); }
    QSize sizeHint() const override { return m_frameSize.isValid() ? m_frameSize : QWidget::sizeHint(); }
    bool hasHeightForWidth() const override { return !m_frameSize.isValid() && QWidget::hasHeightForWidth(); }

    QuickAccessTabBar *tabBar() const { return m_tabs; }
    QLineEdit *searchField() const { return m_search; }
    QuickAccessListView *list() const { return m_list; }
    QuickAccessOptionsPage *options() const { return m_options; }
    QuickAccessPermissionNotice *notice() const { return m_notice; }
    PanelEmptyState *emptyState() const { return m_empty; }
    QuickAccessListModel *listModel() const { return m_listModel; }
    // The cards of the Jars tab while no Jar is chosen, in list order.
    QList<JarCard *> jarCards() const;

Q_SIGNALS:
    // The listed rows or options changed: the host resizes to the new content size.
    void layoutChanged();
    // An image option was committed: the host performs it for the entry.
    void imageActionChosen(QuickImageAction action, const ClipboardEntry &entry);
    // Close buttons: Quick Access should close.
    void dismissRequested();
    // The settings button: Quick Access closes and the settings window comes forward.
    void settingsRequested();
    // The permission card's button: the Accessibility setting (not trusted) or the Input
    // Monitoring request (trusted).
    void permissionSettingsRequested(bool accessibilityTrusted);
    // A Jar card's pencil and bin: the panel's Jar editor and its delete confirmation.
    void jarRenameRequested(const QString &jarID);
    void jarDeleteRequested(const QString &jarID);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QWidget *buildListsPage();
    void reloadRows();
    void showSelection();
    void showOptions();
    void showNotice();
    void showFocus();
    void takeKeyboardOnOpening();
    void followOptionsFocus();
    void focusSearchAfresh();
    void showEmptyState();
    void showJarHeader();
    void clickRow(const QPoint &position);
    // A click on a row (its chevron with `options`), by the pointer or by assistive technology.
    void activateRow(int row, bool options);
    void openJar(const QString &jarID);
    void showJarCards();
    void hoverRow(const QModelIndex &index);
    void performImageRequest();

    ClipboardModel &m_model;
    QuickAccessTabBar *m_tabs = nullptr;
    QLineEdit *m_search = nullptr;
    QWidget *m_clear = nullptr;
    QSize m_frameSize;
    QStackedWidget *m_surface = nullptr;
    QWidget *m_listsPage = nullptr;
    QStackedWidget *m_content = nullptr;
    QWidget *m_jarHeader = nullptr;
    QLabel *m_jarName = nullptr;
    QLabel *m_jarCount = nullptr;
    QuickAccessListView *m_list = nullptr;
    QScrollArea *m_jarScroll = nullptr;
    QVBoxLayout *m_jarCards = nullptr;
    PanelEmptyState *m_empty = nullptr;
    QuickAccessOptionsPage *m_options = nullptr;
    QuickAccessPermissionNotice *m_notice = nullptr;
    QuickAccessListModel *m_listModel = nullptr;
    EntryThumbnails *m_thumbnails = nullptr;
    QuickAccessItemDelegate *m_delegate = nullptr;
    bool m_rowsStale = true;
    // Where on the screen the pointer was last seen over the list: a move reported at the same
    // place is the rows scrolling under a still pointer, which chooses nothing.
    std::optional<QPointF> m_pointerAt;
};
