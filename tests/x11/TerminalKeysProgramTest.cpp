// The whole program with xterm in front. xterm binds neither Ctrl+Shift+C nor Ctrl+Shift+V: the
// first reaches the running program as ^C (an interrupt), the second as the byte ^V. So the
// copy shortcuts take what xterm selected from the primary selection, and a paste offers the
// text as the primary selection and presses Shift+Insert. Other terminals bind Ctrl+Shift+V;
// gnome-terminal takes it only once it has asked the clipboard's new owner what it offers.
// What arrives is read back from the program running in the terminal.
#include <gtest/gtest.h>

#include "core/ClipboardEntry.h"
#include "core/ClipboardSnippet.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "StoredHistory.h"
#include "support/TestImages.h"
#include "X11TestSupport.h"
#include "Terminals.h"

#include <X11/extensions/Xfixes.h>

using namespace x11test;

namespace {

// xterm's default font is 6 by 13 pixels, inside a border of 2.
constexpr QPoint kFirstLine{20, 8};
// How soon after a paste through the primary selection arrived the user's selection is back.
constexpr int kPrimaryBackMs = 2000;
// The notch, where a hover opens the panel; the open panel's size, and the text of its first
// row, from its top left.
constexpr QPoint kNotch{960, 8};
const QSize kOpenPanelSize(450, 460);
constexpr QPoint kFirstRow{120, 206};

QByteArray settings(const QList<ClipboardEntry> &entries = {}, const QStringList &stack = {},
                    const QList<ClipboardSnippet> &snippets = {})
{
    QJsonObject values{{"tarnel.onboardingComplete", true}};
    if (!entries.isEmpty())
        values.insert("tarnel.history", QJsonObject{{"data", QString::fromLatin1(ClipboardEntry::encodeList(entries).toBase64())}});
    if (!stack.isEmpty())
        values.insert("tarnel.pasteStack", QJsonArray::fromStringList(stack));
    if (!snippets.isEmpty())
        values.insert("tarnel.snippets", QJsonObject{{"data", QString::fromLatin1(ClipboardSnippet::encodeList(snippets).toBase64())}});
    return QJsonDocument(values).toJson(QJsonDocument::Compact);
}

QString readPrimary()
{
    return readSelection("primary");
}

// Counts the changes of the primary selection's owner from its start on, as the server reports
// them. Reading the selection instead would be a read, which a program that pastes the
// clipboard on Shift+Insert never makes.
class PrimaryOwnerChanges {
public:
    PrimaryOwnerChanges()
        : m_display(XOpenDisplay(nullptr))
    {
        int errorBase = 0;
        if (!m_display || !XFixesQueryExtension(m_display, &m_eventBase, &errorBase))
            return;
        XFixesSelectSelectionInput(m_display, DefaultRootWindow(m_display), XInternAtom(m_display, "PRIMARY", False),
                                   XFixesSetSelectionOwnerNotifyMask | XFixesSelectionWindowDestroyNotifyMask
                                       | XFixesSelectionClientCloseNotifyMask);
        XSync(m_display, False);
    }
    ~PrimaryOwnerChanges()
    {
        if (m_display)
            XCloseDisplay(m_display);
    }
    PrimaryOwnerChanges(const PrimaryOwnerChanges &) = delete;
    PrimaryOwnerChanges &operator=(const PrimaryOwnerChanges &) = delete;

    int count()
    {
        while (m_display && XPending(m_display)) {
            XEvent event;
            XNextEvent(m_display, &event);
            if (event.type == m_eventBase + XFixesSelectionNotify)
                ++m_count;
        }
        return m_count;
    }

private:
    Display *m_display = nullptr;
    int m_eventBase = 0;
    int m_count = 0;
};

ClipboardEntry textEntry(const QString &text)
{
    ClipboardEntry entry;
    entry.id = ClipboardEntry::newID();
    entry.text = text;
    entry.copiedAt = QDateTime::currentDateTimeUtc();
    return entry;
}

// A shell in the terminal that survives ^C and notes each one in `interrupts`, shows `line` to
// be selected, and keeps every byte typed into it in `received`, control characters too.
QString trappedReader(const QString &interrupts, const QString &received, const QString &line)
{
    return QStringLiteral("trap 'echo INT >> %1' INT; printf '%s\\n' '%3'; stty -echo -icanon -iexten; "
                          "while :; do cat >> %2; done")
        .arg(interrupts, received, line);
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Selects the terminal's first line with a triple click, which puts it in the primary
// selection; the selection, empty when it never got there.
QString selectFirstLine(Window window, const QString &line)
{
    if (!waitOnScreen(window))
        return {};
    const QPoint at = geometry(window).topLeft() + kFirstLine;
    xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "--repeat", "3", "--delay", "60", "1"});
    return QTest::qWaitFor([&] { return readPrimary().trimmed() == line; }, 5000) ? readPrimary() : QString();
}

