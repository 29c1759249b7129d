#include "FuzzInput.h"

#include "core/MacKeyCode.h"
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

    constexpr quint32 keys[] = {MacKeyCode::V,      MacKeyCode::Space,   MacKeyCode::Delete,  MacKeyCode::Return,
                                MacKeyCode::Tab,    MacKeyCode::Escape,  MacKeyCode::Unknown, MacKeyCode::Digit1};
    constexpr quint64 modifiers[] = {0, MacEventFlag::Shift, MacEventFlag::Option, MacEventFlag::Command,
                                     MacEventFlag::Control, MacEventFlag::CapsLock};
    QString buffer;
    while (!input.empty()) {
        const uint8_t selector = input.byte();
        const quint32 key = keys[selector % 8];
        const quint64 flags = modifiers[(selector >> 3) % 6] & (selector & 0x40 ? ~0ULL : 0ULL);
        const bool quickAccess = selector == 0xFF;
        const QByteArray raw = input.until('\0');
        std::optional<QString> characters;
        if (selector & 0x80)
            characters = (selector & 0x20) ? textFromUtf16(raw) : textFromUtf8(raw);

        const auto expansion = TypedTrigger::handleKey(buffer, key, characters, flags, quickAccess, snippets);
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
