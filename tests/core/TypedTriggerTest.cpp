#include "core/TypedTrigger.h"

#include <gtest/gtest.h>

namespace {

constexpr Qt::Key kLetterKey = Qt::Key_A; // any key that is not Return, Tab or Backspace

ClipboardSnippet snippet(const QString &id, const QString &trigger)
{
    return ClipboardSnippet{id, id, trigger, "text of " + id};
}

struct Key {
    Qt::Key code = kLetterKey;
    std::optional<QString> characters;
    Qt::KeyboardModifiers modifiers;
    bool quickAccess = false;
};

Key typed(const QString &characters) { return Key{kLetterKey, characters, {}, false}; }

// Feeds the keys and returns the expansion of the last one.
std::optional<TypedTrigger::Expansion> feed(QString &buffer, const QList<Key> &keys,
                                                  const QList<ClipboardSnippet> &snippets)
{
    std::optional<TypedTrigger::Expansion> last;
    for (const Key &key : keys)
        last = TypedTrigger::handleKey(buffer, key.code, key.characters, key.modifiers, key.quickAccess, snippets);
    return last;
}

QList<Key> typedEach(const QString &text)
{
    QList<Key> keys;
    for (const QChar c : text)
        keys.append(typed(QString(c)));
    return keys;
}

TEST(TypedTrigger, ExpandsWhenTheTypedTextEndsWithATrigger)
{
    const QList<ClipboardSnippet> snippets{snippet("sig", ";sig"), snippet("x", "x"), snippet("none", "")};
    const Key backspace{Qt::Key_Backspace, std::nullopt, {}, false};
    // Keys that end what was being typed, though they type something.
    const Key enter{Qt::Key_Return, "\r", {}, false};
    const Key tab{Qt::Key_Tab, "\t", {}, false};
    struct Case {
        const char *name;
        QList<Key> keys;
        std::optional<TypedTrigger::Expansion> expected;
    };
    const Case cases[] = {
        // The whole trigger reached the application, the completing key included.
        {"four-character trigger", typedEach("ab;sig"), TypedTrigger::Expansion{0, 4}},
        {"one-character trigger erases its key", typedEach("ax"), TypedTrigger::Expansion{1, 1}},
        {"typo corrected with backspace", typedEach(";sq") + QList<Key>{backspace} + typedEach("ig"),
         TypedTrigger::Expansion{0, 4}},
        {"control chord forgets", typedEach(";si") + QList<Key>{{kLetterKey, "a", Qt::ControlModifier, false}} + typedEach("g"),
         std::nullopt},
        {"super chord forgets", typedEach(";si") + QList<Key>{{kLetterKey, "a", Qt::MetaModifier, false}} + typedEach("g"),
         std::nullopt},
        {"alt and the keypad are typing", typedEach(";si") + QList<Key>{{kLetterKey, "g", Qt::AltModifier | Qt::KeypadModifier, false}},
         TypedTrigger::Expansion{0, 4}},
        {"return forgets", typedEach(";si") + QList<Key>{enter} + typedEach("g"), std::nullopt},
        {"tab forgets", typedEach(";si") + QList<Key>{tab} + typedEach("g"), std::nullopt},
        {"quick access shown forgets", typedEach(";si") + QList<Key>{{kLetterKey, "x", {}, true}} + typedEach("g"),
         std::nullopt},
        {"shift is typing", typedEach(";si") + QList<Key>{{kLetterKey, "g", Qt::ShiftModifier, false}},
         TypedTrigger::Expansion{0, 4}},
        {"a key without characters forgets", typedEach(";si") + QList<Key>{{kLetterKey, std::nullopt, {}, false}} + typedEach("g"),
         std::nullopt},
        // A key that types several characters at once (an input method) completes the trigger too.
        {"several characters in one key", {typed("ab;s"), typed("ig")}, TypedTrigger::Expansion{0, 4}},
    };
    for (const Case &c : cases) {
        QString buffer;
        EXPECT_EQ(feed(buffer, c.keys, snippets), c.expected) << c.name;
    }
}

TEST(TypedTrigger, TriggersMatchByTheCharactersTheyShow)
{
    const QString precomposed = QStringLiteral(";\u010Dau");   // ";čau" with one code point for č
    const QString decomposed = QStringLiteral(";c\u030Cau");   // the same with a combining caron
    const QString man = QString::fromUcs4(U"\U0001F468");
    const QString woman = QString::fromUcs4(U"\U0001F469");
    const QString joiner = QStringLiteral("\u200D");
    struct Case {
        const char *name;
        QString trigger;
        QList<Key> keys;
        std::optional<TypedTrigger::Expansion> expected;
    };
    const Case cases[] = {
        {"decomposed trigger, precomposed typing", decomposed, typedEach(precomposed), TypedTrigger::Expansion{0, 4}},
        {"precomposed trigger, typed with a dead key", precomposed,
         {typed(";"), typed("c"), typed("\u030C"), typed("a"), typed("u")}, TypedTrigger::Expansion{0, 4}},
        // The last typed character is an accented e, not the trigger's bare e.
        {"bare letter does not match an accented one", "e", {typed("e\u0301")}, std::nullopt},
        // The woman is the tail of one joined character; erasing it would erase the man too.
        {"tail of a joined character", woman, {typed(man), typed(joiner), typed(woman)}, std::nullopt},
        {"joined character typed whole", man + joiner + woman, {typed(man), typed(joiner), typed(woman)},
         TypedTrigger::Expansion{0, 1}},
    };
    for (const Case &c : cases) {
        QString buffer;
        EXPECT_EQ(feed(buffer, c.keys, {snippet("s", c.trigger)}), c.expected) << c.name;
    }
}

TEST(TypedTrigger, HostileKeysKeepTheBufferShortAndNeverCrash)
{
    const QList<ClipboardSnippet> snippets{snippet("sig", ";sig")};
    struct Case {
        const char *name;
        QString characters;
    };
    const Case cases[] = {
        {"lone high surrogate", QString(QChar(0xD800))},
        {"a long run of combining marks", QString(100000, QChar(0x0301))},
        // Qt's boundary finder splits this differently walking back from the end than going forward.
        {"a combining mark after many noncharacters",
         QChar(0xFF78) + QString(53, QChar(0xFFFF)) + QChar(0x0A01) + QChar(0xFFFF)},
    };
    for (const Case &c : cases) {
        QString buffer;
        EXPECT_EQ(feed(buffer, {typed(c.characters)}, snippets), std::nullopt) << c.name;
        EXPECT_LE(TypedTrigger::characterCount(buffer), 4) << c.name;
        // The trigger still expands right after.
        EXPECT_EQ(feed(buffer, typedEach(";sig"), snippets), (TypedTrigger::Expansion{0, 4})) << c.name;
    }
}

} // namespace
