#pragma once

// Helpers for the keyboard and window tests that run on a private X server.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <chrono>
#include <functional>
#include <memory>

namespace inputtest {

using namespace std::chrono_literals;

// Runs the event loop until the condition holds or the time is up.
inline bool waitUntil(const std::function<bool()> &condition, std::chrono::milliseconds timeout = 5000ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeout.count())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

// Lets the event loop run for a while (to see that something does NOT happen).
inline void pump(std::chrono::milliseconds duration)
{
    waitUntil([] { return false; }, duration);
}

// Runs a tool to its end; returns its exit code (-1 when it did not run).
inline int run(const QString &program, const QStringList &arguments, QByteArray *output = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    if (output)
        *output = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

inline int xdotool(const QStringList &arguments)
{
    return run(QStringLiteral("xdotool"), arguments);
}

inline QString readClipboard()
{
    QByteArray output;
    if (run(QStringLiteral("xclip"), {"-selection", "clipboard", "-o"}, &output) != 0)
        return {};
    return QString::fromUtf8(output);
}

// Owns the CLIPBOARD with a text while it lives (xclip kept in the foreground, so it is ours
// to stop).
class ClipboardOwner {
public:
    explicit ClipboardOwner(const QString &text)
    {
        m_process.start(QStringLiteral("xclip"), {"-selection", "clipboard", "-quiet", "-i"});
        m_process.waitForStarted();
        m_process.write(text.toUtf8());
        m_process.closeWriteChannel();
        m_ready = waitUntil([&] { return readClipboard() == text; });
    }
    ~ClipboardOwner()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    bool isReady() const { return m_ready; }

private:
    QProcess m_process;
    bool m_ready = false;
};

// The fixture window (another application with a text field).
class Fixture {
public:
    explicit Fixture(const QString &name, const QString &initialText = {}, const QString &geometry = {})
        : m_out(m_dir.filePath(name + QStringLiteral(".txt")))
    {
        QStringList arguments{"--out", m_out, "--title", name};
        if (!initialText.isNull())
            arguments << "--text" << initialText;
        if (!geometry.isEmpty())
            arguments << "--geometry" << geometry;
        m_process.start(qEnvironmentVariable("TARNEL_FIXTURE"), arguments);
        m_process.waitForStarted();
    }
    ~Fixture() { close(); }

    void close()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    qint64 pid() const { return m_process.processId(); }
    QString text() const
    {
        QFile file(m_out);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll());
    }

private:
    QTemporaryDir m_dir;
    QString m_out;
    QProcess m_process;
};

} // namespace inputtest
