#pragma once

#include "core/ClipboardEntry.h"
#include "core/ClipboardSnippet.h"

#include <QHash>
#include <QList>
#include <QString>

#include <algorithm>

// Search of entries and snippets as Quick Access offers it: a search text matches when it is
// contained in a field regardless of letter case ("CAFÉ" finds "café"); accents count, so
// "cafe" does not find "Café".
//
// Folding a long text costs far more than searching it, and every keystroke searches the same
// texts again, so the folded text of each entry is kept until the entry's text changes. A very
// long text is the exception: its folds would take twice its own memory for as long as it is
// kept, so it is folded piece by piece while it is searched, and nothing of it is kept.
class EntrySearchIndex {
public:
    // Texts longer than this (in UTF-16 code units) are folded as they are searched.
    static constexpr qsizetype kLongestKeptFold = qsizetype(1) << 20;
    // The folds kept for all entries together, in UTF-16 code units: a history of many long texts
    // would otherwise be held two or three times over. Texts beyond it are folded as they are
    // searched, as a very long one is.
    static constexpr qsizetype kKeptFoldBudget = qsizetype(32) << 20;

    explicit EntrySearchIndex(qsizetype keptFoldBudget = kKeptFoldBudget)
        : m_keptFoldBudget(keptFoldBudget)
    {
    }

    // What the search compares an entry's text in.
    struct Folds {
        QString text;          // the text these folds were made from
        QString foldedText;    // empty when the text is folded as it is searched
        QString foldedPreview; // empty when the preview folds to the same as the text
        bool foldsWhenSearched = false;

        bool operator==(const Folds &) const = default;
    };

    // The folds of a text of the given kind. Pure and safe on any thread, so an entry's folds
    // can be made as it is accepted, before anyone searches.
    static Folds foldsOf(const QString &text, ClipboardKind kind);
    // Keeps folds made elsewhere for the entry; a later search makes new ones if the entry's
    // text is no longer the one they were made from.
    void adopt(const QString &entryID, Folds folds);
    // Whether folds of the entry's present text are kept.
    bool hasFoldsFor(const ClipboardEntry &entry) const;

    // The search text in the form the fields are compared in.
    static QString foldedNeedle(const QString &searchText);

    // An entry matches when its text, its preview line, its source application, the label of
    // its source or the label of its kind contains the search text. An empty search text
    // matches everything.
    bool matches(const ClipboardEntry &entry, const QString &foldedNeedle);
    // The entries that match, in their order.
    QList<ClipboardEntry> filtered(const QList<ClipboardEntry> &entries, const QString &searchText);

    // A snippet matches on its name, trigger and text joined by single spaces.
    static bool matches(const ClipboardSnippet &snippet, const QString &foldedNeedle);
    static QList<ClipboardSnippet> filtered(const QList<ClipboardSnippet> &snippets, const QString &searchText);

    // How many entries have their folded text kept (for tests of the cache's bound).
    qsizetype cachedCount() const { return m_folds.size(); }
    // The code units the kept folds take beyond the texts themselves, and the room left for more.
    qsizetype keptFoldUnits() const { return m_keptUnits; }
    qsizetype foldRoom() const { return std::max<qsizetype>(0, m_keptFoldBudget - m_keptUnits); }

private:
    static qsizetype unitsOf(const Folds &folds);
    const Folds &foldsFor(const ClipboardEntry &entry);
    // Keeps the folds, or only the text to fold when searched where they would not fit.
    const Folds &keep(const QString &entryID, Folds folds);
    void dropUnlisted(const QList<ClipboardEntry> &entries);

    qsizetype m_keptFoldBudget;
    qsizetype m_keptUnits = 0;
    QHash<QString, Folds> m_folds;
};

namespace QuickAccessRanking {

// The Clipboard tab's order: copies made in the application that was in front when Quick
// Access opened come first; on each side of that test the entries keep their order, which in
// the history is newest copy first whatever the clock said when each copy was made.
QList<ClipboardEntry> rankedForContext(QList<ClipboardEntry> entries, const QString &context);

} // namespace QuickAccessRanking
