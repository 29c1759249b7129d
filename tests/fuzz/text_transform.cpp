#include "FuzzInput.h"

#include "core/ClipboardTransform.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    silenceQtMessages();
    return 0;
}

// The input is a transform's name, a line feed and the text; an unknown name runs them all.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput input(data, size);
    const std::optional<ClipboardTransform> chosen
        = ClipboardTransforms::fromRawValue(QString::fromUtf8(input.until('\n')));
    const QByteArray bytes = input.rest();
    for (const QString &text : {textFromUtf8(bytes), textFromUtf16(bytes)}) {
        for (const ClipboardTransform transform : ClipboardTransforms::all()) {
            if (!chosen || *chosen == transform)
                ClipboardTransforms::apply(transform, text);
        }
        using ClipboardTransforms::apply;
        // Encoding is undone by decoding, so a link pasted encoded reads back as copied.
        if (text.isValidUtf16())
            FUZZ_EXPECT(apply(ClipboardTransform::UrlDecode, apply(ClipboardTransform::UrlEncode, text)) == text);
        // Both layouts write the same data.
        FUZZ_EXPECT(apply(ClipboardTransform::JsonMinify, apply(ClipboardTransform::JsonFormat, text))
                    == apply(ClipboardTransform::JsonMinify, text));
    }
    return 0;
}
