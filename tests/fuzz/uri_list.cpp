#include "FuzzInput.h"

#include "core/StoredFilePath.h"
#include "platform/x11/X11SelectionReader.h"

#include <QUrl>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    silenceQtMessages();
    return 0;
}

// A file list offered as text/uri-list becomes the paths of a file entry: all or nothing, and
// every one an absolute local path, since the entry is later read and pasted by path. A name
// that is not UTF-8 is kept as its file URL, which must name an absolute local path too.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const QString &path : X11SelectionReader::filePathsFromUriList(bytes)) {
        const QUrl url = StoredFilePath::url(path);
        FUZZ_EXPECT(url.isLocalFile() && url.path().startsWith(u'/'));
        FUZZ_EXPECT(path.startsWith(u'/') || path.startsWith(QLatin1String("file:///")));
    }
    return 0;
}
