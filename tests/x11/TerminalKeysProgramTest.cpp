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
    QByteArray output;
    return run(QStringLiteral("xclip"), {"-selection", "primary", "-o"}, &output) == 0 ? QString::fromUtf8(output)
                                                                                       : QString();
}

// A terminal (xterm unless named) in a UTF-8 locale running a shell command, and its window once
// it has the keyboard.
class Terminal : public Program {
public:
    explicit Terminal(const QString &command, const QString &program = QStringLiteral("xterm"),
                      QByteArray windowClass = "XTerm")
        : Program(QStringLiteral("env"), {"LC_ALL=C.UTF-8", program, "-geometry", "80x10+100+100", "-e", "sh", "-c", command})
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