void pasteInto(const TerminalKind &kind)
{
    forgetHistory();
    ClipboardEntry entry;
    entry.id = ClipboardEntry::newID();
    entry.text = QStringLiteral("echo \"ľadový čaj\" 7");
    entry.copiedAt = QDateTime::currentDateTimeUtc();
    writeSettings(settings({entry}, {entry.id}));
    movePointer(QPoint(960, 700));
    Program tarnel(tarnelBinary());
    ASSERT_TRUE(waitForPanel()) << tarnel.errorOutput().constData();

    // Raw: every byte the terminal sends reaches the file as it is, control characters too.
    QTemporaryDir folder;
    const QString received = folder.filePath(QStringLiteral("received"));
    Terminal terminal(QStringLiteral("stty raw -echo; exec cat > %1").arg(received), kind);
    const std::optional<Window> window = terminal.windowWithKeyboard();
    ASSERT_TRUE(window) << "the terminal never took the keyboard";
    const auto bytes = [&] {
        QFile file(received);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(received); }, 5000));

    // The Paste Stack's paste-next shortcut.
    xdotool({"key", "shift+alt+super+v"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return bytes() == entry.text.toUtf8(); }, 5000))
        << "received [" << bytes().toHex(' ').toStdString() << "]; " << tarnel.errorOutput().constData();
    // The keyboard stayed with the terminal.
    xdotool({"type", "--delay", "20", "ok"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return bytes() == entry.text.toUtf8() + "ok"; }, 5000))
        << "received [" << bytes().toHex(' ').toStdString() << "]";
}

} // namespace

TEST(TerminalKeysProgram, CopyShortcutsInXtermTakeItsSelectionAndNeverInterruptTheProgram)
{
    writeSettings(settings());
    movePointer(QPoint(960, 700));
    Program tarnel(tarnelBinary());
    ASSERT_TRUE(waitForPanel()) << tarnel.errorOutput().constData();

    const QString selected = QStringLiteral("zelený kopec 42");
    // A program that survives ^C and notes each one.
    QTemporaryDir folder;
    const QString interrupts = folder.filePath(QStringLiteral("interrupts"));
    Terminal xterm(QStringLiteral("trap 'echo INT >> %1' INT; printf '%s\\n' '%2'; while :; do sleep 0.1; done")
                       .arg(interrupts, selected));
    const std::optional<Window> window = xterm.windowWithKeyboard();
    ASSERT_TRUE(window) << "xterm never took the keyboard";
    // A triple click selects the whole first line (with its line break), which xterm puts in
    // the primary selection.
    ASSERT_TRUE(waitOnScreen(*window));
    const QPoint line = geometry(*window).topLeft() + kFirstLine;
    xdotool({"mousemove", QString::number(line.x()), QString::number(line.y()), "click", "--repeat", "3", "--delay", "60", "1"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return readPrimary().trimmed() == selected; }, 5000))
        << "[" << readPrimary().toStdString() << "]";
    const QString selection = readPrimary();
    const auto interrupted = [&] { return QFile::exists(interrupts); };

    // The private copy: on the clipboard, not in the history.
    const ClipboardOwner before(QStringLiteral("skôr"));
    ASSERT_TRUE(before.isReady());
    ASSERT_TRUE(QTest::qWaitFor([] { return storedTexts().contains(QStringLiteral("skôr")); }, 5000));
    xdotool({"key", "ctrl+alt+super+c"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return readClipboard() == selection; }, 5000))
        << "clipboard [" << readClipboard().toStdString() << "], interrupted " << interrupted() << "; "
        << tarnel.errorOutput().constData();
    EXPECT_FALSE(interrupted()) << "the private copy interrupted the program in the terminal";

    // The Paste Stack copy: on the clipboard, and recorded once (the private copy was not).
    const ClipboardOwner between(QStringLiteral("medzitým"));
    ASSERT_TRUE(between.isReady());
    ASSERT_TRUE(QTest::qWaitFor([] { return storedTexts().contains(QStringLiteral("medzitým")); }, 5000));
    xdotool({"key", "alt+super+c"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return readClipboard() == selection && storedTexts().contains(selection); }, 5000))
        << "clipboard [" << readClipboard().toStdString() << "], interrupted " << interrupted() << "; "
        << tarnel.errorOutput().constData();
    EXPECT_EQ(storedTexts().count(selection), 1) << storedTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(interrupted()) << "the Paste Stack copy interrupted the program in the terminal";
}

