#pragma once

#include "core/ClipboardPanelTab.h"

#include <QWidget>

// The library's section screens in the details panel's room, over the seeded history or an
// empty one, for the snapshot catalog.
enum class LibraryContent { Seeded, Empty };
inline constexpr QSize kLibraryScreenSize{420, 380};
// `openJar` shows the detail of the first Jar on the Jars tab.
QWidget *librarySample(ClipboardPanelTab tab, LibraryContent content, bool openJar = false);
// The History screen with the controls of its first (image) row unfolded and the row selected.
QWidget *libraryUnfoldedRowSample();
// The history with a long text unfolded in its row and part of it selected.
QWidget *libraryUnfoldedTextSample();
