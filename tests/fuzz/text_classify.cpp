#include "FuzzInput.h"

#include "core/ClipboardKind.h"
#include "core/ClipboardPrivacy.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    silenceQtMessages();
    return 0;
}

// Every copied text meets both on the capture road; a catastrophic pattern shows up as a
// timeout, a read past the text as a crash.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const QString &text : {textFromUtf8(bytes), textFromUtf16(bytes)}) {
        const ClipboardKind kind = detectKind(text);
        FUZZ_EXPECT(kind != ClipboardKind::Image && kind != ClipboardKind::File);
        ClipboardPrivacy::looksSensitive(text);
    }
    return 0;
}
