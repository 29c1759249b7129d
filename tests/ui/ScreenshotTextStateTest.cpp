// The text sheet's results: which one shows, the ids they save under, their edits, and what
// the save menu offers as the history changes.
#include "ui/tools/ScreenshotTextState.h"

#include <gtest/gtest.h>

namespace {

using Item = ScreenshotTextState::SaveItem;

ScreenshotTextState readState(const QString &text, const QStringList &codes)
{
    ScreenshotTextState state(QStringLiteral("base"));
    state.applyReading({ScreenshotReading::Outcome::Read, text, codes});
    return state;
}

ClipboardEntry saved(const QString &id, const QString &text, bool pinned = false)
{
    ClipboardEntry entry;
    entry.id = id;
    entry.text = text;
    entry.isPinned = pinned;
    return entry;
}

TEST(ScreenshotTextState, EachResultKeepsItsOwnIdAndEdits)
{
    ScreenshotTextState state = readState(QStringLiteral("line"), {QStringLiteral("one"), QStringLiteral("two")});
    EXPECT_EQ(state.resultID(), QStringLiteral("base"));
    state.setText(QStringLiteral("line edited"));
    state.setShowsQR(true);
    state.setSelectedQR(1);
    EXPECT_EQ(state.resultID(), QStringLiteral("base-qr-1"));
    state.setText(QStringLiteral("two edited"));
    state.setSelectedQR(0);
    EXPECT_EQ(state.text(), QStringLiteral("one"));
    state.setSelectedQR(1);
    EXPECT_EQ(state.text(), QStringLiteral("two edited"));
    EXPECT_EQ(state.qrCodes(), (QStringList{QStringLiteral("one"), QStringLiteral("two")}));
    state.setShowsQR(false);
    EXPECT_EQ(state.text(), QStringLiteral("line edited"));
    EXPECT_EQ(state.selectedQR(), 1) << "switching the mode keeps the chosen code";
}

TEST(ScreenshotTextState, SaveMenuFollowsTheSavedEntry)
{
    using D = OCRTextDestination;
    const struct {
        const char *what;
        QList<ClipboardEntry> entries;
        QStringList stack;
        QList<Item> items;
    } cases[] = {
        {"nothing saved", {}, {},
         {{D::History, QStringLiteral("Do histórie"), true}, {D::PasteStack, QStringLiteral("Do Stacku"), true},
          {D::Pins, QStringLiteral("Pripnúť"), true}}},
        {"saved to the history", {saved(QStringLiteral("base"), QStringLiteral("t"))}, {},
         {{D::History, QStringLiteral("Uložené"), false}, {D::PasteStack, QStringLiteral("Do Stacku"), true},
          {D::Pins, QStringLiteral("Pripnúť"), true}}},
        {"saved to the stack", {saved(QStringLiteral("base"), QStringLiteral("t"))}, {QStringLiteral("base")},
         {{D::History, QStringLiteral("Uložené"), false}, {D::PasteStack, QStringLiteral("V Stacku"), false},
          {D::Pins, QStringLiteral("Pripnúť"), true}}},
        {"pinned", {saved(QStringLiteral("base"), QStringLiteral("t"), true)}, {},
         {{D::History, QStringLiteral("Uložené"), false}, {D::PasteStack, QStringLiteral("Do Stacku"), true},
          {D::Pins, QStringLiteral("Pripnuté"), false}}},
        {"edited since it was stacked and pinned", {saved(QStringLiteral("base"), QStringLiteral("t "), true)},
         {QStringLiteral("base")},
         {{D::History, QStringLiteral("Do histórie"), true}, {D::PasteStack, QStringLiteral("V Stacku"), true},
          {D::Pins, QStringLiteral("Pripnuté"), true}}},
        {"another result's entry", {saved(QStringLiteral("base-qr-0"), QStringLiteral("t"))}, {QStringLiteral("base-qr-0")},
         {{D::History, QStringLiteral("Do histórie"), true}, {D::PasteStack, QStringLiteral("Do Stacku"), true},
          {D::Pins, QStringLiteral("Pripnúť"), true}}},
    };
    for (const auto &c : cases) {
        const ScreenshotTextState state = readState(QStringLiteral("t"), {QStringLiteral("q")});
        EXPECT_EQ(state.saveItems(c.entries, c.stack), c.items) << c.what;
    }
}

TEST(ScreenshotTextState, FeedbackLastsUntilTheShownTextOrModeChanges)
{
    ScreenshotTextState state = readState(QStringLiteral("t"), {QStringLiteral("a"), QStringLiteral("b")});
    const struct {
        const char *what;
        std::function<void()> change;
        bool clears;
    } cases[] = {
        {"typing", [&] { state.setText(QStringLiteral("t2")); }, true},
        {"setting the same text", [&] { state.setText(state.text()); }, false},
        {"switching the mode", [&] { state.setShowsQR(true); }, true},
        {"picking another code", [&] { state.setSelectedQR(1); }, true},
        {"picking the code shown", [&] { state.setSelectedQR(1); }, false},
    };
    for (const auto &c : cases) {
        state.saveAnswered(OCRTextDestination::PasteStack, true);
        EXPECT_EQ(state.feedback(), QStringLiteral("Pridané do Stacku"));
        c.change();
        EXPECT_EQ(state.feedback().isEmpty(), c.clears) << c.what;
    }
    state.copied();
    EXPECT_EQ(state.feedback(), QStringLiteral("Skopírované"));
    EXPECT_FALSE(state.feedbackIsFailure());
    state.saveAnswered(OCRTextDestination::History, false);
    EXPECT_EQ(state.feedback(), QStringLiteral("Text sa nepodarilo uložiť."));
    EXPECT_TRUE(state.feedbackIsFailure());
}

} // namespace
