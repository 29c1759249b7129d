#pragma once

#include "support/SeededModel.h"
#include "ui/panel/ClearSection.h"

#include <QWidget>

// The panel's sheets and the clear confirmation as the user meets them, some after a refused save.
QWidget *editTextSheetSample(testsupport::SeededModel &seed, bool refused);
QWidget *snippetEditorSample(testsupport::SeededModel &seed, bool existing, bool refused);
QWidget *jarEditorSample(testsupport::SeededModel &seed, bool rename, bool refused);
QWidget *clearAlertSample(ClearSection section);
