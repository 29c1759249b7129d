#pragma once

class QScrollArea;
class QWidget;

// A scroll area of the panel's views: no frame, no bars (the wheel and the keys scroll), and
// nothing painted of its own, so that the view's background shows through.
QScrollArea *makePanelScrollArea(QWidget *parent);
