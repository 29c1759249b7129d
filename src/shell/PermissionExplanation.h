#pragma once

#include "platform/Permissions.h"

// The desktop has no settings pane that grants Tarnel a permission: this explains, in a small
// window of its own, what is missing and what it costs. One window per kind at a time.
namespace PermissionExplanation {

// Under a Wayland session the explanation also says what holds for X11 applications only.
void show(Permissions::Kind kind, bool waylandSession = false);

// The text shown for a kind, in the interface language of the moment.
QString text(Permissions::Kind kind, bool waylandSession = false);

} // namespace PermissionExplanation
