#include "core/EntrySearchIndex.h"

#include "support/ScopedLanguage.h"

#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

ClipboardEntry entry(const QString &id, const QString &text, ClipboardKind kind = ClipboardKind::Text,
                     const QString &sourceApp = QString())
{
    ClipboardEntry e;
    e.id = id;
    e.text = text;
    e.kind = kind;
    e.sourceApp = sourceApp;
    e.copiedAt = QDateTime(QDate(2026, 1, 1), QTime(8, 0), QTimeZone::utc());
    return e;
}

QStringList ids(const QList<ClipboardEntry> &entries)
{
    QStringList out;
    for (const ClipboardEntry &e : entries)
        out.append(e.id);
    return out;
}

} // namespace

TEST(EntrySearchIndex, MatchesEachOfTheFiveFieldsWithoutCaseButWithAccents)
{
    ScopedLanguage slovak(QStringLiteral("sk"));
    ClipboardEntry image = entry(QStringLiteral("img"), QString(), ClipboardKind::Image, QStringLiteral("Gimp"));
    ClipboardEntry file = entry(QStringLiteral("file"), QString(), ClipboardKind::File);
    file.fileURLs = {QStringLiteral("/home/user/Správa.pdf")};
    const ClipboardEntry unnamed = entry(QStringLiteral("plain"), QStringLiteral("abc"));
    const ClipboardEntry lines = entry(QStringLiteral("lines"), QStringLiteral("first\nsecond"));
    const ClipboardEntry cafe = entry(QStringLiteral("cafe"), QStringLiteral("Café"));
    const ClipboardEntry cafeDecomposed = entry(QStringLiteral("cafe2"), QStringLiteral("Cafe\u0301 au lait"));
    const ClipboardEntry capitals = entry(QStringLiteral("sk"), QStringLiteral("ŽLTÝ KÔŇ"));
    const ClipboardEntry korean = entry(QStringLiteral("ko"), QStringLiteral("한국"));
    const ClipboardEntry koreanJamo = entry(QStringLiteral("ko2"), QStringLiteral("\u1112\u1161\u11AB"));
    const ClipboardEntry thorn = entry(QStringLiteral("thorn"), QStringLiteral("þorn"));
    const ClipboardEntry link = entry(QStringLiteral("url"), QStringLiteral("https://x.sk"), ClipboardKind::Url,
                                      QStringLiteral("Firefox"));

    struct Case {
        const char *search;
        ClipboardEntry candidate;
        bool matches;
    };
    const Case cases[] = {
        {"ABC", unnamed, true},             // text, case folded
        {"first second", lines, true},      // preview: line feeds read as spaces
        {"správa", file, true},             // preview of a file: its name
        {"gimp", image, true},              // source application
        {"schránka", unnamed, true},        // source label of an entry without a source
        {"OBRÁZOK", image, true},           // kind label and image preview
        {"", unnamed, true},                // an empty search lists everything
        {"cafe", cafe, false},              // a plain letter does not find an accented one
        {"CAFÉ", cafeDecomposed, true},     // composed search against a decomposed text
        {"cafe", cafeDecomposed, false},    // nor inside a letter with a combining accent
        {"cafe\u0301", cafe, true},         // decomposed search against a composed text
        {"žltý kôň", capitals, true},       // capital letters with accents
        {"하", korean, false},              // part of a syllable is not the syllable
        {"한", koreanJamo, true},           // the syllable spelled in conjoining letters
        {"ÞORN", thorn, true},              // a letter without a decomposition folds by case only
    };
    EntrySearchIndex index;
    for (const Case &c : cases) {
        const QString needle = EntrySearchIndex::foldedNeedle(QString::fromUtf8(c.search));
        EXPECT_EQ(index.matches(c.candidate, needle), c.matches) << c.search << " in " << c.candidate.id.toStdString();
    }
}

