#pragma once

#include <QStackedWidget>

class QuickAccessView;

// The content of the notch panel and of the menu-bar popup: the panel's own view, or the
// Quick Access view while its owner reports Quick Access open.
class QuickAccessHost : public QStackedWidget {
    Q_OBJECT
public:
    // Takes both views as its children.
    QuickAccessHost(QWidget *panelView, QuickAccessView *quickAccessView, QWidget *parent = nullptr);

    QWidget *panelView() const { return m_panelView; }
    QuickAccessView *quickAccessView() const { return m_quickAccessView; }
    // Shows Quick Access in front, or the panel's view.
    void setQuickAccessPresented(bool presented);

private:
    QWidget *m_panelView;
    QuickAccessView *m_quickAccessView;
};
