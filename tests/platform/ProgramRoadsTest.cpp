// The road each program family gets is what that program binds out of the box: a terminal given
// Ctrl+V would receive a control character, one given Ctrl+Shift+V that binds none would receive
// ^V, and one given Ctrl+Shift+C that binds none would get an interrupt. Only the programs a test
// starts were checked before; this table holds every family the program table knows.
#include <gtest/gtest.h>

#include "platform/x11/ProgramRoads.h"

#include <QSet>

namespace {

struct FamilyRow {
    const char *name;
    KeyRoute route;
};

constexpr auto kShifted = KeyRoute::ShiftedChords;
constexpr auto kPrimary = KeyRoute::PrimarySelection;

// Written out again, not read from the table: a family whose road changes there fails here.
const FamilyRow kFamilies[] = {
    {"xterm", kPrimary},
    {"uxterm", kPrimary},
    {"urxvt", kPrimary},
    {"rxvt", kPrimary},
    {"eterm", kPrimary},
    {"terminal", kPrimary},
    {"gnome-terminal", kShifted},
    {"gnome-terminal-server", kShifted},
    {"konsole", kShifted},
    {"kitty", kShifted},
    {"alacritty", kShifted},
    {"xfce4-terminal", kShifted},
    {"terminator", kShifted},
    {"tilix", kShifted},
    {"lxterminal", kShifted},
    {"mate-terminal", kShifted},
    {"qterminal", kShifted},
    {"terminology", kShifted},
    {"st", kShifted},
    {"st-256color", kShifted},
    {"wezterm", kShifted},
    {"org.wezfurlong.wezterm", kShifted},
    {"foot", kShifted},
    {"footclient", kShifted},
    {"guake", kShifted},
    {"tilda", kShifted},
    {"sakura", kShifted},
    {"yakuake", kShifted},
    {"cool-retro-term", kShifted},
    {"deepin-terminal", kShifted},
    {"kgx", kShifted},
    {"org.gnome.console", kShifted},
    {"ptyxis", kShifted},
    {"org.gnome.ptyxis", kShifted},
    {"blackbox", kShifted},
    {"com.raggesilver.blackbox", kShifted},
    {"contour", kShifted},
    {"ghostty", kShifted},
    {"com.mitchellh.ghostty", kShifted},
    {"rio", kShifted},
    {"emacs", KeyRoute::ClipboardOnShiftInsert},
    // Vim binds no paste key of its own: Shift+Insert typed its name into the file.
    {"gvim", KeyRoute::ClipboardRegister},
};

} // namespace

TEST(ProgramRoads, EveryFamilyTakesTheRoadItBindsWhateverTheCaseOfItsClass)
{
    QSet<QString> listed;
    for (const FamilyRow &row : kFamilies) {
        const QString name = QString::fromLatin1(row.name);
        SCOPED_TRACE(row.name);
        listed.insert(name);
        EXPECT_EQ(ProgramRoads::named(name), row.route);
        // Classes are capitalised (XTerm, Gvim, Alacritty), instances are not.
        EXPECT_EQ(ProgramRoads::named(name.toUpper()), row.route);
        // Every road but Ctrl+C takes the program's selection: its copy chord interrupts or
        // begins a command where nothing is selected.
        EXPECT_TRUE(ProgramRoads::copiesItsSelection(row.route));
    }
    // A family added to the table without its row here is not checked at all.
    const QStringList known = ProgramRoads::knownNames();
    EXPECT_EQ(QSet<QString>(known.cbegin(), known.cend()), listed);
    EXPECT_EQ(known.size(), listed.size()) << "a family is listed twice";
}

TEST(ProgramRoads, ProgramsTheTableDoesNotNameTakeTheOrdinaryRoad)
{
    // A prefix or a name that merely contains a known one is another program.
    for (const char *name : {"", "gedit", "xterminal", "vim", "emacsclient-x", "Firefox", "sterm"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ProgramRoads::named(QString::fromLatin1(name)), KeyRoute::Ordinary);
    }
    EXPECT_FALSE(ProgramRoads::copiesItsSelection(KeyRoute::Ordinary));
}
