// End to end: the real model over the X11 clipboard, the primary selection and XTest, beside
// programs that own their selections as real ones do: one selecting from a second connection of
// its own, one that keeps its selection after the user ended it, and a desktop's clipboard
// keeper that takes the clipboard over when the program that copied goes away.
#include "engine/ClipboardModel.h"
#include "platform/fake/FakePermissions.h"
#include "platform/fake/FakeSettingsStore.h"
#include "platform/x11/X11KeySender.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11Workspace.h"
#include "support/ModelServices.h"
#include "support/TestImages.h"

#include <QProcess>

#include <gtest/gtest.h>

#include "X11TestSupport.h"

namespace {

using namespace x11test;

const QString kPython = QStringLiteral("/usr/bin/python3");
const QString kSelectionOwner = QStringLiteral(TARNEL_SOURCE_DIR "/tests/fixtures/selection-owner/selection-owner.py");
constexpr int kWaitMs = 10000;

// A program of the test's that tells on its standard output how far it got.
class Talker {
public:
    Talker(const QString &program, const QStringList &arguments)
    {
        m_process.start(program, arguments);
        m_process.waitForStarted(5000);
    }
    ~Talker() { close(); }
    // Waits for the next line that says this, and takes it.
    bool waitFor(const QByteArray &line)
    {
        return QTest::qWaitFor(
            [&] {
                m_output += m_process.readAllStandardOutput();
                const qsizetype at = m_output.indexOf(line + '\n');
                if (at < 0)
                    return false;
                m_output.remove(0, at + line.size() + 1);
                return true;
            },
            kWaitMs);
    }
    // Ends the program at once: its windows and its connection go with it.
    void close()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    qint64 pid() const { return m_process.processId(); }

private:
    QProcess m_process;
    QByteArray m_output;
};

class X11SelectionEventsTest : public ::testing::Test {
protected:
    QString writeFile(const QString &name, const QByteArray &data)
    {
        const QString path = folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
        return path;
    }
    // Every change the clipboard has seen has reached the model and been dealt with.
    bool caughtUp(const ClipboardModel &model, qint64 countAtLeast) const
    {
        return pasteboard.changeCount() >= countAtLeast && !pasteboard.isFetching()
            && model.lastChangeCount() == pasteboard.changeCount() && model.pendingCaptureCount() == 0;
    }

