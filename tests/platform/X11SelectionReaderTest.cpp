#include "platform/x11/X11SelectionReader.h"

#include <QHostInfo>

#include <gtest/gtest.h>

namespace {

TEST(X11SelectionReader, AUriListCountsAsFilesOnlyWhenEveryUrlIsALocalFile)
{
    const QByteArray thisHost = QHostInfo::localHostName().toUtf8();
    const struct {
        const char *name;
        QByteArray uriList;
        QStringList paths;
    } cases[] = {
        {"one file", "file:///home/u/a.txt", {"/home/u/a.txt"}},
        {"CRLF separated, in order", "file:///b\r\nfile:///a\r\n", {"/b", "/a"}},
        {"percent-encoded", "file:///tmp/a%20b/%C5%BEaba.png", {"/tmp/a b/žaba.png"}},
        // Latin-1 names: no text form leads back to the file, the URL does.
        {"a name that is not UTF-8", "file:///tmp/caf%E9.txt\r\nfile://localhost/tmp/%FF%20x", {"file:///tmp/caf%E9.txt", "file:///tmp/%FF%20x"}},
        // Sent as raw bytes rather than percent-encoded: the same bytes, the same files.
        {"raw bytes that are not UTF-8", "file:///tmp/caf\xe9\r\nfile:///tmp/\xff%20x", {"file:///tmp/caf%E9", "file:///tmp/%FF%20x"}},
        {"raw UTF-8 bytes", "file:///tmp/\xc5\xbe.png", {"/tmp/\u017e.png"}},
        // Extra leading slashes name the root, as the file system reads them, never a host.
        {"a path with two leading slashes", "file:////a\r\nfile:////%A1", {"/a", "file:///%A1"}},
        {"comments and blank lines", "# copied\r\n\r\nfile:///x\r\n", {"/x"}},
        {"localhost", "file://localhost/etc/hosts", {"/etc/hosts"}},
        {"this machine by name", "file://" + thisHost + "/etc/hosts", {"/etc/hosts"}},
        {"another machine", "file://elsewhere.example/etc/hosts", {}},
        {"a web address among files", "file:///a\r\nhttps://example.com/\r\n", {}},
        {"a relative reference", "a.txt", {}},
        {"a relative file URL", "file:///a\nfile:a.txt", {}},
        {"no path", "file://", {}},
        {"not a URL", "file:///a b\x01", {}},
        {"empty", "", {}},
        {"only a comment", "# nothing", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(X11SelectionReader::filePathsFromUriList(c.uriList), c.paths) << c.name;
}

} // namespace
