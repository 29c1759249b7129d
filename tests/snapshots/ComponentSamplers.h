#pragma once

#include "support/SeededModel.h"

#include "ui/style/PanelStyle.h"

#include <QWidget>

#include <functional>

class QMenu;

// Pages that show the kit and the components in their various states, for the snapshot catalog.
QWidget *styleKitSampler();
QWidget *entryRowSampler(testsupport::SeededModel &seed);
QWidget *menuControlsSampler();
QWidget *masonrySampler(testsupport::SeededModel &seed);
// A menu drawn inside the page for its picture (on screen a menu is a window of its own). The
// menu is made when the page is shown, for the scheme the page was given, as a menu opening
// from a view of that scheme is; `make` may keep its opener as a hidden child of `owner`.
QWidget *menuSampler(std::function<QMenu *(QWidget *owner, PanelStyle::Scheme scheme)> make);
