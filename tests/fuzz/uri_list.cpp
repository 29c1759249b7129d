#include "FuzzInput.h"

#include "platform/x11/X11SelectionReader.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    silenceQtMessages();
    return 0;
}

// A file list offered as text/uri-list becomes the paths of a file entry: all or nothing, and
// every one an absolute local path, since the entry is later read and pasted by path.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const QString &path : X11SelectionReader::filePathsFromUriList(bytes))
        FUZZ_EXPECT(path.startsWith(u'/'));
    return 0;
}