// xterm, and rxvt-unicode, which pastes the primary selection on Shift+Insert too.
TEST(TerminalKeysProgram, PasteIntoXtermAndRxvtDeliversTheText)
{
    for (const TerminalKind &kind : {kXterm, kUrxvt}) {
        SCOPED_TRACE(kind.program);
        pasteInto(kind);
    }
}

// Every road of a paste, one after another into one terminal: the Paste Stack's paste-next, a
// click and a double click on a row of the open panel, Quick Access by Return, by Ctrl+digit and
// through a special paste, and a typed snippet trigger. Each brings its text once, byte for byte.
// gnome-terminal takes its Ctrl+Shift+V only once it has asked the clipboard's new owner what
// it offers; its windows belong to gnome-terminal-server, not to the program started.
TEST(TerminalKeysProgram, EveryRoadPastesIntoTheTerminal)
{
    for (const TerminalKind &kind : {kGnomeTerminal, kXterm}) {
        SCOPED_TRACE(kind.program);
        forgetHistory();
        QList<ClipboardEntry> entries;
        for (const QString &text : {QStringLiteral("alfa prvý"), QStringLiteral("beta druhý"), QStringLiteral("gama tretí")}) {
            entries.append(textEntry(text));
            entries.last().copiedAt = entries.first().copiedAt.addSecs(-60 * (entries.size() - 1));
        }
        const QString first = entries.first().text;
        const ClipboardSnippet snippet{QStringLiteral("s1"), QStringLiteral("Podpis"), QStringLiteral(";sig"),
                                       QStringLiteral("S pozdravom, Ján")};
        writeSettings(settings(entries, {entries.last().id}, {snippet}));
        movePointer(QPoint(960, 700));
        Program tarnel(tarnelBinary());
        const std::optional<Window> panel = waitForPanel();
        ASSERT_TRUE(panel) << tarnel.errorOutput().constData();

        QTemporaryDir folder;
        const QString received = folder.filePath(QStringLiteral("received"));
        Terminal terminal(QStringLiteral("stty raw -echo; exec cat > %1").arg(received), kind);
        const std::optional<Window> window = terminal.windowWithKeyboard();
        ASSERT_TRUE(window) << "the terminal never took the keyboard";
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(received); }, 5000));

        // Everything the terminal has received so far, as the roads brought it: a text that came
        // twice shows in the next road. A road that failed starts the next one from what came.
        QByteArray all;
        const auto road = [&](const char *name, const std::function<void()> &take, const QByteArray &expected) {
            SCOPED_TRACE(name);
            ASSERT_TRUE(waitForKeyboard(*window)) << "the keyboard is not with the terminal";
            all += expected;
            take();
            const bool arrived = QTest::qWaitFor([&] { return fileBytes(received) == all; }, 8000);
            EXPECT_TRUE(arrived) << "received [" << fileBytes(received).toStdString() << "], expected [" << all.toStdString()
                                 << "]; " << tarnel.errorOutput().constData();
            if (!arrived)
                all = fileBytes(received);
        };
        const auto openPanel = [&] {
            movePointer(kNotch);
            return QTest::qWaitFor([&] { return drawnExtents(*panel).size() == kOpenPanelSize; }, 6000)
                && waitOnScreen(*panel, [&](QRect at) { return isWithin(windowAt(at.topLeft() + kFirstRow), *panel); });
        };
        const auto closePanel = [&] {
            movePointer(QPoint(960, 700));
            ASSERT_TRUE(QTest::qWaitFor([&] { return drawnExtents(*panel).size() != kOpenPanelSize; }, 6000));
        };
        const auto quickAccess = [&](const QStringList &keys) {
            return [&, keys] {
                xdotool({"key", "shift+super+v"});
                ASSERT_TRUE(waitForActive(tarnel.pid())) << tarnel.errorOutput().constData();
                ASSERT_TRUE(waitForKeyboard(*panel));
                xdotool(QStringList{"key", "--delay", "60"} + keys);
            };
        };

        const auto click = [&](int clicks) {
            return [&, clicks] {
                ASSERT_TRUE(openPanel());
                const QPoint row = geometry(*panel).topLeft() + kFirstRow;
                xdotool({"mousemove", QString::number(row.x()), QString::number(row.y()), "click", "--repeat",
                         QString::number(clicks), "--delay", "120", "1"});
            };
        };

        road(
            "paste-next", [] { xdotool({"key", "shift+alt+super+v"}); }, entries.last().text.toUtf8());
        road("panel click", click(1), first.toUtf8());
        closePanel();
        road("double click", click(2), first.toUtf8());
        closePanel();
        road("Quick Access, Return", quickAccess({"Return"}), first.toUtf8());
        road("special paste, capitals", quickAccess({"Down", "Right", "Return"}), first.toUpper().toUtf8());
        road("Quick Access, Ctrl+2", quickAccess({"ctrl+2"}), entries.at(1).text.toUtf8());

        // The trigger reaches the terminal as typed, then as many erasing keys (DEL, or BS in
        // xterm as some set it up), then the snippet's text.
        SCOPED_TRACE("typed trigger");
        ASSERT_TRUE(waitForKeyboard(*window));
        xdotool({"type", "--delay", "40", snippet.trigger});
        const QByteArray text = snippet.text.toUtf8();
        const auto brought = [&] { return fileBytes(received).mid(all.size()); };
        EXPECT_TRUE(QTest::qWaitFor([&] { return brought().endsWith(text); }, 8000))
            << "received [" << brought().toHex(' ').toStdString() << "]; " << tarnel.errorOutput().constData();
        const QByteArray typed = brought();
        EXPECT_TRUE(typed == ";sig\x7f\x7f\x7f\x7f" + text || typed == ";sig\b\b\b\b" + text) << typed.toHex(' ').toStdString();
    }
}

