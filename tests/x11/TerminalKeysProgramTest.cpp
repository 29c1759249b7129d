// The whole program with xterm in front. xterm binds neither Ctrl+Shift+C nor Ctrl+Shift+V: the
// first reaches the running program as ^C (an interrupt), the second as the byte ^V. So the
// copy shortcuts take what xterm selected from the primary selection, and a paste offers the
// text as the primary selection and presses Shift+Insert. What arrives is read back from the
// program running in the terminal.
#include <gtest/gtest.h>

#include "core/ClipboardEntry.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "StoredHistory.h"
#include "X11TestSupport.h"

using namespace x11test;

namespace {

// xterm's default font is 6 by 13 pixels, inside a border of 2.
constexpr QPoint kFirstLine{20, 8};

QByteArray settings(const QList<ClipboardEntry> &entries = {}, const QStringList &stack = {})
{
    QJsonObject values{{"tarnel.onboardingComplete", true}};
    if (!entries.isEmpty())
        values.insert("tarnel.history", QJsonObject{{"data", QString::fromLatin1(ClipboardEntry::encodeList(entries).toBase64())}});
    if (!stack.isEmpty())
        values.insert("tarnel.pasteStack", QJsonArray::fromStringList(stack));
    return QJsonDocument(values).toJson(QJsonDocument::Compact);
}

QString readPrimary()
{
    return readSelection("primary");
}

// A terminal (xterm unless named) in a UTF-8 locale running a shell command, and its window once
// it has the keyboard.
class Terminal : public Program {
public:
    // `options` go before the command: a class of the user's choosing, say.
    explicit Terminal(const QString &command, const QString &program = QStringLiteral("xterm"),
                      QByteArray windowClass = "XTerm",
                      const QStringList &options = {QStringLiteral("-geometry"), QStringLiteral("80x10+100+100")})
        : Program(QStringLiteral("env"), QStringList{"LC_ALL=C.UTF-8", program} + options + QStringList{"-e", "sh", "-c", command})
        , m_class(std::move(windowClass))
    {
    }
    std::optional<Window> windowWithKeyboard() const
    {
        std::optional<Window> window;
        const auto focused = [&] {
            const std::vector<Window> shown = shownWithClass(m_class);
            window = shown.size() == 1 ? std::optional<Window>(shown.front()) : std::nullopt;
            return window && hasKeyboard(*window);
        };
        (void)QTest::qWaitFor(focused, 8000);
        if (window && !waitForKeyboard(*window))
            return std::nullopt;
        return window;
    }

private:
    QByteArray m_class;
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

void pasteInto(const QString &program, const QByteArray &windowClass)
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
    Terminal terminal(QStringLiteral("stty raw -echo; exec cat > %1").arg(received), program, windowClass);
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
    for (const auto &[program, windowClass] : {std::pair{"xterm", "XTerm"}, std::pair{"urxvt", "URxvt"}}) {
        SCOPED_TRACE(program);
        pasteInto(QString::fromLatin1(program), windowClass);
    }
}

// Terminals that the class table does not know, by a class of the user's choosing: each is
// known by the pseudo-terminal its process holds, gets the paste on Shift+Insert from the
// primary selection, and its copy from its own selection; neither ever interrupts the program.
TEST(TerminalKeysProgram, ATerminalUnderAClassOfItsOwnIsStillATerminal)
{
    const struct {
        const char *program;
        QByteArray windowClass;
        QStringList options;
    } terminals[] = {
        {"xterm", "Foo", {"-class", "Foo", "-geometry", "80x10+100+100"}},
        {"stterm", "Bar", {"-c", "Bar", "-g", "80x10+100+100"}},
    };
    for (const auto &terminal : terminals) {
        SCOPED_TRACE(terminal.program);
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
        Terminal shell(trappedReader(interrupts, received, line), QString::fromLatin1(terminal.program),
                       terminal.windowClass, terminal.options);
        const std::optional<Window> window = shell.windowWithKeyboard();
        ASSERT_TRUE(window) << "the terminal never took the keyboard";
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

        xdotool({"key", "shift+alt+super+v"});
        ASSERT_TRUE(QTest::qWaitFor([&] { return fileBytes(received) == entry.text.toUtf8(); }, 5000))
            << "received [" << fileBytes(received).toHex(' ').toStdString() << "]; " << tarnel.errorOutput().constData();
        EXPECT_TRUE(QTest::qWaitFor([&] { return readPrimary() == own; }, 5000))
            << "primary [" << readPrimary().toStdString() << "], the user's was [" << own.toStdString() << "]";
    }
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
