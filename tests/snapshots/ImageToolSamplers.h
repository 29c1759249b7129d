#pragma once

#include "support/SeededModel.h"

#include <QWidget>

// The image tools as the user meets them, ready to draw: images decoded and text read.
QWidget *screenshotToastSample(testsupport::SeededModel &seed);
QWidget *screenshotTextSheetSample(testsupport::SeededModel &seed, bool showsCodes);
QWidget *imageComposerSample(testsupport::SeededModel &seed, bool styled);
QWidget *imagePreviewSample(testsupport::SeededModel &seed);
// The text sheet's save menu, open.
QWidget *saveMenuSample(testsupport::SeededModel &seed);
