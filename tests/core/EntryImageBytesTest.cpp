#include "core/EntryImageBytes.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {

// Each source in turn, and a source that is no regular file or lies outside the store is never
// opened: a pipe would hold the reading thread, a path outside the store would read whatever a
// damaged record names.
TEST(EntryImageBytes, ReadsEachSourceInTurnAndOpensNothingItShouldNot)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const ClipboardImageStore store(dir.filePath(QStringLiteral("Clipboard Images")));
    const QString inside = store.save(QByteArray("stored bytes")).path;
    ASSERT_FALSE(inside.isEmpty());
    const QString outside = dir.filePath(QStringLiteral("outside.image"));
    const QString shot = dir.filePath(QStringLiteral("shot.png"));
    const QString pipe = dir.filePath(QStringLiteral("pipe.png"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    ASSERT_TRUE(writeFile(outside, "outside bytes"));
    ASSERT_TRUE(writeFile(shot, "shot bytes"));
    const EntryImageBytes reader(store);
    const struct {
        const char *what;
        std::optional<QByteArray> data;
        std::optional<QString> storeFile;
        std::optional<QString> screenshotFile;
        std::optional<QByteArray> expected;
    } cases[] = {
        {"bytes in memory first", QByteArray("memory"), inside, shot, QByteArray("memory")},
        {"the store file next", std::nullopt, inside, shot, QByteArray("stored bytes")},
        {"a file outside the store falls to the screenshot", std::nullopt, outside, shot, QByteArray("shot bytes")},
        {"a file outside the store alone", std::nullopt, outside, std::nullopt, std::nullopt},
        {"a screenshot path that is a pipe", std::nullopt, std::nullopt, pipe, std::nullopt},
        {"a screenshot path that is a folder", std::nullopt, std::nullopt, dir.path(), std::nullopt},
        {"a screenshot that is gone", std::nullopt, std::nullopt, dir.filePath(QStringLiteral("gone.png")), std::nullopt},
    };
    for (const auto &c : cases) {
        ClipboardEntry entry;
        entry.imageData = c.data;
        entry.imageFilePath = c.storeFile;
        entry.screenshotFileURL = c.screenshotFile;
        EXPECT_EQ(reader.read(entry), c.expected) << c.what;
    }
}

} // namespace
