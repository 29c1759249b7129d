#pragma once

#include "support/SeededModel.h"

#include <QWidget>

// The entry actions menu on one of its pages, for the first seeded entry of a kind.
QWidget *actionsMenuSample(testsupport::SeededModel &seed, ClipboardKind kind, int page);
