// A stored file path names the copied file when it is opened or pasted, in either form it was kept.
#include "core/StoredFilePath.h"

#include <gtest/gtest.h>

TEST(StoredFilePath, NamesTheFileWhicheverFormThePathWasKeptIn)
{
    const struct {
        const char *stored;
        const char *url;
    } cases[] = {
        {"/tmp/a b.txt", "file:///tmp/a%20b.txt"},
        // A name that is not UTF-8, kept as its file URL: its very bytes.
        {"file:///tmp/caf%E9.txt", "file:///tmp/caf%E9.txt"},
        // Leading slashes beyond the first name the root, never a host.
        {"//a", "file:///a"},
        {"///srv/x", "file:///srv/x"},
    };
    for (const auto &c : cases) {
        const QUrl url = StoredFilePath::url(QString::fromUtf8(c.stored));
        EXPECT_TRUE(url.isLocalFile()) << c.stored;
        EXPECT_EQ(url.toEncoded(), QByteArray(c.url)) << c.stored;
    }
}