// Terminals that the class table does not know, by a class of the user's choosing: each is
// known by the pseudo-terminal its process holds, or where its window names no process, by its
// instance name; it gets the paste on Shift+Insert from the primary selection, and its copy from
// its own selection; neither ever interrupts the program.
TEST(TerminalKeysProgram, ATerminalUnderAClassOfItsOwnIsStillATerminal)
{
    const struct {
        TerminalKind kind;
        bool withoutProcessId;
    } terminals[] = {
        {{"xterm", "Foo", {"-class", "Foo", "-geometry", "80x10+100+100"}}, false},
        {{"stterm", "Bar", {"-c", "Bar", "-g", "80x10+100+100"}}, false},
        // As from a program on another host, or one that never sets it.
        {{"xterm", "Baz", {"-class", "Baz", "-geometry", "80x10+100+100"}}, true},
    };
    for (const auto &terminal : terminals) {
        SCOPED_TRACE(terminal.kind.windowClass.constData());
        forgetHistory();
        const ClipboardEntry entry = textEntry(QStringLiteral("echo \"ľadový čaj\" 7"));
        writeSettings(settings({entry}, {entry.id}));
        movePointer(QPoint(960, 700));
        Program tarnel(tarnelBinary());
        ASSERT_TRUE(waitForPanel()) << tarnel.errorOutput().constData();

        QTemporaryDir folder;
        const QString interrupts = folder.filePath(QStringLiteral("interrupts"));
        const QString received = folder.filePath(QStringLiteral("received"));
        const QString line = QStringLiteral("zelený kopec 42");
        Terminal shell(trappedReader(interrupts, received, line), terminal.kind);
        const std::optional<Window> window = shell.windowWithKeyboard();
        ASSERT_TRUE(window) << "the terminal never took the keyboard";
        if (terminal.withoutProcessId) {
            XDeleteProperty(display(), *window, XInternAtom(display(), "_NET_WM_PID", False));
            XSync(display(), False);
        }
        const auto interrupted = [&] { return QFile::exists(interrupts); };

        const QString selection = selectFirstLine(*window, line);
        ASSERT_FALSE(selection.isEmpty()) << "[" << readPrimary().toStdString() << "]";
        xdotool({"key", "ctrl+alt+super+c"});
        EXPECT_TRUE(QTest::qWaitFor([&] { return readClipboard() == selection; }, 5000))
            << "clipboard [" << readClipboard().toStdString() << "], interrupted " << interrupted() << "; "
            << tarnel.errorOutput().constData();
        EXPECT_FALSE(interrupted()) << "the private copy interrupted the program in the terminal";

        xdotool({"key", "shift+alt+super+v"});
        EXPECT_TRUE(QTest::qWaitFor([&] { return fileBytes(received) == entry.text.toUtf8(); }, 5000))
            << "received [" << fileBytes(received).toHex(' ').toStdString() << "]; " << tarnel.errorOutput().constData();
        EXPECT_FALSE(interrupted()) << "the paste interrupted the program in the terminal";
    }
}

