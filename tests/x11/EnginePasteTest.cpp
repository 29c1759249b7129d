// End to end: the real model pastes into the fixture window through the X11 clipboard and XTest,
// and expands a snippet trigger typed there.
#include "InputTestSupport.h"
#include "engine/ClipboardModel.h"
#include "platform/ScreenshotFolderMonitor.h"
#include "platform/fake/FakeSettingsStore.h"
#include "platform/x11/X11KeySender.h"
#include "platform/x11/X11KeyTap.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11Permissions.h"
#include "platform/x11/X11Workspace.h"
#include "support/ModelServices.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <memory>

namespace {

using namespace inputtest;

class X11EnginePasteTest : public ::testing::Test {
protected:
    ClipboardModel &createModel()
    {
        model = std::make_unique<ClipboardModel>(
            testsupport::pasteServices(pasteboard, settings, workspace, permissions, keys, folder));
        return *model;
    }

    bool inFront(const Fixture &fixture)
    {
        return waitUntil([&] {
            const auto front = workspace.frontmostApplication();
            return front && front->pid == fixture.pid();
        });
    }

    X11Workspace workspace;
    X11KeySender keys{&workspace};
    X11Pasteboard pasteboard;
    X11KeyTap tap;
    X11Permissions permissions{&tap};
    FakeSettingsStore settings;
    QTemporaryDir folder;
    std::unique_ptr<ClipboardModel> model;
};

// Reads the clipboard with xclip while our event loop keeps running: Tarnel owns the clipboard
// and must answer xclip's request itself.
QString readOwnClipboard()
{
    QProcess xclip;
    xclip.start(QStringLiteral("xclip"), {"-selection", "clipboard", "-o"});
    if (!waitUntil([&] { return xclip.state() == QProcess::NotRunning; })) {
        xclip.kill();
        xclip.waitForFinished();
        return {};
    }
    return QString::fromUtf8(xclip.readAllStandardOutput());
}

// Types probe keys until one arrives (a new window's text field may take a moment to get the
// keyboard), then clears the field.
bool readyForTyping(const Fixture &fixture)
{
    for (int attempt = 0; attempt < 20 && fixture.text().isEmpty(); ++attempt) {
        if (xdotool({"type", "x"}) != 0)
            return false;
        waitUntil([&] { return !fixture.text().isEmpty(); }, 250ms);
    }
    return !fixture.text().isEmpty() && xdotool({"key", "ctrl+a", "BackSpace"}) == 0
        && waitUntil([&] { return fixture.text().isEmpty(); });
}

ClipboardEntry entryWithText(const QString &text)
{
    ClipboardEntry entry;
    entry.id = ClipboardEntry::newID();
    entry.text = text;
    entry.kind = detectKind(text);
    entry.copiedAt = QDateTime::currentDateTimeUtc();
    return entry;
}

TEST_F(X11EnginePasteTest, PastingAnEntryTypesItIntoTheApplicationInFront)
{
    const ClipboardEntry entry = entryWithText(QStringLiteral("Žltý kôň\nz Tarnelu"));
    settings.setBytes(ClipboardModel::historyKey, ClipboardEntry::encodeList({entry}));
    createModel();
    ASSERT_TRUE(permissions.accessibilityTrusted());
    Fixture fixture("paste");
    ASSERT_TRUE(inFront(fixture));

    model->pasteEntryFromPanel(entry, false, std::nullopt, false);
    EXPECT_TRUE(waitUntil([&] { return fixture.text() == entry.text; })) << fixture.text().toStdString();
    // The paste road's own write is never recorded as a copy.
    pump(500ms);
    model->readClipboardIfChanged();
    EXPECT_EQ(model->entries().size(), 1);
    EXPECT_EQ(readOwnClipboard(), entry.text);
}

TEST_F(X11EnginePasteTest, PasteReturnsToTheRememberedApplication)
{
    const ClipboardEntry entry = entryWithText(QStringLiteral("späť do editora"));
    settings.setBytes(ClipboardModel::historyKey, ClipboardEntry::encodeList({entry}));
    createModel();
    Fixture editor("editor", {}, QStringLiteral("100,100,500,300"));
    ASSERT_TRUE(inFront(editor));
    const std::optional<RunningApplication> remembered = workspace.frontmostApplication();
    ASSERT_TRUE(remembered.has_value());
    // Another window takes the keyboard, as the panel does while the user picks an entry.
    Fixture other("other", {}, QStringLiteral("700,100,500,300"));
    ASSERT_TRUE(inFront(other));

    model->setPasteTargetApplication(remembered);
    model->pasteEntryFromPanel(entry, false, std::nullopt, false);
    EXPECT_TRUE(waitUntil([&] { return editor.text() == entry.text; })) << editor.text().toStdString();
    EXPECT_TRUE(other.text().isEmpty());
}

TEST_F(X11EnginePasteTest, ATypedTriggerLeavesExactlyTheSnippetText)
{
    settings.setBytes(ClipboardModel::snippetsKey,
                      ClipboardSnippet::encodeList({{"s1", "Podpis", ";sig", "S pozdravom, Ján"}}));
    createModel();
    QObject::connect(&tap, &KeyTap::keyPressed, model.get(), [this](const KeyTapEvent &event) {
        if (!event.isAutoRepeat)
            model->handleTypedKey(event.keyCode, event.characters, event.flags);
    });
    ASSERT_TRUE(tap.start());
    Fixture fixture("snippet");
    ASSERT_TRUE(inFront(fixture));
    ASSERT_TRUE(readyForTyping(fixture));

    ASSERT_EQ(xdotool({"type", "--delay", "30", "Ahoj ;sig"}), 0);
    const QString expected = QStringLiteral("Ahoj S pozdravom, Ján");
    EXPECT_TRUE(waitUntil([&] { return fixture.text() == expected; })) << fixture.text().toStdString();
    // Nothing more arrives afterwards: the model's own keys are not taken for typing.
    pump(500ms);
    EXPECT_EQ(fixture.text(), expected);
    tap.stop();
}

} // namespace
