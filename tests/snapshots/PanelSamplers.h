#pragma once

#include "core/ClipboardPanelTab.h"

#include <QWidget>

// The notch panel's root view over the seeded history, for the snapshot catalog: the collapsed
// and the widened notch row, its copied and screenshot notices, and the open details panel on
// each section. Without `keysAllowed` key sending and watching are refused, as they are before
// the user grants them, and the Snippets section shows its permission card.
enum class PanelLook { Collapsed, Wide, Copied, Screenshot, Expanded };
inline constexpr QSize kPanelSize{450, 460};
QWidget *panelSample(PanelLook look, ClipboardPanelTab tab = ClipboardPanelTab::History, bool keysAllowed = true);
