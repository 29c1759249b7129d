#pragma once

#include "support/SeededModel.h"

#include <QWidget>

// The entry actions menu on one of its pages, for the first seeded entry of a kind.
QWidget *actionsMenuSample(testsupport::SeededModel &seed, ClipboardKind kind, int page);
// The Quick Access surface at its frame: the lists of a tab (optionally searched or inside the
// first Jar), the options of the first entry of a kind, or the permission card.
enum class QuickAccessSample { Lists, Searching, SearchSelection, JarDrillDown, TextOptions, ImageOptions, Notice };
QWidget *quickAccessSample(testsupport::SeededModel &seed, QuickAccessSample sample, ClipboardPanelTab tab, QSize frame);
