#include "FuzzInput.h"

#include "core/ClipboardColor.h"
#include "core/ColorOutput.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    silenceQtMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const QString &text : {textFromUtf8(bytes), textFromUtf16(bytes)}) {
        const std::optional<QString> hex = ClipboardColor::normalizedHex(text);
        const std::optional<ClipboardColor::Components> parts = ClipboardColor::components(text);
        FUZZ_EXPECT(hex.has_value() == parts.has_value());
        if (parts) {
            for (const double channel : {parts->red, parts->green, parts->blue})
                FUZZ_EXPECT(channel >= 0 && channel <= 1);
        }
        for (const ColorOutput output : ColorOutputs::all()) {
            const std::optional<QString> written = ClipboardColor::format(text, output);
            FUZZ_EXPECT(written.has_value() == hex.has_value());
            // The hex notation reads back as the same colour.
            if (written && output == ColorOutput::Hex)
                FUZZ_EXPECT(ClipboardColor::components(*written) == parts);
        }
    }
    return 0;
}
