// End to end: the real model on the real X11 clipboard, fed by xclip while the fixture window
// is in front, checked through what it persisted.
#include "core/ClipboardEntry.h"
#include "core/RawValue.h"
#include "platform/x11/LinuxSettingsStore.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QStandardPaths>

#include <csignal>
#include <memory>

#include "X11TestSupport.h"

namespace {

using namespace x11test;

// The engine runner as a child process, read line by line.
class Runner
{
public:
    explicit Runner(const QStringList &arguments = {})
    {
        m_process.setProgram(QStringLiteral(TARNEL_ENGINE_RUNNER));
        m_process.setArguments(arguments);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
    }
    ~Runner()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }

    // The first unread line that starts with the prefix; consumes the lines before it.
    std::optional<QString> waitForLine(const QString &prefix, int limitMs = 8000)
    {
        std::optional<QString> found;
        (void)QTest::qWaitFor([&] {
            while (m_process.canReadLine() || m_process.waitForReadyRead(0)) {
                if (!m_process.canReadLine())
                    break;
                m_lines.append(QString::fromUtf8(m_process.readLine()).trimmed());
            }
            while (!m_lines.isEmpty()) {
                const QString line = m_lines.takeFirst();
                if (line.startsWith(prefix)) {
                    found = line;
                    return true;
                }
            }
            return m_process.state() == QProcess::NotRunning;
        }, limitMs);
        return found;
    }
    void send(const QString &command) { m_process.write((command + QLatin1Char('\n')).toUtf8()); }
    void quit()
    {
        send(QStringLiteral("quit"));
        m_process.waitForFinished(5000);
    }
    void killHard()
    {
        ::kill(pid_t(m_process.processId()), SIGKILL);
        m_process.waitForFinished(3000);
    }

private:
    QProcess m_process;
    QStringList m_lines;
};

struct Copy {
    QString mimeType;
    QByteArray bytes;
};

class EngineCapture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Every case starts from an empty store and image folder.
        QDir(QFileInfo(LinuxSettingsStore::defaultPath()).absolutePath()).removeRecursively();
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Tarnel"))
            .removeRecursively();
        // The fixture's window must be the active one, so copies are stamped with its name.
        ASSERT_TRUE(waitForActive(m_fixture.pid()));
    }

    void TearDown() override
    {
        for (auto &process : m_copies) {
            process->kill();
            process->waitForFinished(2000);
        }
    }

    // Takes the clipboard with xclip, as another program's copy does.
    void copy(const Copy &what)
    {
        const QString path = m_files.filePath(QStringLiteral("copy-%1").arg(m_copies.size()));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(what.bytes);
        file.close();
        auto process = std::make_unique<QProcess>();
        process->start(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"),
                                                 QStringLiteral("-quiet"), QStringLiteral("-t"), what.mimeType,
                                                 QStringLiteral("-i"), path});
        ASSERT_TRUE(process->waitForStarted());
        m_copies.push_back(std::move(process));
    }
    void copyText(const QString &text) { copy({QStringLiteral("UTF8_STRING"), text.toUtf8()}); }

    static QList<ClipboardEntry> persistedHistory()
    {
        const LinuxSettingsStore store(LinuxSettingsStore::defaultPath());
        const std::optional<QByteArray> bytes = store.bytesValue(QStringLiteral("tarnel.history"));
        return bytes ? ClipboardEntry::decodeList(*bytes).items : QList<ClipboardEntry>();
    }
    static void writeSetting(const std::function<void(LinuxSettingsStore &)> &write)
    {
        LinuxSettingsStore store(LinuxSettingsStore::defaultPath());
        write(store);
    }

    Fixture m_fixture{QStringLiteral("Engine fixture")};
    QTemporaryDir m_files;
    std::vector<std::unique_ptr<QProcess>> m_copies;
};

QByteArray png()
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(QColor(10, 120, 200));
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return out;
}

TEST_F(EngineCapture, EachCopyIsPersistedWithItsKindAndSource)
{
    struct Case {
        const char *name;
        Copy copy;
        ClipboardKind kind;
        QString text;
    };
    const Case cases[] = {
        {"text", {"UTF8_STRING", "hello world"}, ClipboardKind::Text, "hello world"},
        {"url", {"UTF8_STRING", "https://example.org/a?b=c"}, ClipboardKind::Url, "https://example.org/a?b=c"},
        {"code", {"UTF8_STRING", "const f = (x) => x + 1;"}, ClipboardKind::Code, "const f = (x) => x + 1;"},
        {"png image", {"image/png", png()}, ClipboardKind::Image, ""},
        {"file list", {"text/uri-list", "file:///tmp/a%20b.txt\r\nfile:///etc/hosts\r\n"}, ClipboardKind::File,
         "/tmp/a b.txt\n/etc/hosts"},
    };
    Runner runner;
    ASSERT_TRUE(runner.waitForLine("ready"));
    int count = 0;
    for (const Case &c : cases) {
        copy(c.copy);
        ++count;
        const std::optional<QString> line = runner.waitForLine(QStringLiteral("entries %1 ").arg(count));
        ASSERT_TRUE(line) << c.name;
        const QList<ClipboardEntry> history = persistedHistory();
        ASSERT_EQ(history.size(), count) << c.name;
        const ClipboardEntry &newest = history.first();
        EXPECT_EQ(newest.kind, c.kind) << c.name;
        EXPECT_EQ(newest.text, c.text) << c.name;
        EXPECT_EQ(newest.sourceApp, QStringLiteral("TarnelFixture")) << c.name;
        EXPECT_TRUE(line->endsWith(newest.id + QLatin1Char(' ') + rawValue(c.kind))) << c.name;
        if (c.kind == ClipboardKind::Image) {
            ASSERT_TRUE(newest.imageFilePath.has_value()) << c.name;
            QFile stored(*newest.imageFilePath);
            ASSERT_TRUE(stored.open(QIODevice::ReadOnly)) << c.name;
            EXPECT_EQ(stored.readAll(), c.copy.bytes) << c.name;
            EXPECT_FALSE(newest.imageData.has_value()) << c.name;
        }
    }
}

TEST_F(EngineCapture, AKillRightAfterPublishingLosesNothingAndRestartKeepsTheOrder)
{
    QStringList ids;
    {
        Runner runner;
        ASSERT_TRUE(runner.waitForLine("ready"));
        copyText("first");
        ASSERT_TRUE(runner.waitForLine("entries 1 "));
        copy({QStringLiteral("image/png"), png()});
        ASSERT_TRUE(runner.waitForLine("entries 2 "));
        copyText("https://example.org");
        const std::optional<QString> line = runner.waitForLine("entries 3 ");
        ASSERT_TRUE(line);
        runner.killHard();
        for (const ClipboardEntry &entry : persistedHistory())
            ids.append(entry.id);
        ASSERT_EQ(ids.size(), 3);
        EXPECT_EQ(line->split(QLatin1Char(' ')).value(2), ids.first());
    }
    Runner restarted;
    const std::optional<QString> loaded = restarted.waitForLine("loaded ");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(*loaded, QStringLiteral("loaded 3 %1").arg(ids.join(QLatin1Char(','))));
    ASSERT_TRUE(restarted.waitForLine("ready"));
    restarted.quit();
    const QList<ClipboardEntry> history = persistedHistory();
    ASSERT_EQ(history.size(), 3);
    EXPECT_EQ(history.at(1).kind, ClipboardKind::Image);
    ASSERT_TRUE(history.at(1).imageFilePath.has_value());
    EXPECT_TRUE(QFile::exists(*history.at(1).imageFilePath));
}

} // namespace