    X11Workspace workspace;
    X11Pasteboard pasteboard;
    X11KeySender keys{&workspace, &pasteboard};
    FakePermissions permissions;
    FakeSettingsStore settings;
    QTemporaryDir folder;
};

// The copy shortcut over a program takes what the user selected there, whichever connection of
// the program owns it, and nothing (saying so in the notch) once the user ended the selection
// there though the program still owns it. A program that goes away while a desktop's keeper
// takes the clipboard over with the same content, or only part of it, leaves its one entry; a
// keeper offering other bytes, or the user copying the same text again, makes a new one.
TEST_F(X11SelectionEventsTest, TheCopyShortcutTakesOnlyALiveSelectionAndAKeptCopyIsNoNewOne)
{
    enum class Scene { Selection,
                       Keeper,
                       CopiedAgain };
    struct Case {
        const char *name;
        Scene scene;
        // Selection: how the program selects, and whether the user ends the selection first.
        const char *mode;
        const char *windowClass;
        bool deselect;
        // Keeper: whether the copy offers an image beside its text, and what the keeper offers:
        // other bytes, else the copy's own text, and its image too.
        bool withImage;
        const char *keeperText;
        bool keeperImage;
        // What the user gets: entries added after the first copy, and the notch telling that
        // nothing was selected.
        int added;
        bool nothingSelected;
    };
    const Case cases[] = {
        {"selected by a second connection of the program", Scene::Selection, "second-connection", "Alacritty", false,
         false, nullptr, false, 1, false},
        {"selected by the window's own connection", Scene::Selection, "keeps", "Gvim", false, false, nullptr, false, 1,
         false},
        {"selection ended, still owned by the program", Scene::Selection, "keeps", "Gvim", true, false, nullptr, false,
         0, true},
        {"keeper takes over with the same content", Scene::Keeper, nullptr, nullptr, false, true, nullptr, true, 0,
         false},
        {"keeper takes over with only the text", Scene::Keeper, nullptr, nullptr, false, true, nullptr, false, 0,
         false},
        {"keeper takes over with other bytes", Scene::Keeper, nullptr, nullptr, false, false, "other bytes", false, 1,
         false},
        {"the user copies the same text again", Scene::CopiedAgain, nullptr, nullptr, false, false, nullptr, false, 1,
         false},
    };
    ClipboardModel model(testsupport::pasteServices(pasteboard, settings, workspace, permissions, keys, folder));
    model.startMonitoring();
    const QByteArray png = pngBytes(4, 4, Qt::blue);
    int round = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        // Each row copies a text of its own: the same content copied again just after its
        // program went away would be taken for kept.
        const QString text = QStringLiteral("copy %1").arg(++round);
        // A notice left from the row before would hide one this row shows, or wrongly show.
        ASSERT_TRUE(QTest::qWaitFor([&] { return !model.copiedNoticeVisible(); }, kWaitMs));
        const qsizetype before = model.entries().size();
        if (c.scene == Scene::Selection) {
            const QString selected = QStringLiteral("selected %1").arg(round);
            Talker program(kPython, {kSelectionOwner, c.mode, c.windowClass, selected});
            ASSERT_TRUE(program.waitFor("ready"));
            ASSERT_TRUE(waitForActive(program.pid()));
            ASSERT_TRUE(clickIn(activeWindow(), QPoint(60, 60)));
            ASSERT_TRUE(program.waitFor("selected"));
            ASSERT_EQ(readSelection("primary"), selected);
            if (c.deselect) {
                xdotool({"key", "Escape"});
                ASSERT_TRUE(program.waitFor("deselected"));
            }
            // The shortcut's own keys reach the window first where nothing grabs them.
            xdotool({"key", "alt+super+c"});
            model.copyUsingShortcut(false, program.pid());
            ASSERT_TRUE(QTest::qWaitFor(
                [&] { return model.entries().size() > before || model.nothingSelectedNotice(); }, kWaitMs));
            EXPECT_EQ(model.nothingSelectedNotice(), c.nothingSelected);
            if (model.entries().size() != before + c.added) {
                ADD_FAILURE() << "entries added: " << model.entries().size() - before;
                continue;
            }
            if (c.added > 0) {
                EXPECT_EQ(model.entries().first().text, selected);
                EXPECT_TRUE(model.pasteStackEntryIDs().contains(model.entries().first().id));
            }
            EXPECT_EQ(model.copiedNoticeVisible(), true) << "the notch tells what came of the shortcut";
            continue;
        }
        const QString textFile = writeFile(QStringLiteral("text%1").arg(round), text.toUtf8());
        std::unique_ptr<Talker> keeper;
        if (c.scene == Scene::Keeper) {
            const QByteArray keptText = c.keeperText ? QByteArray(c.keeperText) : text.toUtf8();
            QStringList offered{"UTF8_STRING", writeFile(QStringLiteral("kept%1").arg(round), keptText)};
            if (c.keeperImage)
                offered << "image/png" << writeFile(QStringLiteral("kept%1.png").arg(round), png);
            keeper = std::make_unique<Talker>(QStringLiteral(TARNEL_PLATFORM_HELPER), QStringList{"keeper"} + offered);
            ASSERT_TRUE(keeper->waitFor("watching"));
        }
        QStringList copied{"offer", "UTF8_STRING", textFile};
        if (c.withImage)
            copied << "image/png" << writeFile(QStringLiteral("copy%1.png").arg(round), png);
        Talker copier(QStringLiteral(TARNEL_PLATFORM_HELPER), copied);
        ASSERT_TRUE(copier.waitFor("owning"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return model.entries().size() == before + 1 && caughtUp(model, 1); }, kWaitMs));
        const ClipboardEntry first = model.entries().first();
        // Where the copy must leave no notice, the first one's has ended; the user copies again
        // at once.
        if (c.scene == Scene::Keeper) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return !model.copiedNoticeVisible(); }, kWaitMs));
        }
        const qint64 count = pasteboard.changeCount();
        if (c.scene == Scene::Keeper) {
            copier.close();
            ASSERT_TRUE(keeper->waitFor("owning"));
            // The loss, then the keeper's taking.
            ASSERT_TRUE(QTest::qWaitFor([&] { return caughtUp(model, count + 2) && model.entries().size() >= before + 1; },
                                        kWaitMs));
        } else {
            Talker again(QStringLiteral(TARNEL_PLATFORM_HELPER), {"offer", "UTF8_STRING", textFile});
            ASSERT_TRUE(again.waitFor("owning"));
            ASSERT_TRUE(QTest::qWaitFor([&] { return caughtUp(model, count + 1); }, kWaitMs));
        }
        // Settled: a second entry would have come with the change it answers.
        if (model.entries().size() != before + 1 + c.added) {
            ADD_FAILURE() << "entries added after the first copy: " << model.entries().size() - before - 1;
            continue;
        }
        if (c.added == 0) {
            EXPECT_EQ(model.entries().first(), first) << "the kept copy is the same entry, its source as it was";
            EXPECT_FALSE(model.copiedNoticeVisible()) << "a kept copy is no copy to tell of";
        } else {
            EXPECT_EQ(model.entries().first().text, c.keeperText ? QString::fromUtf8(c.keeperText) : text);
        }
    }
}

} // namespace
