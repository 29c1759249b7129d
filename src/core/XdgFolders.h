#pragma once

#include <QString>

// The per-user base folders of the XDG base directory rules. A variable that holds a relative
// path is ignored, as the rules ask: such a path would name another folder from every working
// folder a start happens to have, and with it another history and other settings.
namespace XdgFolders {

// $XDG_DATA_HOME, else ~/.local/share.
QString dataHome();
// $XDG_CONFIG_HOME, else ~/.config.
QString configHome();
// $XDG_CACHE_HOME, else ~/.cache.
QString cacheHome();
// $XDG_RUNTIME_DIR; empty when it is not set or not absolute (there is no default).
QString runtimeFolder();

} // namespace XdgFolders
