#pragma once

#include "support/SeededModel.h"

#include <QWidget>

// Pages that show a component in its various states, for the snapshot catalog.
QWidget *entryRowSampler(testsupport::SeededModel &seed);
QWidget *menuControlsSampler();
QWidget *masonrySampler(testsupport::SeededModel &seed);