// The labels an entry is searched by are in the saved language, which the program reads from
// its settings file: read for every entry, a search over a long history asked the disk thousands
// of times a keystroke. One read a search, and the next search follows a change of language.
TEST(EntrySearchIndex, ASearchReadsTheSavedLanguageOnceAndTheNextFollowsItsChange)
{
    QString stored = QStringLiteral("sk");
    int reads = 0;
    L10n::setLanguageReader([&] {
        ++reads;
        return std::optional<QString>(stored);
    });
    L10n::setTranslationsForTesting(QHash<QString, QString>{{QStringLiteral("Odkaz"), QStringLiteral("Link")},
                                                            {QStringLiteral("Schránka"), QStringLiteral("Clipboard")}});
    QList<ClipboardEntry> history;
    for (int i = 0; i < 300; ++i) {
        const ClipboardKind kinds[] = {ClipboardKind::Url, ClipboardKind::Image, ClipboardKind::Text};
        const ClipboardKind kind = kinds[i % 3];
        history.append(entry(QStringLiteral("e%1").arg(i), QStringLiteral("copied %1").arg(i), kind,
                             i % 2 ? QStringLiteral("Editor") : QString()));
    }

    struct Pass {
        const char *name;
        QString language;
        QString search;
        qsizetype found;
    };
    const Pass passes[] = {
        {"kind label in Slovak", QStringLiteral("sk"), QStringLiteral("odkaz"), 100},
        {"the same label after a switch to English", QStringLiteral("en"), QStringLiteral("odkaz"), 0},
        {"kind label in English", QStringLiteral("en"), QStringLiteral("link"), 100},
        {"source label in English", QStringLiteral("en"), QStringLiteral("clipboard"), 150},
        {"back in Slovak", QStringLiteral("sk"), QStringLiteral("schránka"), 150},
        {"nothing found reads no more", QStringLiteral("sk"), QStringLiteral("zebra"), 0},
    };
    EntrySearchIndex index;
    for (const Pass &pass : passes) {
        stored = pass.language;
        reads = 0;
        EXPECT_EQ(index.filtered(history, pass.search).size(), pass.found) << pass.name;
        EXPECT_LE(reads, 1) << pass.name;
    }
    // Nothing of the search's hold stays behind it.
    stored = QStringLiteral("en");
    EXPECT_EQ(L10n::text(QStringLiteral("Odkaz")), QStringLiteral("Link"));
    stored = QStringLiteral("sk");
    EXPECT_EQ(L10n::text(QStringLiteral("Odkaz")), QStringLiteral("Odkaz"));
    L10n::setLanguageReader({});
    L10n::setTranslationsForTesting(std::nullopt);
}

TEST(QuickAccessRanking, FrontApplicationsCopiesFirstThenNewestFirstOnEachSide)
{
    const auto at = [](int hour) { return QDateTime(QDate(2026, 1, 1), QTime(hour, 0), QTimeZone::utc()); };
    QList<ClipboardEntry> list;
    const struct {
        const char *id;
        const char *app;
        int hour;
    } rows[] = {
        // The history's order: newest copy first.
        {"mailNew", "Mail", 12},
        {"editorNew", "Editor", 11},
        {"editorTie1", "Editor", 10},
        {"editorTie2", "Editor", 10},
        {"mailOld", "Mail", 9},
        {"editorOld", "Editor", 8},
    };
    for (const auto &row : rows) {
        ClipboardEntry e = entry(QString::fromLatin1(row.id), QStringLiteral("t"), ClipboardKind::Text,
                                 QString::fromLatin1(row.app));
        e.copiedAt = at(row.hour);
        list.append(e);
    }
    EXPECT_EQ(ids(QuickAccessRanking::rankedForContext(list, QStringLiteral("Editor"))),
              (QStringList{"editorNew", "editorTie1", "editorTie2", "editorOld", "mailNew", "mailOld"}));
    // Without a context nothing is preferred: newest first overall.
    EXPECT_EQ(ids(QuickAccessRanking::rankedForContext(list, QString())),
              (QStringList{"mailNew", "editorNew", "editorTie1", "editorTie2", "mailOld", "editorOld"}));
}

TEST(QuickAccessRanking, TheNewestCopyLeadsItsSideAfterTheClockWentBack)
{
    // Newest first as taken in; the two newest were copied after the clock was set back two hours.
    const struct {
        const char *id;
        const char *app;
        int hour;
    } rows[] = {
        {"editorNewest", "Editor", 10},
        {"mailNewest", "Mail", 10},
        {"editorBefore", "Editor", 12},
        {"mailBefore", "Mail", 11},
    };
    QList<ClipboardEntry> list;
    for (const auto &row : rows) {
        ClipboardEntry e = entry(QString::fromLatin1(row.id), QStringLiteral("t"), ClipboardKind::Text,
                                 QString::fromLatin1(row.app));
        e.copiedAt = QDateTime(QDate(2026, 1, 1), QTime(row.hour, 0), QTimeZone::utc());
        list.append(e);
    }
    EXPECT_EQ(ids(QuickAccessRanking::rankedForContext(list, QStringLiteral("Mail"))),
              (QStringList{"mailNewest", "mailBefore", "editorNewest", "editorBefore"}));
    EXPECT_EQ(ids(QuickAccessRanking::rankedForContext(list, QString())),
              (QStringList{"editorNewest", "mailNewest", "editorBefore", "mailBefore"}));
}

