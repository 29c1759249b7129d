#pragma once

#include "core/ClipboardPanelTab.h"
#include "core/ClipboardTransform.h"
#include "engine/QuickImageActionRequest.h"

#include <array>

// The fixed orders of Quick Access, shared by the model's keys and the views that draw them.
namespace QuickAccessChoices {

// The paste options of the selected entry: text transforms for text, actions for images.
const std::array<ClipboardTransform, 8> &textOptions();
const std::array<QuickImageAction, 4> &imageOptions();
// The tab order of moving left and right in Quick Access.
const std::array<ClipboardPanelTab, 8> &tabOrder();

} // namespace QuickAccessChoices
