#pragma once

#include "support/SeededModel.h"

#include <QWidget>

// Pages that show the kit and the components in their various states, for the snapshot catalog.
QWidget *styleKitSampler();
QWidget *entryRowSampler(testsupport::SeededModel &seed);
QWidget *menuControlsSampler();
QWidget *masonrySampler(testsupport::SeededModel &seed);
