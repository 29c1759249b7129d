#pragma once

// Terminal programs as the user starts them, each running a shell command in a UTF-8 locale.
// Include after X11TestSupport.h.

#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <csignal>
#include <optional>
#include <vector>

namespace x11test {

// How one terminal program is started and known.
struct TerminalKind {
    const char *program;
    // The class part of its window's WM_CLASS.
    QByteArray windowClass;
    // Options before the command: the place, a class of the user's choosing.
    QStringList options;
    // The option whose arguments are the command and its own arguments.
    const char *commandOption = "-e";
};

inline const TerminalKind kXterm{"xterm", "XTerm", {"-geometry", "80x10+100+100"}};
inline const TerminalKind kUrxvt{"urxvt", "URxvt", {"-geometry", "80x10+100+100"}};
inline const TerminalKind kSt{"st", "st-256color", {"-g", "80x10+100+100"}};
// Its windows belong to gnome-terminal-server, which the session bus starts; the program started
// here only asks it for a window and (with --wait) ends with the command.
inline const TerminalKind kGnomeTerminal{"gnome-terminal", "Gnome-terminal", {"--wait", "--geometry", "80x10+100+100"}};
// Qt's terminal; without --nofork it may hand its window to a konsole already running.
inline const TerminalKind kKonsole{"konsole", "konsole", {"--nofork", "--hide-menubar", "--hide-tabbar"}};
// A VTE terminal written in Python; its -e takes the command as one string, -x the words after it.
inline const TerminalKind kTerminator{"terminator", "Terminator", {"--geometry", "640x200+100+100"}, "-x"};

// A terminal running `command`, and its window once it has the keyboard. gnome-terminal gets a
// session bus of its own, which ends with it. The command's shell is killed on the way out, so
// the terminal closes its window and ends as it does when its program ends.
class Terminal : public Program {
public:
    explicit Terminal(const QString &command, const TerminalKind &kind = kXterm)
        : Program(QStringLiteral("env"), arguments(kind, command))
        , m_class(kind.windowClass)
    {
    }
    ~Terminal()
    {
        const qint64 shell = file(QStringLiteral("pid")).trimmed().toLongLong();
        if (shell > 0)
            ::kill(pid_t(shell), SIGKILL);
        (void)QTest::qWaitFor([&] { return !isRunning(); }, 5000);
    }
    std::optional<Window> windowWithKeyboard() const
    {
        std::optional<Window> window;
        const auto focused = [&] {
            const std::vector<Window> shown = shownWithClass(m_class);
            window = shown.size() == 1 ? std::optional<Window>(shown.front()) : std::nullopt;
            return window && hasKeyboard(*window);
        };
        (void)QTest::qWaitFor(focused, 15000);
        if (window && !waitForKeyboard(*window))
            return std::nullopt;
        return window;
    }

private:
    static QStringList arguments(const TerminalKind &kind, const QString &command)
    {
        const bool gnome = QLatin1String(kind.program) == QLatin1String("gnome-terminal");
        QStringList list{QStringLiteral("LC_ALL=C.UTF-8")};
        if (gnome)
            list << QStringLiteral("dbus-run-session") << QStringLiteral("--");
        list << QString::fromLatin1(kind.program) << kind.options;
        list << (gnome ? QStringLiteral("--") : QString::fromLatin1(kind.commandOption));
        // The shell's process id goes to the file "pid" (Program puts "@pid" in its folder).
        list << QStringLiteral("sh") << QStringLiteral("-c") << QStringLiteral("echo $$ > \"$1\"; exec sh -c \"$2\"")
             << QStringLiteral("sh") << QStringLiteral("@pid") << command;
        return list;
    }

    QByteArray m_class;
};

} // namespace x11test