// The copy shortcut in a terminal where nothing is selected copies nothing, whatever another
// program holds in the primary selection, and says so.
TEST(TerminalKeysProgram, ACopyInATerminalWithNothingSelectedCopiesNothing)
{
    forgetHistory();
    writeSettings(settings());
    movePointer(QPoint(960, 700));
    Program tarnel(tarnelBinary());
    ASSERT_TRUE(waitForPanel()) << tarnel.errorOutput().constData();
    QTemporaryDir folder;
    const QString interrupts = folder.filePath(QStringLiteral("interrupts"));
    Terminal xterm(trappedReader(interrupts, folder.filePath(QStringLiteral("received")), QStringLiteral("riadok")));
    ASSERT_TRUE(xterm.windowWithKeyboard()) << "xterm never took the keyboard";
    const ClipboardOwner before(QStringLiteral("skôr"));
    ASSERT_TRUE(before.isReady());
    const SelectionOwner elsewhere(QStringLiteral("vybraté v inom programe"), "primary");
    ASSERT_TRUE(elsewhere.isReady());
    ASSERT_TRUE(QTest::qWaitFor([] { return storedTexts().contains(QStringLiteral("skôr")); }, 5000));

    xdotool({"key", "alt+super+c"});
    // The copy is given up at once and logged; the clipboard and the history stay as they were.
    ASSERT_TRUE(QTest::qWaitFor([&] { return tarnel.errorOutput().contains("copy not sent"); }, 5000))
        << "clipboard [" << readClipboard().toStdString() << "]; " << tarnel.errorOutput().constData();
    EXPECT_EQ(readClipboard(), QStringLiteral("skôr"));
    EXPECT_FALSE(storedTexts().contains(QStringLiteral("vybraté v inom programe")))
        << storedTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(QFile::exists(interrupts)) << "the copy interrupted the program in the terminal";
}

// A paste through the primary selection borrows it: once xterm has read the text, the user's
// own selection is back, wherever it was, and no pasted text stays there.
TEST(TerminalKeysProgram, APasteIntoXtermGivesThePrimarySelectionBack)
{
    enum class Selection { InTheTerminal,
                           InAnotherProgram,
                           Absent };
    for (const Selection selected : {Selection::InTheTerminal, Selection::InAnotherProgram, Selection::Absent}) {
        SCOPED_TRACE(int(selected));
        forgetHistory();
        const ClipboardEntry entry = textEntry(QStringLiteral("tajné heslo 9"));
        writeSettings(settings({entry}, {entry.id}));
        movePointer(QPoint(960, 700));
        Program tarnel(tarnelBinary());
        ASSERT_TRUE(waitForPanel()) << tarnel.errorOutput().constData();
        QTemporaryDir folder;
        const QString received = folder.filePath(QStringLiteral("received"));
        const QString line = QStringLiteral("môj riadok");
        Terminal xterm(trappedReader(folder.filePath(QStringLiteral("interrupts")), received, line));
        const std::optional<Window> window = xterm.windowWithKeyboard();
        ASSERT_TRUE(window) << "xterm never took the keyboard";

        std::optional<SelectionOwner> other;
        QString own;
        if (selected == Selection::InTheTerminal) {
            own = selectFirstLine(*window, line);
            ASSERT_FALSE(own.isEmpty());
        } else if (selected == Selection::InAnotherProgram) {
            own = QStringLiteral("vybraté inde");
            other.emplace(own, "primary");
            ASSERT_TRUE(other->isReady());
        } else {
            ASSERT_TRUE(readPrimary().isEmpty()) << "[" << readPrimary().toStdString() << "]";
        }

        PrimaryOwnerChanges changes;
        xdotool({"key", "shift+alt+super+v"});
        ASSERT_TRUE(QTest::qWaitFor([&] { return fileBytes(received) == entry.text.toUtf8(); }, 5000))
            << "received [" << fileBytes(received).toHex(' ').toStdString() << "]; " << tarnel.errorOutput().constData();
        // Lent, then given back once xterm has read it, well before the loan would end unread.
        EXPECT_TRUE(QTest::qWaitFor([&] { return changes.count() >= 2; }, kPrimaryBackMs)) << changes.count();
        EXPECT_TRUE(QTest::qWaitFor([&] { return readPrimary() == own; }))
            << "primary [" << readPrimary().toStdString() << "], the user's was [" << own.toStdString() << "]";
    }
}

