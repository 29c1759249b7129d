#include "platform/fake/FakePasteboard.h"


#include <gtest/gtest.h>

namespace {

TEST(FakePasteboard, ForeignCopiesAndOwnWritesEachRaiseTheCountOnce)
{
    FakePasteboard pasteboard;
    QList<qint64> announced;
    QObject::connect(&pasteboard, &Pasteboard::changeCountChanged, [&](qint64 count) { announced.append(count); });
    const qint64 start = pasteboard.changeCount();

    pasteboard.copyText("same");
    pasteboard.copyText("same");
    EXPECT_EQ(pasteboard.changeCount(), start + 2);

    const qint64 written = pasteboard.writeFilePaths({"/tmp/a b.txt"});
    EXPECT_EQ(written, start + 3);
    EXPECT_EQ(pasteboard.changeCount(), written);
    EXPECT_EQ(pasteboard.content().filePaths, QStringList{"/tmp/a b.txt"});
    EXPECT_EQ(pasteboard.content().text, std::nullopt);
    EXPECT_EQ(pasteboard.lastWriteKind(), FakePasteboard::WriteKind::FilePaths);

    pasteboard.writeImage("png bytes");
    ASSERT_EQ(pasteboard.content().images.size(), 1);
    EXPECT_EQ(pasteboard.content().images.first().mimeType, "image/png");

    pasteboard.clearByOtherApplication();
    EXPECT_EQ(pasteboard.content(), PasteboardContent{});
    EXPECT_EQ(announced.size(), 5);
    EXPECT_EQ(announced.last(), pasteboard.changeCount());
    EXPECT_EQ(pasteboard.writeCount(), 2);
}

} // namespace
