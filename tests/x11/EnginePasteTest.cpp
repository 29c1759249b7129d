// End to end: the real model pastes into the fixture window through the X11 clipboard and XTest,
// and expands a snippet trigger typed there.
#include "engine/ClipboardModel.h"
#include "platform/fake/FakeSettingsStore.h"
#include "platform/x11/X11KeySender.h"
#include "platform/x11/X11KeyTap.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11Permissions.h"
#include "platform/x11/X11Workspace.h"
#include "support/ModelServices.h"

#include <QLineEdit>

#include <gtest/gtest.h>

#include "X11TestSupport.h"

namespace {

using namespace x11test;

class X11EnginePasteTest : public ::testing::Test {
protected:
    ClipboardModel &createModel(const QList<ClipboardEntry> &history = {})
    {
        settings.setBytes(ClipboardModel::historyKey, ClipboardEntry::encodeList(history));
        model = std::make_unique<ClipboardModel>(
            testsupport::pasteServices(pasteboard, settings, workspace, permissions, keys, folder));
        return *model;
    }

    static ClipboardEntry entryWithText(const QString &text)
    {
        ClipboardEntry entry;
        entry.id = ClipboardEntry::newID();
        entry.text = text;
        entry.kind = detectKind(text);
        entry.copiedAt = QDateTime::currentDateTimeUtc();
        return entry;
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

TEST_F(X11EnginePasteTest, PastingAnEntryTypesItIntoTheRememberedApplicationAndIsNoCopy)
{
    const ClipboardEntry entry = entryWithText(QStringLiteral("Žltý kôň\nz Tarnelu"));
    createModel({entry});
    ASSERT_TRUE(permissions.accessibilityTrusted());
    Fixture editor("editor", {}, QStringLiteral("500x300+100+100"));
    ASSERT_TRUE(editor.waitForKeyboard());
    const std::optional<RunningApplication> remembered = workspace.frontmostApplication();
    // Another window takes the keyboard, as the panel does while the user picks an entry.
    Fixture other("other", {}, QStringLiteral("500x300+700+100"));
    ASSERT_TRUE(other.waitForKeyboard());

    model->startMonitoring();
    model->setPasteTargetApplication(remembered);
    model->pasteEntryFromPanel(entry, false, std::nullopt, false);
    EXPECT_TRUE(QTest::qWaitFor([&] { return editor.text() == entry.text; })) << editor.text().toStdString();
    EXPECT_TRUE(other.text().isEmpty());
    EXPECT_EQ(readClipboard(), entry.text);

    // A later copy elsewhere is recorded; the paste road's own write before it never is.
    ClipboardOwner later(QStringLiteral("later"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->entries().size() > 1; }));
    QStringList texts;
    for (const ClipboardEntry &e : model->entries())
        texts.append(e.text);
    EXPECT_EQ(texts, (QStringList{"later", entry.text}));
}

// Text selected in a window of Tarnel's own and copied with Ctrl+C enters the history like a copy
// anywhere else; what the model writes to paste an entry still does not.
TEST_F(X11EnginePasteTest, ACopyInOneOfTarnelsWindowsIsRecordedAndItsOwnPasteIsNot)
{
    const ClipboardEntry entry = entryWithText(QStringLiteral("z histórie"));
    createModel({entry});
    model->startMonitoring();

    QLineEdit row(QStringLiteral("vybraný text a zvyšok riadku"));
    row.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&row));
    row.setSelection(0, 12);
    // A copy made in the instant Qt has not yet heard of the one before is refused by the server
    // and never reaches the clipboard (nor the history); the first one taken is recorded once.
    const qint64 before = pasteboard.changeCount();
    ASSERT_TRUE(QTest::qWaitFor([&] {
        QTest::keyClick(&row, Qt::Key_C, Qt::ControlModifier);
        return pasteboard.changeCount() > before;
    }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->entries().size() == 2; }));
    EXPECT_EQ(model->entries().first().text, QStringLiteral("vybraný text"));
    EXPECT_EQ(readClipboard(), QStringLiteral("vybraný text"));

    model->pasteEntryFromPanel(entry, false, std::nullopt, false);
    EXPECT_EQ(readClipboard(), entry.text);
    ClipboardOwner later(QStringLiteral("later"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->entries().size() > 2; }));
    QStringList texts;
    for (const ClipboardEntry &e : model->entries())
        texts.append(e.text);
    EXPECT_EQ(texts.first(), QStringLiteral("later"));
    EXPECT_EQ(texts.size(), 3) << texts.join(u'|').toStdString();
    EXPECT_EQ(texts.count(entry.text), 1) << texts.join(u'|').toStdString();
}

TEST_F(X11EnginePasteTest, ATypedTriggerLeavesExactlyTheSnippetText)
{
    settings.setBytes(ClipboardModel::snippetsKey,
                      ClipboardSnippet::encodeList({{"s1", "Podpis", ";sig", "S pozdravom, Ján"}}));
    createModel();
    QObject::connect(&tap, &KeyTap::keyPressed, model.get(), [this](const KeyTapEvent &event) {
        if (!event.isAutoRepeat)
            model->handleTypedKey(event.key, event.characters, event.modifiers);
    });
    ASSERT_TRUE(tap.start());
    Fixture fixture("snippet");
    ASSERT_TRUE(fixture.waitForKeyboard());

    ASSERT_EQ(xdotool({"type", "--delay", "30", "Ahoj ;sig"}), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.text() == QStringLiteral("Ahoj S pozdravom, Ján"); }))
        << fixture.text().toStdString();
    // The model's own keys are not taken for typing: what is typed next lands right after.
    ASSERT_EQ(xdotool({"type", " ok"}), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.text() == QStringLiteral("Ahoj S pozdravom, Ján ok"); }))
        << fixture.text().toStdString();
    tap.stop();
}

} // namespace