// An editor with a terminal inside holds a pseudo-terminal's master as terminals do, and takes
// a text by the terminals' road (the primary selection and Shift+Insert, which its toolkit reads
// as a paste of the clipboard). It never reads the primary selection: the user's is back soon
// all the same. An image goes to it by the paste chord of its toolkit.
TEST(TerminalKeysProgram, AnEditorHoldingAPseudoTerminalGetsTextAndImages)
{
    forgetHistory();
    const ClipboardEntry text = textEntry(QStringLiteral("ľadový čaj"));
    ClipboardEntry image = textEntry(QString());
    image.kind = ClipboardKind::Image;
    image.imageData = pngBytes(64, 48);
    image.copiedAt = text.copiedAt.addSecs(-60);
    writeSettings(settings({text, image}, {text.id}));
    movePointer(QPoint(960, 700));
    Program tarnel(tarnelBinary());
    const std::optional<Window> panel = waitForPanel();
    ASSERT_TRUE(panel) << tarnel.errorOutput().constData();
    const QString own = QStringLiteral("vybraté inde");
    const SelectionOwner other(own, "primary");
    ASSERT_TRUE(other.isReady());
    Fixture editor("editor", {}, QStringLiteral("500x200+100+600"), {"--pseudo-terminal", "--image-out", "@image"});
    ASSERT_TRUE(editor.waitForKeyboard());

    PrimaryOwnerChanges changes;
    xdotool({"key", "shift+alt+super+v"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return editor.text() == text.text; }, 5000))
        << "[" << editor.text().toStdString() << "]; " << tarnel.errorOutput().constData();
    // Lent, then given back.
    EXPECT_TRUE(QTest::qWaitFor([&] { return changes.count() >= 2; }, kPrimaryBackMs)) << changes.count();
    EXPECT_TRUE(QTest::qWaitFor([&] { return readPrimary() == own; })) << "primary [" << readPrimary().toStdString() << "]";

    // The image, the second entry of Quick Access.
    xdotool({"key", "shift+super+v"});
    ASSERT_TRUE(waitForActive(tarnel.pid())) << tarnel.errorOutput().constData();
    ASSERT_TRUE(waitForKeyboard(*panel));
    xdotool({"key", "--delay", "0", "ctrl+2"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return editor.file("image").endsWith('\n'); }, 10000))
        << "no image paste reached the editor; " << tarnel.errorOutput().constData();
    EXPECT_EQ(editor.file("image").split(' ').value(0), "64x48");
}

// A file entry goes into a terminal as its path, quoted for the shell, as a dropped file does.
TEST(TerminalKeysProgram, AFileEntryPastedIntoXtermTypesItsQuotedPath)
{
    forgetHistory();
    QTemporaryDir files;
    const QString path = files.filePath(QStringLiteral("Jano's ľadový čaj.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    ClipboardEntry entry = textEntry(QStringLiteral("Jano's ľadový čaj.txt"));
    entry.kind = ClipboardKind::File;
    entry.fileURLs = {path};
    writeSettings(settings({entry}, {entry.id}));
    movePointer(QPoint(960, 700));
    Program tarnel(tarnelBinary());
    ASSERT_TRUE(waitForPanel()) << tarnel.errorOutput().constData();
    QTemporaryDir folder;
    const QString received = folder.filePath(QStringLiteral("received"));
    Terminal xterm(QStringLiteral("stty raw -echo; exec cat > %1").arg(received));
    ASSERT_TRUE(xterm.windowWithKeyboard()) << "xterm never took the keyboard";
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(received); }, 5000));

    xdotool({"key", "shift+alt+super+v"});
    QString quoted = path;
    quoted.replace(QLatin1String("'"), QLatin1String("'\\''"));
    const QByteArray expected = (QLatin1Char('\'') + quoted + QLatin1String("' ")).toUtf8();
    EXPECT_TRUE(QTest::qWaitFor([&] { return fileBytes(received) == expected; }, 5000))
        << "received [" << fileBytes(received).toStdString() << "], expected [" << expected.toStdString() << "]; "
        << tarnel.errorOutput().constData();
}
