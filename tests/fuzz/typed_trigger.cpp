#include "FuzzInput.h"

#include "core/TypedTrigger.h"

#include <algorithm>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    silenceQtMessages();
    return 0;
}

// Input: one to four triggers, each ended by a zero byte, then key presses of a selector byte
// (key, modifiers, Quick Access, text encoding) and the characters, each ended by a zero byte.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    QList<ClipboardSnippet> snippets;
    const int snippetCount = input.byte() % 4 + 1;
    qsizetype longest = 1;
    for (int i = 0; i < snippetCount; ++i) {
        const QString trigger = textFromUtf8(input.until('\0'));
        snippets.append({QString::number(i), QString(), trigger, QStringLiteral("text")});
        longest = std::max(longest, TypedTrigger::characterCount(trigger));
    }

    constexpr Qt::Key keys[] = {Qt::Key_V, Qt::Key_Space, Qt::Key_Backspace, Qt::Key_Return,
                                Qt::Key_Tab, Qt::Key_Escape, Qt::Key_unknown, Qt::Key_1};
    constexpr Qt::KeyboardModifier modifiers[] = {Qt::NoModifier, Qt::ShiftModifier, Qt::AltModifier,
                                                  Qt::MetaModifier, Qt::ControlModifier, Qt::KeypadModifier};
    QString buffer;
    while (!input.empty()) {
        const uint8_t selector = input.byte();
        const Qt::Key key = keys[selector % 8];
        const Qt::KeyboardModifiers held = selector & 0x40 ? modifiers[(selector >> 3) % 6] : Qt::NoModifier;
        const bool quickAccess = selector == 0xFF;
        const QByteArray raw = input.until('\0');
        std::optional<QString> characters;
        if (selector & 0x80)
            characters = (selector & 0x20) ? textFromUtf16(raw) : textFromUtf8(raw);

        const auto expansion = TypedTrigger::handleKey(buffer, key, characters, held, quickAccess, snippets);
        // The buffer stays as short as the longest trigger, however long the typing goes on.
        FUZZ_EXPECT(TypedTrigger::characterCount(buffer) <= longest);
        if (expansion) {
            FUZZ_EXPECT(buffer.isEmpty());
            FUZZ_EXPECT(expansion->snippetIndex >= 0 && expansion->snippetIndex < snippets.size());
            const QString &trigger = snippets.at(expansion->snippetIndex).trigger;
            FUZZ_EXPECT(!trigger.isEmpty());
            FUZZ_EXPECT(expansion->deleteCount == TypedTrigger::characterCount(trigger));
        }
    }
    return 0;
}
