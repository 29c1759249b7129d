#pragma once

#include <QStackedWidget>

class ClipboardModel;
class QuickAccessView;

// The content of the notch panel and of the menu-bar popup: the panel's own view, or the
// Quick Access view while Quick Access is open.
class QuickAccessHost : public QStackedWidget {
    Q_OBJECT
public:
    // Takes both views as its children.
    QuickAccessHost(ClipboardModel &model, QWidget *panelView, QuickAccessView *quickAccessView,
                    QWidget *parent = nullptr);

    QWidget *panelView() const { return m_panelView; }
    QuickAccessView *quickAccessView() const { return m_quickAccessView; }

private:
    void follow();

    ClipboardModel &m_model;
    QWidget *m_panelView;
    QuickAccessView *m_quickAccessView;
};
