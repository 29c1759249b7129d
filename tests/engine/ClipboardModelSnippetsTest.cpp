// Saving snippets and expanding typed triggers.
#include "EngineTestSupport.h"

#include "core/ShortcutNotice.h"

namespace pastetest {
namespace {

constexpr Qt::Key kLetterKey = Qt::Key_A;

class SnippetsTest : public PasteModelTest {
protected:
    // Types each character as its own key press; the result of the last press.
    bool type(const QString &text)
    {
        bool expanded = false;
        for (const QChar c : text)
            expanded = model->handleTypedKey(kLetterKey, QString(c), {});
        return expanded;
    }
};

TEST_F(SnippetsTest, SavingRefusesBlankNamesAndTextsAndTakenTriggers)
{
    createModel();
    struct Case {
        const char *name;
        std::optional<QString> id;
        QString snippetName, trigger, text;
        bool saved;
    };
    const Case cases[] = {
        {"first", std::nullopt, " Podpis ", " ;sig ", "  S pozdravom\n", true},
        {"blank name", std::nullopt, " \n", "x", "text", false},
        {"taken trigger", std::nullopt, "Iný", ";sig", "text", false},
        {"same trigger other case", std::nullopt, "Veľký", ";SIG", "text", true},
        {"empty trigger", std::nullopt, "Bez spúšťača", "", "one", true},
    };
    for (const Case &c : cases)
        EXPECT_EQ(model->saveSnippet(c.id, c.snippetName, c.trigger, c.text), c.saved) << c.name;
    ASSERT_EQ(model->snippets().size(), 3);
    const ClipboardSnippet first = model->snippets().last();
    EXPECT_EQ(first.name, "Podpis");
    EXPECT_EQ(first.trigger, ";sig");
    EXPECT_EQ(first.text, "  S pozdravom\n");
    EXPECT_EQ(storedSnippets(), model->snippets());

    // Editing keeps the id and the place, and may keep its own trigger.
    EXPECT_TRUE(model->saveSnippet(first.id, "Podpis 2", ";sig", "Nový text"));
    EXPECT_EQ(model->snippets().last().id, first.id);
    EXPECT_EQ(model->snippets().last().text, "Nový text");
    // An unknown id creates a new snippet at the front.
    EXPECT_TRUE(model->saveSnippet(QStringLiteral("unknown"), "Nový", "", "text"));
    EXPECT_EQ(model->snippets().first().name, "Nový");
    EXPECT_NE(model->snippets().first().id, "unknown");
}

TEST_F(SnippetsTest, ATypedTriggerIsErasedWholeAndReplacedByTheSnippet)
{
    seedSnippets({{"s1", "Podpis", ";sig", "S pozdravom, Ján"}, {"s2", "X", "x", "ex"}});
    workspace.setApplications({RunningApplication{11, 501, "Editor"}});
    createModel();
    // A hover of the panel remembered another application earlier; the trigger was typed here.
    model->setPasteTargetApplication(RunningApplication{11, 501, "Editor"});

    EXPECT_FALSE(type("ab;si"));
    EXPECT_TRUE(keys.sentChords().isEmpty());
    EXPECT_TRUE(type("g"));
    const FakeKeySender::Sent del{KeyChord::Delete, std::nullopt};
    const FakeKeySender::Sent paste{KeyChord::Paste, std::nullopt};
    // The tap could not swallow the last key: all four characters are erased, then pasted over.
    EXPECT_EQ(keys.sentChords(), (QList<FakeKeySender::Sent>{del, del, del, del, paste}));
    EXPECT_EQ(pasteboard.content().text, QStringLiteral("S pozdravom, Ján"));
    EXPECT_TRUE(workspace.activations().isEmpty());
    // Our own write is not recorded.
    model->readClipboardIfChanged();
    EXPECT_TRUE(model->entries().isEmpty());

    // A one-character trigger erases just its own key.
    keys.clear();
    EXPECT_TRUE(type("x"));
    EXPECT_EQ(keys.sentChords(), (QList<FakeKeySender::Sent>{del, paste}));
}

TEST_F(SnippetsTest, ClearingSnippetsForgetsAHalfTypedTrigger)
{
    seedSnippets({{"s1", "Podpis", ";sig", "S pozdravom"}});
    createModel();
    type(";si");
    model->clearSnippets();
    model->saveSnippet(std::nullopt, QStringLiteral("Podpis"), QStringLiteral(";sig"), QStringLiteral("S pozdravom"));
    EXPECT_FALSE(type("g"));
}

TEST_F(SnippetsTest, WithoutTrustTheTriggerIsStillErasedAndTheTextWaitsOnTheClipboard)
{
    seedSnippets({{"s1", "Podpis", ";s", "S pozdravom"}});
    createModel();
    permissions.setAccessibilityTrusted(false);
    EXPECT_TRUE(type(";s"));
    EXPECT_EQ(keys.count(KeyChord::Delete), 2);
    EXPECT_EQ(pastes(), 0);
    EXPECT_EQ(pasteboard.content().text, QStringLiteral("S pozdravom"));
    EXPECT_EQ(model->shortcutNotice(), ShortcutNotice::staleTrust());
}

} // namespace
} // namespace pastetest
