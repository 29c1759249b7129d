// Every road of a paste and both copy shortcuts, in the programs a Linux user pastes into by what
// they are: terminals that paste the primary selection on Shift+Insert (xterm), terminals that
// bind Ctrl+Shift+V and turn Ctrl+Shift+C into ^C when nothing is selected (gnome-terminal,
// konsole, terminator), editors whose Ctrl+V is no paste (Emacs scrolls, gvim starts a visual
// block or a literal key; with Vim's own defaults no key pastes at all), a Tk field, whose window
// says nothing of its process, and LibreOffice Writer on its own X11 toolkit, which takes only
// some of the Backspaces sent in one burst. Each row reads back what the program holds, byte for byte: no
// ^C or ^V ever reaches it, and the user's primary selection is theirs again after each paste.
#include <gtest/gtest.h>

#include "core/ClipboardEntry.h"
#include "core/ClipboardSnippet.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScopeGuard>
#include <QStandardPaths>

#include "StoredHistory.h"
#include "X11TestSupport.h"
#include "Terminals.h"

#include <csignal>
#include <functional>
#include <memory>

using namespace x11test;

namespace {

// How long a road's text may take to arrive, and the user's primary selection to come back.
constexpr int kArriveMs = 8000;
// How long a megabyte may take: it crosses the clipboard in pieces, and the program then takes
// it in as the user's own paste.
constexpr int kLargeArriveMs = 30000;
constexpr int kPrimaryBackMs = 2000;
// How long Writer may take to answer a copy of what it holds.
constexpr int kReadBackMs = 4000;
// How long a copy shortcut's copy may take to be kept: on a busy machine the program may answer
// only within the clipboard's whole fetch deadline (X11Pasteboard::kFetchDeadline, eight seconds),
// which the keys' own way to the program comes before.
constexpr int kCopyKeptMs = 20000;
constexpr QPoint kNotch{960, 8};
constexpr QPoint kAway{960, 700};
const QSize kOpenPanelSize(450, 460);
constexpr QPoint kFirstRow{120, 206};
// Lines a terminal shows, enough to fill it whatever its size, so that a triple click in its
// middle selects one.
constexpr int kShownLines = 60;

enum class Family { Terminal,
                    Editor,
                    // A toolkit's own text field that pastes on Ctrl+V and copies on Ctrl+C.
                    Field,
                    Writer };

// A program as the user starts it: `folder` holds the file it writes what it received to.
struct ProgramRow {
    const char *name;
    const char *executable;
    Family family;
    QByteArray windowClass;
    std::function<std::shared_ptr<Program>(const QString &folder)> start;
};

const QString kUsersSelection = QStringLiteral("vybraté inde");
const QString kLine = QStringLiteral("zelený kopec 42");

QString receivedPath(const QString &folder) { return folder + QStringLiteral("/received"); }
QString interruptsPath(const QString &folder) { return folder + QStringLiteral("/interrupts"); }

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A text of about a megabyte in lines of a hundred characters, each numbered, so that a piece
// lost or repeated on the way shows.
QString largeText()
{
    QString text;
    for (int line = 0; text.size() < 1'000'000; ++line)
        text += QStringLiteral("riadok %1 ").arg(line, 5, 10, QLatin1Char('0')).leftJustified(99, QLatin1Char('x')) + QLatin1Char('\n');
    return text;
}

// What a program holds, as a failed row shows it: a megabyte only by its size and its ends.
std::string shown(const QByteArray &held)
{
    constexpr qsizetype kShownBytes = 400;
    if (held.size() <= kShownBytes)
        return held.toStdString();
    return (held.left(kShownBytes / 2) + "[...]" + held.right(kShownBytes / 2)).toStdString() + " ("
        + std::to_string(held.size()) + " bytes)";
}

// A shell that survives ^C and notes each one, shows a line to select, and keeps every byte
// typed into it, control characters too (^V arrives as itself: no literal-next, no echo).
std::shared_ptr<Program> terminal(const TerminalKind &kind, const QString &folder)
{
    const QString command = QStringLiteral("trap 'echo INT >> %1' INT; i=0; while [ $i -lt %4 ]; do printf '%s\\n' '%3'; "
                                           "i=$((i+1)); done; stty -echo -icanon -iexten; while :; do cat >> %2; done")
                                .arg(interruptsPath(folder), receivedPath(folder), kLine)
                                .arg(kShownLines);
    return std::make_shared<Terminal>(command, kind);
}

// Emacs writes its buffer to the file at every change.
std::shared_ptr<Program> emacs(const QString &folder)
{
    const QString watch = QStringLiteral("(progn (switch-to-buffer (get-buffer-create \"roads\")) "
                                         "(add-hook 'after-change-functions (lambda (&rest _) "
                                         "(write-region nil nil \"%1\" nil 'silent)) nil t))")
                              .arg(receivedPath(folder));
    return std::make_shared<Program>(QStringLiteral("emacs"),
                                     QStringList{"-Q", "--no-splash", "--geometry", "80x10+100+100", "--eval", watch});
}

// gvim, in Insert mode, writes its buffer to the file at every change: with the distribution's
// vimrc (Debian's maps Shift+Insert to a paste), or with Vim's own defaults, which map no key
// to a paste at all.
std::shared_ptr<Program> gvim(const QString &folder, bool clean)
{
    const QString watch =
        QStringLiteral("autocmd TextChanged,TextChangedI * call writefile(getline(1, '$'), '%1', 'b')").arg(receivedPath(folder));
    QStringList arguments{"-f", "-geometry", "80x10+100+100", "-c", watch, "-c", "startinsert"};
    if (clean)
        arguments.prepend(QStringLiteral("--clean"));
    return std::make_shared<Program>(QStringLiteral("gvim"), arguments);
}

// A Tk text field (gitk, git gui and IDLE are made of them): its window says nothing of its
// process. It writes what it holds to the file at every change.
std::shared_ptr<Program> tkField(const QString &folder)
{
    const QString script = QStringLiteral(R"(import sys, tkinter
root = tkinter.Tk()
root.geometry('500x200+100+100')
text = tkinter.Text(root)
text.pack(fill='both', expand=True)
def changed(event):
    if text.edit_modified():
        with open(sys.argv[1], 'wb') as out:
            out.write(text.get('1.0', 'end-1c').encode())
        text.edit_modified(False)
text.bind('<<Modified>>', changed)
text.focus_set()
root.mainloop()
)");
    return std::make_shared<Program>(QStringLiteral("/usr/bin/python3"), QStringList{"-c", script, receivedPath(folder)});
}

// Writer on LibreOffice's own X11 toolkit, in a profile of its own that shows no first-start tip.
std::shared_ptr<Program> writer(const QString &folder)
{
    QDir().mkpath(folder + QStringLiteral("/profile/user"));
    QFile settings(folder + QStringLiteral("/profile/user/registrymodifications.xcu"));
    if (settings.open(QIODevice::WriteOnly)) {
        settings.write(R"(<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="ShowTipOfTheDay" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="FirstRun" oor:op="fuse"><value>false</value></prop></item>
</oor:items>
)");
    }
    return std::make_shared<Program>(QStringLiteral("env"),
                                     QStringList{"SAL_USE_VCLPLUGIN=gen", "soffice",
                                                 "-env:UserInstallation=file://" + folder + "/profile", "--norestore",
                                                 "--nologo", "--writer"});
}

const ProgramRow kRows[] = {
    {"xterm", "xterm", Family::Terminal, kXterm.windowClass, [](const QString &f) { return terminal(kXterm, f); }},
    {"gnome-terminal", "gnome-terminal", Family::Terminal, kGnomeTerminal.windowClass,
     [](const QString &f) { return terminal(kGnomeTerminal, f); }},
    {"konsole", "konsole", Family::Terminal, kKonsole.windowClass, [](const QString &f) { return terminal(kKonsole, f); }},
    {"terminator", "terminator", Family::Terminal, kTerminator.windowClass,
     [](const QString &f) { return terminal(kTerminator, f); }},
    {"emacs", "emacs", Family::Editor, "Emacs", emacs},
    {"gvim", "gvim", Family::Editor, "Gvim", [](const QString &f) { return gvim(f, false); }},
    {"gvim-clean", "gvim", Family::Editor, "Gvim", [](const QString &f) { return gvim(f, true); }},
    {"tk", "/usr/bin/python3", Family::Field, "Tk", tkField},
    {"writer", "soffice", Family::Writer, "libreoffice-writer", writer},
};

ClipboardEntry textEntry(const QString &text, int minutesAgo)
{
    ClipboardEntry entry;
    entry.id = ClipboardEntry::newID();
    entry.text = text;
    entry.copiedAt = QDateTime::currentDateTimeUtc().addSecs(-60 * minutesAgo);
    return entry;
}

QByteArray settings(const QList<ClipboardEntry> &entries, const QStringList &stack, const QList<ClipboardSnippet> &snippets)
{
    const QJsonObject values{
        {"tarnel.onboardingComplete", true},
        {"tarnel.history", QJsonObject{{"data", QString::fromLatin1(ClipboardEntry::encodeList(entries).toBase64())}}},
        {"tarnel.pasteStack", QJsonArray::fromStringList(stack)},
        {"tarnel.snippets", QJsonObject{{"data", QString::fromLatin1(ClipboardSnippet::encodeList(snippets).toBase64())}}},
    };
    return QJsonDocument(values).toJson(QJsonDocument::Compact);
}

std::optional<Window> windowWithKeyboard(const QByteArray &windowClass)
{
    std::optional<Window> window;
    const bool focused = QTest::qWaitFor(
        [&] {
            const std::vector<Window> shown = shownWithClass(windowClass);
            window = shown.size() == 1 ? std::optional<Window>(shown.front()) : std::nullopt;
            // Where the keyboard follows the pointer, the user's pointer rests on the window.
            if (window && keyboardFollowsPointer())
                moveByHand(geometry(*window).center());
            return window && hasKeyboard(*window);
        },
        30000);
    return focused && waitForKeyboard(*window) ? window : std::nullopt;
}

void PrintTo(const ProgramRow &row, std::ostream *out)
{
    *out << row.name;
}

class ProgramRoads : public ::testing::TestWithParam<ProgramRow> { };

} // namespace

