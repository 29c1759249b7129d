#pragma once

#include "support/SeededModel.h"
#include "ui/settings/SettingsView.h"

#include <QSize>

inline constexpr QSize kSettingsWindowSize(560, 700);

// The settings window's content on one page, with no keyboard access so that every note shows.
QWidget *settingsSample(testsupport::SeededModel &seed, SettingsView::Tab tab);
