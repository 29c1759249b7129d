#pragma once

class QScrollArea;
class QStackedLayout;
class QWidget;

// The body of a section screen below its heading: the screen's content in a scroll area without
// bars, and the empty state in its place when there is nothing to show.
struct ScreenBody {
    QWidget *widget = nullptr;      // goes into the screen's layout
    QScrollArea *scroll = nullptr;  // holds the content
    QStackedLayout *stack = nullptr; // the scroll area first, the empty state second

    // Takes `content` into the scroll area and `empty` into the stack.
    static ScreenBody make(QWidget *parent, QWidget *content, QWidget *empty);
};