TEST(EntrySearchIndex, AVeryLongTextIsSearchedWholeWithoutKeepingItsFolds)
{
    // Longer than the kept folds, with the probes around every window cut of the search.
    const QString filler = QStringLiteral("Ordinary text, line after line.\n");
    QString text;
    while (text.size() <= EntrySearchIndex::kLongestKeptFold + 200000)
        text += filler;
    const QString probes[] = {
        QStringLiteral("NEEDLE-ABC"),          // plain letters
        QStringLiteral("Straße Zwölf"),        // a letter that folds longer
        QStringLiteral("Cafe\u0301 ok"),       // a decomposed accent
        QStringLiteral("\u1112\u1161\u11AB!"), // conjoining Hangul letters
        QStringLiteral("first\nsecond"),       // two lines, found as the preview reads them
    };
    for (qsizetype cut = qsizetype(1) << 16; cut + 100 < text.size(); cut += qsizetype(1) << 16) {
        for (qsizetype i = 0; i < qsizetype(std::size(probes)); ++i)
            text.replace(cut - 7 + 23 * i, probes[i].size(), probes[i]);
    }
    ClipboardEntry long_ = entry(QStringLiteral("long"), text);
    // The same probes in a text short enough to keep its folds: the results must not differ.
    ClipboardEntry short_ = entry(QStringLiteral("short"), text.first(qsizetype(1) << 17));
    const struct {
        const char *search;
        std::optional<bool> matches; // where the answer does not depend on the letters around
    } cases[] = {
        {"needle-abc", true},
        {"STRASSE ZWÖLF", {}},
        {"straße zwölf", true},
        {"café ok", true},
        {"cafe ok", false},
        {"한!", true},
        {"하", false},
        {"first second", true},
        {"second first", false},
        {"needle-abd", false},
    };
    const EntrySearchIndex::Folds folds = EntrySearchIndex::foldsOf(text, ClipboardKind::Text);
    EXPECT_TRUE(folds.foldedText.isEmpty());
    EXPECT_TRUE(folds.foldedPreview.isEmpty());
    EntrySearchIndex index;
    for (const auto &c : cases) {
        const QString needle = EntrySearchIndex::foldedNeedle(QString::fromUtf8(c.search));
        EXPECT_EQ(index.matches(long_, needle), index.matches(short_, needle)) << c.search;
        if (c.matches) {
            EXPECT_EQ(index.matches(long_, needle), *c.matches) << c.search;
        }
    }
    // Found at the very end too, and as the text's last characters.
    long_.text = text + QStringLiteral("THE END");
    EXPECT_TRUE(index.matches(long_, EntrySearchIndex::foldedNeedle(QStringLiteral("the end"))));
}

// A history of many long texts keeps folds only up to the index's budget: the texts beyond it
// are folded as they are searched, and every search finds what it found before. A text already
// in lower case is its own fold and costs nothing.
TEST(EntrySearchIndex, FoldsOfManyLongTextsStayWithinTheBudgetAndEverySearchFindsTheSame)
{
    constexpr qsizetype kBudget = 4000;
    const struct {
        const char *name;
        QString text;
        // Whether its fold takes memory of its own.
        bool costs;
    } rows[] = {
        {"upper case", QStringLiteral("LOG LINE ALPHA\n").repeated(100), true},
        {"mixed case", QStringLiteral("Log line Beta ").repeated(100), true},
        {"lower case", QStringLiteral("log line gamma ").repeated(100), false},
        {"lines", QStringLiteral("Log\nline Delta ").repeated(100), true},
        {"more upper case", QStringLiteral("LOG LINE EPSILON ").repeated(100), true},
    };
    EntrySearchIndex unbounded;
    EntrySearchIndex bounded(kBudget);
    QList<ClipboardEntry> entries;
    for (const auto &row : rows) {
        entries.append(entry(QString::fromLatin1(row.name), row.text));
        const qsizetype before = unbounded.keptFoldUnits();
        unbounded.adopt(entries.last().id, EntrySearchIndex::foldsOf(row.text, ClipboardKind::Text));
        EXPECT_EQ(unbounded.keptFoldUnits() > before, row.costs) << row.name;
        bounded.adopt(entries.last().id, EntrySearchIndex::foldsOf(row.text, ClipboardKind::Text));
        EXPECT_LE(bounded.keptFoldUnits(), kBudget) << row.name;
    }
    EXPECT_GT(unbounded.keptFoldUnits(), kBudget);
    for (const char *search : {"alpha", "line beta log", "GAMMA", "log line delta", "epsilon log", "zeta"}) {
        EXPECT_EQ(ids(bounded.filtered(entries, QString::fromUtf8(search))),
                  ids(unbounded.filtered(entries, QString::fromUtf8(search))))
            << search;
    }
    // Searched without folds made ahead: still within the budget.
    EntrySearchIndex searchedOnly(kBudget);
    EXPECT_EQ(ids(searchedOnly.filtered(entries, QStringLiteral("line"))).size(), qsizetype(std::size(rows)));
    EXPECT_LE(searchedOnly.keptFoldUnits(), kBudget);
}
