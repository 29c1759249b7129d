#pragma once

#include "engine/QuickImageActionRequest.h"

#include <QWidget>

class ClipboardEntry;
class ClipboardModel;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QStackedWidget;
class QTabBar;
class QuickAccessItemDelegate;
class QuickAccessListModel;

// The Quick Access content: tab strip, search field, the rows of the selected tab and, while
// open, the paste options of the selected entry. Everything it shows is read from the
// application model; the keyboard is driven by the key map, which runs before this view sees
// a key, so the view only reflects the model and reports clicks and typed search text.
class QuickAccessView : public QWidget {
    Q_OBJECT
public:
    explicit QuickAccessView(ClipboardModel &model, QWidget *parent = nullptr);

    QTabBar *tabBar() const { return m_tabs; }
    QLineEdit *searchField() const { return m_search; }
    QListView *list() const { return m_list; }
    QListWidget *options() const { return m_options; }
    QLabel *notice() const { return m_notice; }
    QuickAccessListModel *listModel() const { return m_listModel; }

Q_SIGNALS:
    // The listed rows or options changed: the host resizes to the new content size.
    void layoutChanged();
    // An image option was committed: the host performs it for the entry.
    void imageActionChosen(QuickImageAction action, const ClipboardEntry &entry);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void reloadRows();
    void showSelection();
    void showTab();
    void showOptions();
    void showNotice();
    void showFocus();
    void performImageRequest();

    ClipboardModel &m_model;
    QTabBar *m_tabs = nullptr;
    QLineEdit *m_search = nullptr;
    QStackedWidget *m_pages = nullptr;
    QListView *m_list = nullptr;
    QLabel *m_empty = nullptr;
    QListWidget *m_options = nullptr;
    QLabel *m_notice = nullptr;
    QuickAccessListModel *m_listModel = nullptr;
    QuickAccessItemDelegate *m_delegate = nullptr;
    bool m_rowsStale = true;
};
