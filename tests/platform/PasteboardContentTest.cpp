#include "platform/Pasteboard.h"

#include <gtest/gtest.h>

namespace {

PasteboardContent content(std::optional<QString> text, QList<PasteboardImage> images = {}, QStringList files = {})
{
    PasteboardContent result;
    result.text = std::move(text);
    result.images = std::move(images);
    result.filePaths = std::move(files);
    return result;
}

// What a desktop's clipboard keeper offers after the program that copied went away is that copy
// kept alive only when it offers nothing the copy did not, byte for byte, and offers something.
TEST(PasteboardContent, AKeeperOffersNothingBeyondTheCopyOnlyWithItsOwnBytes)
{
    const PasteboardImage png{QStringLiteral("image/png"), QByteArrayLiteral("\x89PNG one")};
    const PasteboardImage otherPng{QStringLiteral("image/png"), QByteArrayLiteral("\x89PNG two")};
    const PasteboardContent rich = content(QStringLiteral("words"), {png});
    const PasteboardContent files = content(QStringLiteral("/a\n/b"), {}, {"/a", "/b"});
    PasteboardContent cut = content(QStringLiteral("words"));
    cut.incomplete = true;
    const struct {
        const char *name;
        PasteboardContent offered;
        PasteboardContent copy;
        bool kept;
    } cases[] = {
        {"all of it", rich, rich, true},
        {"only the text", content(QStringLiteral("words")), rich, true},
        {"only the image", content(std::nullopt, {png}), rich, true},
        {"the same files", files, files, true},
        {"other text", content(QStringLiteral("word")), rich, false},
        {"another image", content(QStringLiteral("words"), {otherPng}), rich, false},
        {"an image the copy had not", content(QStringLiteral("words"), {png}), content(QStringLiteral("words")), false},
        {"text where the copy had none", content(QStringLiteral("words")), content(std::nullopt, {png}), false},
        {"other files", content(QStringLiteral("/a\n/b"), {}, {"/a"}), files, false},
        {"nothing", content(std::nullopt), rich, false},
        {"what arrived of an unfinished offer", cut, rich, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.offered.offersNothingBeyond(c.copy), c.kept) << c.name;
}

} // namespace
