#include "core/ShellQuoting.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace {

// What a shell makes of the words: each argument on a line of its own.
QStringList shellArguments(const QString &words)
{
    QProcess shell;
    shell.start(QStringLiteral("bash"), {"-c", QStringLiteral("printf '%s\\n' ") + words});
    if (!shell.waitForFinished(5000))
        return {};
    QStringList lines = QString::fromUtf8(shell.readAllStandardOutput()).split(QLatin1Char('\n'));
    lines.removeLast();
    return lines;
}

TEST(ShellQuoting, EveryPathIsOneWordThatTheShellReadsBackUnchanged)
{
    const struct {
        QString stored;
        QString word;
    } cases[] = {
        {QStringLiteral("/tmp/plain.txt"), QStringLiteral("'/tmp/plain.txt' ")},
        {QStringLiteral("/tmp/ľadový čaj.txt"), QStringLiteral("'/tmp/ľadový čaj.txt' ")},
        {QStringLiteral("/tmp/Jano's $HOME `x` *.txt"), QStringLiteral("'/tmp/Jano'\\''s $HOME `x` *.txt' ")},
        {QStringLiteral("/tmp/100%.txt"), QStringLiteral("'/tmp/100%.txt' ")},
        // A name that is not UTF-8, kept as its URL.
        {QStringLiteral("file:///tmp/caf%E9's.txt"), QStringLiteral("$'/tmp/caf\\xe9\\'s.txt' ")},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(ShellQuoting::quotedPaths({c.stored}), c.word) << c.stored.toStdString();
    }
    const QStringList texts{QStringLiteral("/tmp/ľadový čaj.txt"), QStringLiteral("/tmp/Jano's $HOME `x` *.txt"),
                            QStringLiteral("/tmp/a\nb")};
    EXPECT_EQ(shellArguments(ShellQuoting::quotedPaths(texts)), QStringList({texts[0], texts[1], "/tmp/a", "b"}));
    EXPECT_TRUE(ShellQuoting::quotedPaths({}).isEmpty());
}

} // namespace
