#include "platform/x11/ProgramRoads.h"

#include <array>

namespace {

struct ProgramFamily {
    const char *name;
    KeyRoute route;
};

constexpr auto kShifted = KeyRoute::ShiftedChords;
constexpr auto kPrimary = KeyRoute::PrimarySelection;
constexpr auto kShiftInsert = KeyRoute::ClipboardOnShiftInsert;
constexpr auto kRegister = KeyRoute::ClipboardRegister;

// WM_CLASS classes of terminal emulators, compared without case, with the chords each binds
// out of the box. xterm (and uxterm, its UTF-8 class) binds Shift+Insert to paste the primary
// selection and no Ctrl+Shift chord; rxvt and rxvt-unicode paste the primary selection on
// Shift+Insert too, and the Ctrl+Meta chords of newer rxvt-unicode reach older ones as Escape
// and ^C; Eterm comes from rxvt. "terminal" names more than one program, so it gets the route
// that types nothing any terminal reads as an interrupt.
constexpr std::array kTerminals{
    ProgramFamily{"xterm", kPrimary},
    ProgramFamily{"uxterm", kPrimary},
    ProgramFamily{"urxvt", kPrimary},
    ProgramFamily{"rxvt", kPrimary},
    ProgramFamily{"eterm", kPrimary},
    ProgramFamily{"terminal", kPrimary},
    ProgramFamily{"gnome-terminal", kShifted},
    ProgramFamily{"gnome-terminal-server", kShifted},
    ProgramFamily{"konsole", kShifted},
    ProgramFamily{"kitty", kShifted},
    ProgramFamily{"alacritty", kShifted},
    ProgramFamily{"xfce4-terminal", kShifted},
    ProgramFamily{"terminator", kShifted},
    ProgramFamily{"tilix", kShifted},
    ProgramFamily{"lxterminal", kShifted},
    ProgramFamily{"mate-terminal", kShifted},
    ProgramFamily{"qterminal", kShifted},
    ProgramFamily{"terminology", kShifted},
    ProgramFamily{"st", kShifted},
    ProgramFamily{"st-256color", kShifted},
    ProgramFamily{"wezterm", kShifted},
    ProgramFamily{"org.wezfurlong.wezterm", kShifted},
    ProgramFamily{"foot", kShifted},
    ProgramFamily{"footclient", kShifted},
    ProgramFamily{"guake", kShifted},
    ProgramFamily{"tilda", kShifted},
    ProgramFamily{"sakura", kShifted},
    ProgramFamily{"yakuake", kShifted},
    ProgramFamily{"cool-retro-term", kShifted},
    ProgramFamily{"deepin-terminal", kShifted},
    ProgramFamily{"kgx", kShifted},
    ProgramFamily{"org.gnome.console", kShifted},
    ProgramFamily{"ptyxis", kShifted},
    ProgramFamily{"org.gnome.ptyxis", kShifted},
    ProgramFamily{"blackbox", kShifted},
    ProgramFamily{"com.raggesilver.blackbox", kShifted},
    ProgramFamily{"contour", kShifted},
    ProgramFamily{"ghostty", kShifted},
    ProgramFamily{"com.mitchellh.ghostty", kShifted},
    ProgramFamily{"rio", kShifted},
};

// Editors whose Ctrl+V is not a paste, by class and instance. Emacs (GTK, Lucid and Athena
// builds alike, and emacsclient's frames) scrolls on Ctrl+V, and Ctrl+C begins a command that
// takes the next key; its Shift+Insert yanks the clipboard. gvim puts the clipboard register.
constexpr std::array kEditors{
    ProgramFamily{"emacs", kShiftInsert},
    ProgramFamily{"gvim", kRegister},
};

template <typename Table>
bool find(const Table &table, const QString &name, KeyRoute &route)
{
    for (const ProgramFamily &family : table) {
        if (name.compare(QLatin1String(family.name), Qt::CaseInsensitive) == 0) {
            route = family.route;
            return true;
        }
    }
    return false;
}

} // namespace

KeyRoute ProgramRoads::named(const QString &name)
{
    KeyRoute route = KeyRoute::Ordinary;
    if (!name.isEmpty() && !find(kTerminals, name, route))
        find(kEditors, name, route);
    return route;
}

QStringList ProgramRoads::knownNames()
{
    QStringList names;
    for (const ProgramFamily &family : kTerminals)
        names.append(QLatin1String(family.name));
    for (const ProgramFamily &family : kEditors)
        names.append(QLatin1String(family.name));
    return names;
}
