#pragma once

#include <QScrollBar>

// A scroll bar of the panel's views that scroll a text: a slim rounded thumb in the kit's
// colours of the widget's look over nothing of its own, where the desktop style would draw a
// light groove and handle whatever the look.
class PanelScrollBar : public QScrollBar {
    Q_OBJECT
public:
    explicit PanelScrollBar(Qt::Orientation orientation, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