TEST_P(ProgramRoads, EveryRoadPastesExactlyAndNoCopyInterrupts)
{
    const ProgramRow &row = GetParam();
    if (QStandardPaths::findExecutable(QString::fromLatin1(row.executable)).isEmpty())
        GTEST_SKIP() << row.executable << " is not installed (scripts/setup.sh installs it)";
    if (row.family == Family::Field && run(QStringLiteral("/usr/bin/python3"), {"-c", "import tkinter"}) != 0)
        GTEST_SKIP() << "Python's Tk (python3-tk) is missing; scripts/setup.sh installs it";

    forgetHistory();
    const QList<ClipboardEntry> entries{textEntry(QStringLiteral("alfa prvý"), 0), textEntry(QStringLiteral("beta druhý"), 1),
                                        textEntry(QStringLiteral("gama tretí"), 2)};
    const ClipboardSnippet snippet{QStringLiteral("s1"), QStringLiteral("Podpis"), QStringLiteral(";sig"),
                                   QStringLiteral("S pozdravom, Ján")};
    // The fourth in Quick Access, under Ctrl+4, for the field's megabyte road.
    const ClipboardEntry large = textEntry(largeText(), 3);
    writeSettings(settings(row.family == Family::Field ? entries + QList<ClipboardEntry>{large} : entries,
                           {entries.last().id}, {snippet}));
    movePointer(kAway);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Each chord that went out is logged, so a road is read back once its keys are sent.
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("tarnel.platform.debug=true"));
    Program tarnel(tarnelBinary(), {}, environment);
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    const auto sentCount = [&](const char *chord) {
        return int(tarnel.errorOutput().count(QByteArray("KeySender: ") + chord + " sent"));
    };
    const SelectionOwner users(kUsersSelection, "primary");
    ASSERT_TRUE(users.isReady());

    QTemporaryDir folder;
    const std::shared_ptr<Program> program = row.start(folder.path());
    const std::optional<Window> window = windowWithKeyboard(row.windowClass);
    ASSERT_TRUE(window) << row.name << " never took the keyboard; " << program->errorOutput().constData();
    const std::vector<unsigned long> pids = longProperty(*window, "_NET_WM_PID");
    const qint64 windowPid = pids.empty() ? 0 : qint64(pids.front());
    const auto cleanUp = qScopeGuard([&] {
        // Writer's window belongs to the office process that its starter forked.
        if (row.family == Family::Writer && windowPid > 0 && windowPid != program->pid())
            ::kill(pid_t(windowPid), SIGKILL);
    });
    const auto interrupted = [&] { return QFile::exists(interruptsPath(folder.path())); };

    // What the program holds: the bytes a terminal passed on, an editor's buffer, Writer's
    // document copied by the private copy shortcut (which leaves no entry).
    const auto readBack = [&]() -> QByteArray {
        if (row.family != Family::Writer)
            return fileBytes(receivedPath(folder.path()));
        const int copies = sentCount("copy");
        xdotool({"key", "--delay", "60", "ctrl+a", "ctrl+alt+super+c"});
        (void)QTest::qWaitFor([&] { return sentCount("copy") > copies; }, kReadBackMs);
        const QString seen = readClipboard();
        xdotool({"key", "ctrl+End"});
        return seen.toUtf8();
    };

    QByteArray all;
    const auto road = [&](const char *name, const char *chord, const std::function<void()> &take, const QString &text,
                          int arriveMs = kArriveMs) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(waitForKeyboard(*window)) << "the keyboard is not with " << row.name;
        const int before = sentCount(chord);
        take();
        ASSERT_TRUE(QTest::qWaitFor([&] { return sentCount(chord) > before; }, kArriveMs)) << tarnel.errorOutput().constData();
        const QByteArray brought = text.toUtf8();
        if (row.family == Family::Terminal && qstrcmp(name, "snippet") == 0) {
            // The trigger as typed, as many erasing keys (DEL, or BS as some set it up), the text.
            const QByteArray start = all;
            ASSERT_TRUE(QTest::qWaitFor([&] { return readBack().endsWith(brought); }, kArriveMs))
                << "[" << readBack().toHex(' ').toStdString() << "]";
            const QByteArray typed = readBack().mid(start.size());
            EXPECT_TRUE(typed == ";sig\x7f\x7f\x7f\x7f" + brought || typed == ";sig\b\b\b\b" + brought)
                << typed.toHex(' ').toStdString();
            all = readBack();
            return;
        }
        all += brought;
        const bool arrived = QTest::qWaitFor([&] { return readBack() == all; }, row.family == Family::Writer ? 1 : arriveMs);
        EXPECT_TRUE(arrived) << "holds [" << shown(readBack()) << "], expected [" << shown(all) << "]; "
                             << tarnel.errorOutput().constData();
        if (!arrived)
            all = readBack();
    };
    const auto openPanelAndClickFirstRow = [&] {
        // By hand, from the window up to the notch, as the user goes.
        moveByHand(kNotch);
        ASSERT_TRUE(QTest::qWaitFor([&] { return drawnExtents(*panel).size() == kOpenPanelSize; }, 6000));
        ASSERT_TRUE(waitOnScreen(*panel, [&](QRect at) { return isWithin(windowAt(at.topLeft() + kFirstRow), *panel); }));
        const QPoint first = geometry(*panel).topLeft() + kFirstRow;
        xdotool({"mousemove", QString::number(first.x()), QString::number(first.y()), "click", "1"});
    };

    road(
        "paste-next", "paste", [] { xdotool({"key", "shift+alt+super+v"}); }, entries.last().text);
    // Where the keyboard follows the pointer, the pointer on the notch takes it from the window:
    // the paste goes to the window the pointer came from, and the keyboard follows the pointer
    // again afterwards, back into the window.
    const bool followsPointer = keyboardFollowsPointer();
    road("panel click", "paste", openPanelAndClickFirstRow, entries.first().text);
    EXPECT_TRUE(!followsPointer || QTest::qWaitFor(keyboardFollowsPointer)) << "the keyboard stays in the window";
    if (followsPointer)
        moveByHand(geometry(*window).center());
    else
        movePointer(kAway);
    ASSERT_TRUE(QTest::qWaitFor([&] { return drawnExtents(*panel).size() != kOpenPanelSize; }, 6000));
    road(
        "Quick Access, Ctrl+2", "paste",
        [&] {
            xdotool({"key", "shift+super+v"});
            ASSERT_TRUE(waitForActive(tarnel.pid())) << tarnel.errorOutput().constData();
            ASSERT_TRUE(waitForKeyboard(*panel));
            xdotool({"key", "ctrl+2"});
        },
        entries.at(1).text);
    // Quick Access took the keyboard from the pointer: it follows the pointer again, or the user
    // moving on to another window would type into this one still.
    EXPECT_TRUE(!followsPointer || QTest::qWaitFor(keyboardFollowsPointer)) << "the keyboard stays in the window";
    road(
        "snippet", "paste", [&] { xdotool({"type", "--delay", "40", snippet.trigger}); }, snippet.text);
    // Lent to a terminal that pastes it, or never touched: the user's own either way. (Writer's
    // read back selects its document, which takes the primary selection.)
    if (row.family != Family::Writer) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return readSelection("primary") == kUsersSelection; }, kPrimaryBackMs))
            << "primary [" << readSelection("primary").toStdString() << "]";
    }

    if (row.family == Family::Terminal || row.family == Family::Editor) {
        // Nothing selected in the program (another one holds the primary selection): each copy
        // shortcut copies nothing, types nothing and says so.
        SCOPED_TRACE("copies with nothing selected");
        const QString clipboard = readClipboard();
        for (const char *shortcut : {"ctrl+alt+super+c", "alt+super+c"}) {
            const int given = int(tarnel.errorOutput().count("copy not sent"));
            xdotool({"key", shortcut});
            EXPECT_TRUE(QTest::qWaitFor([&] { return tarnel.errorOutput().count("copy not sent") > given; }, kArriveMs))
                << shortcut << ": " << tarnel.errorOutput().constData();
        }
        EXPECT_EQ(readClipboard(), clipboard);
        EXPECT_EQ(readBack(), all) << readBack().toHex(' ').toStdString();
        EXPECT_FALSE(interrupted()) << "a copy shortcut interrupted the program in the terminal";
    }

    // A toolkit's field copies on its own Ctrl+C: its rows are about where the pastes go, also
    // those of Quick Access that paste a text of their own (its paste-as form's options) or a
    // megabyte, into a window that names no process.
    if (row.family == Family::Field) {
        road(
            "paste-as, Veľké písmená", "paste",
            [&] {
                xdotool({"key", "alt+super+v"});
                ASSERT_TRUE(waitForActive(tarnel.pid())) << tarnel.errorOutput().constData();
                ASSERT_TRUE(waitForKeyboard(*panel));
                // The first entry is chosen; Right opens its options, the first of which is capitals.
                xdotool({"key", "--delay", "60", "Down", "Right", "Return"});
            },
            entries.first().text.toUpper());
        road(
            "Quick Access, a megabyte on Ctrl+4", "paste",
            [&] {
                xdotool({"key", "shift+super+v"});
                ASSERT_TRUE(waitForActive(tarnel.pid())) << tarnel.errorOutput().constData();
                ASSERT_TRUE(waitForKeyboard(*panel));
                xdotool({"key", "ctrl+4"});
            },
            large.text, kLargeArriveMs);
        return;
    }
    // Something selected: the private copy puts it on the clipboard alone, the Paste Stack's
    // copy records it as well.
    SCOPED_TRACE("copies of a selection");
    if (row.family == Family::Terminal) {
        ASSERT_TRUE(waitOnScreen(*window));
        const QPoint middle = geometry(*window).center();
        xdotool({"mousemove", QString::number(middle.x()), QString::number(middle.y()), "click", "--repeat", "3", "--delay", "60", "1"});
    } else if (qstrcmp(row.name, "emacs") == 0) {
        xdotool({"key", "--delay", "60", "End", "shift+Home"});
    } else if (QByteArray(row.name).startsWith("gvim")) {
        xdotool({"key", "--delay", "60", "Escape", "shift+v"});
    } else {
        xdotool({"key", "ctrl+a"});
    }
    ASSERT_TRUE(QTest::qWaitFor([&] {
        const QString primary = readSelection("primary");
        return !primary.isEmpty() && primary != kUsersSelection;
    })) << "the program never took the primary selection";
    const QString selection = readSelection("primary");
    EXPECT_TRUE(row.family != Family::Terminal || selection.trimmed() == kLine) << selection.toStdString();
    xdotool({"key", "ctrl+alt+super+c"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return readClipboard() == selection; }, kCopyKeptMs))
        << "clipboard [" << readClipboard().toStdString() << "]; " << tarnel.errorOutput().constData();
    xdotool({"key", "alt+super+c"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return storedTexts().contains(selection); }, kCopyKeptMs))
        << storedTexts().join(QLatin1Char('|')).toStdString() << "; " << tarnel.errorOutput().constData();
    EXPECT_EQ(storedTexts().count(selection), 1);
    EXPECT_EQ(readClipboard(), selection);
    if (row.family != Family::Writer) {
        EXPECT_EQ(readBack(), all) << readBack().toHex(' ').toStdString();
    }
    EXPECT_FALSE(interrupted()) << "a copy shortcut interrupted the program in the terminal";
}

INSTANTIATE_TEST_SUITE_P(Programs, ProgramRoads, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<ProgramRow> &row) {
                             QString name = QString::fromLatin1(row.param.name);
                             name.remove(QLatin1Char('-'));
                             return name.toStdString();
                         });
