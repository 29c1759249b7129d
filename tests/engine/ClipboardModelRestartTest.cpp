#include "EngineTestSupport.h"
#include "platform/linux/LinuxSettingsStore.h"
#include "platform/linux/SqliteHistoryStore.h"
#include "support/ScopedLanguage.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <algorithm>

namespace {

// Runs of the program on the same files: every start opens the settings file and the history
// database anew, so a second model knows only what the first one wrote.
struct Restarts {
    QTemporaryDir dir;
    ModelHarness h;
    std::unique_ptr<LinuxSettingsStore> settings;
    std::unique_ptr<SqliteHistoryStore> history;

    ClipboardModel &start()
    {
        // Quitting lets the history writer commit what still waits; settings are written at once.
        h.model.reset();
        settings = std::make_unique<LinuxSettingsStore>(dir.filePath(QStringLiteral("config/Tarnel/defaults.json")));
        history = std::make_unique<SqliteHistoryStore>(dir.filePath(QStringLiteral("data/Tarnel/history.sqlite3")));
        h.settingsStore = settings.get();
        h.historyStore = history.get();
        return h.make();
    }
    ~Restarts() { h.model.reset(); }
};

// Everything a model keeps across runs, as one text to compare.
QString storedState(const ClipboardModel &model)
{
    QStringList lines;
    for (const ClipboardEntry &entry : model.entries())
        lines.append(QStringLiteral("entry %1 %2 pinned=%3 image=%4")
                         .arg(entry.id, entry.text)
                         .arg(entry.isPinned)
                         .arg(QString::fromLatin1(model.imageData(entry).value_or(QByteArray()).toBase64().left(40))));
    for (const ClipboardJar &jar : model.jars())
        lines.append(QStringLiteral("jar %1 %2 [%3]").arg(jar.id, jar.name, jar.entryIDs.join(u',')));
    for (const ClipboardSnippet &snippet : model.snippets())
        lines.append(QStringLiteral("snippet %1 %2 %3 %4").arg(snippet.id, snippet.name, snippet.trigger, snippet.text));
    lines.append(QStringLiteral("stack [%1] repeats=%2")
                     .arg(model.pasteStackEntryIDs().join(u','))
                     .arg(model.repeatsPasteStack()));
    QStringList consumed(model.consumedEntryIDs().cbegin(), model.consumedEntryIDs().cend());
    std::sort(consumed.begin(), consumed.end());
    lines.append(QStringLiteral("consumed [%1]").arg(consumed.join(u',')));
    lines.append(QStringLiteral("recording=%1 limit=%2 appearance=%3 language=%4")
                     .arg(model.isRecording())
                     .arg(model.historyLimit())
                     .arg(int(model.appearance()))
                     .arg(int(model.language())));
    lines.append(QStringLiteral("screenshots=%1 folder=%2")
                     .arg(model.automaticScreenshotCapture())
                     .arg(model.screenshotFolderPath().value_or(QStringLiteral("-"))));
    return lines.join(u'\n');
}

const ClipboardEntry &entryWithText(const ClipboardModel &model, const QString &text)
{
    for (const ClipboardEntry &entry : model.entries()) {
        if (entry.text == text)
            return entry;
    }
    ADD_FAILURE() << "no entry " << text.toStdString();
    return model.entries().first();
}

QString firstJar(const ClipboardModel &model)
{
    return model.jars().isEmpty() ? QString() : model.jars().first().id;
}

TEST(ClipboardModelRestart, EveryChangeOfStoredStateIsFoundByTheNextRun)
{
    using Step = std::function<void(Restarts &, ClipboardModel &)>;
    struct Case {
        const char *operation;
        Step change;
        // What the change needs in place first; stored before the run the change is made in.
        Step prepare = [](Restarts &, ClipboardModel &) {};
    };
    const auto createJar = [](Restarts &, ClipboardModel &m) { m.createJar(QStringLiteral("Work")); };
    const auto fillJar = [](Restarts &, ClipboardModel &m) {
        m.createJar(QStringLiteral("Work"));
        m.toggleEntry(entryWithText(m, "one"), firstJar(m));
    };
    const auto fillStack = [](Restarts &, ClipboardModel &m) {
        m.addToPasteStack(entryWithText(m, "one"));
        m.addToPasteStack(entryWithText(m, "two"));
    };
    const auto saveSnippet = [](Restarts &, ClipboardModel &m) {
        m.saveSnippet(std::nullopt, QStringLiteral("Sign"), QStringLiteral(";sig"), QStringLiteral("Regards"));
    };
    const Case cases[] = {
        {"a copy", [](Restarts &r, ClipboardModel &) { r.h.copyText(QStringLiteral("new copy")); }},
        {"an image copy",
         [](Restarts &r, ClipboardModel &m) {
             r.h.pasteboard.copyImage(pngBytes(5, 4, Qt::green));
             m.readClipboardIfChanged();
             ASSERT_TRUE(r.h.waitForCaptures());
         }},
        {"a text edit", [](Restarts &, ClipboardModel &m) { m.updateEntryText(entryWithText(m, "one"), "edited"); }},
        {"a pin", [](Restarts &, ClipboardModel &m) { m.togglePin(entryWithText(m, "one")); }},
        {"an unpin", [](Restarts &, ClipboardModel &m) { m.togglePin(entryWithText(m, "one")); },
         [](Restarts &, ClipboardModel &m) { m.togglePin(entryWithText(m, "one")); }},
        {"a deletion", [](Restarts &, ClipboardModel &m) { m.deleteEntry(entryWithText(m, "two")); }},
        {"clearing the clipboard section", [](Restarts &, ClipboardModel &m) { m.clearClipboardEntries(); }},
        {"clearing the history", [](Restarts &, ClipboardModel &m) { m.clearHistoryEntries(); }},
        {"clearing the pinned", [](Restarts &, ClipboardModel &m) { m.clearPinnedEntries(); },
         [](Restarts &, ClipboardModel &m) { m.togglePin(entryWithText(m, "one")); }},
        {"a lower history limit", [](Restarts &, ClipboardModel &m) { m.setHistoryLimit(1); }},
        {"recording off", [](Restarts &, ClipboardModel &m) { m.setIsRecording(false); }},
        {"the light appearance", [](Restarts &, ClipboardModel &m) { m.setAppearance(ClipboardAppearance::Light); }},
        {"English", [](Restarts &, ClipboardModel &m) { m.setLanguage(AppLanguage::En); }},
        {"screenshot import off", [](Restarts &, ClipboardModel &m) { m.setAutomaticScreenshotCapture(false); }},
        {"another screenshot folder",
         [](Restarts &r, ClipboardModel &m) { m.setScreenshotFolder(r.dir.filePath(QStringLiteral("Shots"))); }},
        {"a new Jar", createJar},
        {"a renamed Jar", [](Restarts &, ClipboardModel &m) { m.renameJar(firstJar(m), QStringLiteral("Home")); }, createJar},
        {"an entry put in a Jar",
         [](Restarts &, ClipboardModel &m) { m.toggleEntry(entryWithText(m, "one"), firstJar(m)); }, createJar},
        {"an entry taken out of a Jar",
         [](Restarts &, ClipboardModel &m) { m.toggleEntry(entryWithText(m, "one"), firstJar(m)); }, fillJar},
        {"a deleted Jar", [](Restarts &, ClipboardModel &m) { m.deleteJar(firstJar(m)); }, createJar},
        {"an emptied Jar", [](Restarts &, ClipboardModel &m) { m.clearJarContents(firstJar(m)); }, fillJar},
        {"every Jar emptied", [](Restarts &, ClipboardModel &m) { m.clearAllJarContents(); }, fillJar},
        {"an entry put on the Paste Stack", [](Restarts &, ClipboardModel &m) { m.addToPasteStack(entryWithText(m, "one")); }},
        {"an entry taken off the Paste Stack",
         [](Restarts &, ClipboardModel &m) { m.removeFromPasteStack(entryWithText(m, "one")); }, fillStack},
        {"a Paste Stack reordered",
         [](Restarts &, ClipboardModel &m) { m.movePasteStackEntry(entryWithText(m, "two").id, 0); }, fillStack},
        {"a cleared Paste Stack", [](Restarts &, ClipboardModel &m) { m.clearPasteStack(); }, fillStack},
        {"a repeating Paste Stack", [](Restarts &, ClipboardModel &m) { m.setRepeatsPasteStack(true); }},
        {"a Paste Stack paste",
         [](Restarts &r, ClipboardModel &m) {
             m.pasteEntryFromPanel(entryWithText(m, "one"), false, ModelHarness::kFrontPid, true);
             ASSERT_TRUE(QTest::qWaitFor([&] { return r.h.pastes() == 1; }, 5000));
         },
         fillStack},
        {"a paste that uses an entry up",
         [](Restarts &, ClipboardModel &m) {
             m.pasteEntryFromPanel(entryWithText(m, "one"), true, ModelHarness::kFrontPid, false);
             ASSERT_TRUE(QTest::qWaitFor([&] { return !m.consumedEntryIDs().isEmpty(); }, 5000));
         }},
        {"a new snippet", saveSnippet},
        {"an edited snippet",
         [](Restarts &, ClipboardModel &m) {
             m.saveSnippet(m.snippets().first().id, QStringLiteral("Sign"), QStringLiteral(";sg"), QStringLiteral("Bye"));
         },
         saveSnippet},
        {"a snippet made from an entry",
         [](Restarts &, ClipboardModel &m) { m.addSnippet(entryWithText(m, "one"), QStringLiteral("One"), QStringLiteral(";one")); }},
        {"cleared snippets", [](Restarts &, ClipboardModel &m) { m.clearSnippets(); }, saveSnippet},
    };
    for (const Case &c : cases) {
        ScopedLanguage language(std::nullopt);
        Restarts r;
        ClipboardModel &earlier = r.start();
        r.h.copyText(QStringLiteral("one"));
        r.h.copyText(QStringLiteral("two"));
        c.prepare(r, earlier);
        ClipboardModel &first = r.start();
        const QString before = storedState(first);
        c.change(r, first);
        const QString after = storedState(first);
        ASSERT_NE(after, before) << c.operation << ": the case must change what is stored";

        const QString found = storedState(r.start());
        EXPECT_EQ(found, after) << c.operation;
    }
}

} // namespace
