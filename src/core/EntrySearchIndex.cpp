#include "core/EntrySearchIndex.h"

#include "core/ClipboardKind.h"
#include "core/L10n.h"

#include <QSet>

#include <algorithm>

namespace {

// Beyond this many stale folds the cache drops those of entries no longer listed.
constexpr qsizetype kStaleFoldAllowance = 256;

bool usesTextPreview(const ClipboardEntry &entry)
{
    return entry.kind != ClipboardKind::Image && entry.kind != ClipboardKind::File;
}

bool isMark(char32_t code)
{
    const QChar::Category category = QChar::category(code);
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining
        || category == QChar::Mark_Enclosing;
}

// Conjoining Hangul letters that composition joins into syllables.
bool isConjoiningJamo(char32_t code)
{
    return (code >= 0x1100 && code <= 0x11FF) || (code >= 0xA960 && code <= 0xA97F)
        || (code >= 0xD7B0 && code <= 0xD7FF);
}

// Letter case only: accents and other marks count, so "kon" does not find "kôň". Texts are
// compared in composed form, so a letter typed composed finds the same letter stored as a
// base letter plus a combining mark.
QString caseFoldedWhole(const QString &text)
{
    return text.toCaseFolded().normalized(QString::NormalizationForm_C);
}

// Folding a whole text through normalisation costs tens of nanoseconds per character, which a
// first search over megabytes of history would feel. Copied texts are mostly ASCII, whose fold
// is plain lower case, and the few other characters fold the same on their own as in their
// text, unless a combining mark or a conjoining Hangul letter joins them to their neighbour:
// those rare texts are folded whole.
QString fastFolded(const QString &text)
{
    thread_local QHash<char32_t, QString> foldedCharacters;
    const QChar *data = text.constData();
    const qsizetype size = text.size();
    QString out(size, Qt::Uninitialized);
    char16_t *write = reinterpret_cast<char16_t *>(out.data());
    qsizetype written = 0;
    bool changed = false;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = data[i].unicode();
        if (unit < 0x80) {
            const bool upper = unit >= u'A' && unit <= u'Z';
            changed = changed || upper;
            write[written++] = upper ? char16_t(unit + 32) : unit;
            continue;
        }
        char32_t code = unit;
        qsizetype width = 1;
        if (QChar::isHighSurrogate(unit) && i + 1 < size && data[i + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(unit, data[i + 1].unicode());
            width = 2;
        }
        if (isMark(code) || isConjoiningJamo(code))
            return caseFoldedWhole(text);
        auto it = foldedCharacters.constFind(code);
        if (it == foldedCharacters.cend())
            it = foldedCharacters.insert(code, caseFoldedWhole(QString(data + i, width)));
        const QString &folded = *it;
        changed = changed || QStringView(folded) != QStringView(data + i, width);
        // A folded character may be longer than the original (sharp s): make room.
        const qsizetype needed = written + folded.size() + (size - i - width);
        if (needed > out.size()) {
            out.resize(needed);
            write = reinterpret_cast<char16_t *>(out.data());
        }
        for (const QChar c : folded)
            write[written++] = c.unicode();
        i += width - 1;
    }
    // A text that folds to itself (lower case already) shares its characters with its fold.
    if (!changed)
        return text;
    out.truncate(written);
    return out;
}

// Containment by whole characters: a match that stops before a combining mark would find a
// base letter inside an accented one.
bool containsWhole(const QString &folded, const QString &foldedNeedle)
{
    for (qsizetype from = 0;;) {
        const qsizetype at = folded.indexOf(foldedNeedle, from);
        if (at < 0)
            return false;
        const qsizetype end = at + foldedNeedle.size();
        if (end >= folded.size())
            return true;
        char32_t next = folded.at(end).unicode();
        if (QChar::isHighSurrogate(next) && end + 1 < folded.size())
            next = QChar::surrogateToUcs4(folded.at(end), folded.at(end + 1));
        if (!isMark(next))
            return true;
        from = at + 1;
    }
}

// A text may be cut before index `at` without changing how either side folds: the character
// there starts a new letter (no combining mark, conjoining Hangul letter or second half of a
// surrogate pair, which fold together with what comes before them).
bool startsLetter(const QString &text, qsizetype at)
{
    if (at <= 0 || at >= text.size())
        return true;
    const QChar c = text.at(at);
    if (c.unicode() < 0x80)
        return true;
    if (c.isLowSurrogate())
        return false;
    char32_t code = c.unicode();
    if (c.isHighSurrogate() && at + 1 < text.size() && text.at(at + 1).isLowSurrogate())
        code = QChar::surrogateToUcs4(c, text.at(at + 1));
    return !isMark(code) && !isConjoiningJamo(code);
}

qsizetype nextLetterStart(const QString &text, qsizetype at)
{
    while (!startsLetter(text, at))
        ++at;
    return std::min(at, text.size());
}

// Characters folded at a time when a long text is searched.
constexpr qsizetype kFoldWindow = qsizetype(1) << 16;

// Whether the folded text (or, with asPreview, its line feeds read as spaces) contains the
// needle, folding one window at a time so that no fold of the whole text is ever held. The
// windows are cut where a letter starts, so each folds as it does inside the whole text, and
// overlap by more than a match can span (a character folds to at least one code unit for each
// two of its own), so a match across a cut lies whole in one window.
bool containsFoldedPieces(const QString &text, const QString &foldedNeedle, bool asPreview)
{
    const qsizetype reach = 2 * foldedNeedle.size() + 2;
    const bool previewDiffers = asPreview && foldedNeedle.contains(u' ');
    for (qsizetype start = 0; start < text.size();) {
        const qsizetype next = nextLetterStart(text, std::min(text.size(), start + kFoldWindow));
        const qsizetype end = nextLetterStart(text, std::min(text.size(), next + reach));
        QString folded = fastFolded(QStringView(text).sliced(start, end - start).toString());
        if (containsWhole(folded, foldedNeedle))
            return true;
        if (previewDiffers && folded.contains(u'\n')) {
            folded.replace(u'\n', u' ');
            if (containsWhole(folded, foldedNeedle))
                return true;
        }
        start = next;
    }
    return false;
}

bool containsFolded(const QString &field, const QString &foldedNeedle)
{
    return !field.isEmpty() && containsWhole(fastFolded(field), foldedNeedle);
}

} // namespace

QString EntrySearchIndex::foldedNeedle(const QString &searchText)
{
    return fastFolded(searchText);
}

EntrySearchIndex::Folds EntrySearchIndex::foldsOf(const QString &text, ClipboardKind kind)
{
    Folds folds;
    folds.text = text;
    if (text.size() > kLongestKeptFold) {
        folds.foldsWhenSearched = true;
        return folds;
    }
    folds.foldedText = fastFolded(text);
    if (kind != ClipboardKind::Image && kind != ClipboardKind::File && folds.foldedText.contains(u'\n')) {
        // The preview line is the text with line feeds turned into spaces; folding leaves line
        // feeds alone, so the same replacement on the folded text gives the folded preview.
        folds.foldedPreview = folds.foldedText;
        folds.foldedPreview.replace(u'\n', u' ');
    }
    return folds;
}

void EntrySearchIndex::adopt(const QString &entryID, Folds folds)
{
    keep(entryID, std::move(folds));
}

qsizetype EntrySearchIndex::unitsOf(const Folds &folds)
{
    const qsizetype text = folds.foldedText.constData() == folds.text.constData() ? 0 : folds.foldedText.size();
    return text + folds.foldedPreview.size();
}

const EntrySearchIndex::Folds &EntrySearchIndex::keep(const QString &entryID, Folds folds)
{
    const auto kept = m_folds.constFind(entryID);
    if (kept != m_folds.cend())
        m_keptUnits -= unitsOf(*kept);
    if (unitsOf(folds) > foldRoom()) {
        folds.foldedText.clear();
        folds.foldedPreview.clear();
        folds.foldsWhenSearched = true;
    }
    m_keptUnits += unitsOf(folds);
    return *m_folds.insert(entryID, std::move(folds));
}

bool EntrySearchIndex::hasFoldsFor(const ClipboardEntry &entry) const
{
    const auto it = m_folds.constFind(entry.id);
    // Texts are shared between copies of an entry, so an unchanged text is usually the very
    // same buffer and the full comparison is skipped.
    return it != m_folds.cend() && (it->text.constData() == entry.text.constData() || it->text == entry.text);
}

const EntrySearchIndex::Folds &EntrySearchIndex::foldsFor(const ClipboardEntry &entry)
{
    if (hasFoldsFor(entry))
        return *m_folds.find(entry.id);
    // Beyond the room left the text is not folded whole at all: the fold alone would take as
    // much memory again, however briefly.
    if (entry.text.size() > foldRoom()) {
        Folds folds;
        folds.text = entry.text;
        folds.foldsWhenSearched = true;
        return keep(entry.id, std::move(folds));
    }
    return keep(entry.id, foldsOf(entry.text, entry.kind));
}

bool EntrySearchIndex::matches(const ClipboardEntry &entry, const QString &foldedNeedle)
{
    if (foldedNeedle.isEmpty())
        return true;
    const Folds &folds = foldsFor(entry);
    if (folds.foldsWhenSearched) {
        if (containsFoldedPieces(folds.text, foldedNeedle, usesTextPreview(entry)))
            return true;
    } else if (containsWhole(folds.foldedText, foldedNeedle)) {
        return true;
    }
    if (usesTextPreview(entry)) {
        if (!folds.foldedPreview.isEmpty() && containsWhole(folds.foldedPreview, foldedNeedle))
            return true;
    } else if (containsFolded(entry.preview(), foldedNeedle)) {
        return true;
    }
    return containsFolded(entry.sourceApp, foldedNeedle) || containsFolded(entry.sourceAppLabel(), foldedNeedle)
        || containsFolded(label(entry.kind), foldedNeedle);
}

QList<ClipboardEntry> EntrySearchIndex::filtered(const QList<ClipboardEntry> &entries, const QString &searchText)
{
    if (searchText.isEmpty())
        return entries;
    const QString needle = foldedNeedle(searchText);
    // The labels of kinds and sources are in the saved language, which would otherwise be read
    // from the settings for every entry that gets as far as its labels.
    const L10n::SteadyLanguage language;
    QList<ClipboardEntry> result;
    for (const ClipboardEntry &entry : entries) {
        if (matches(entry, needle))
            result.append(entry);
    }
    dropUnlisted(entries);
    return result;
}

void EntrySearchIndex::dropUnlisted(const QList<ClipboardEntry> &entries)
{
    if (m_folds.size() <= entries.size() + kStaleFoldAllowance)
        return;
    QSet<QString> listed;
    listed.reserve(entries.size());
    for (const ClipboardEntry &entry : entries)
        listed.insert(entry.id);
    for (auto it = m_folds.begin(); it != m_folds.end();) {
        if (listed.contains(it.key())) {
            ++it;
        } else {
            m_keptUnits -= unitsOf(*it);
            it = m_folds.erase(it);
        }
    }
}

bool EntrySearchIndex::matches(const ClipboardSnippet &snippet, const QString &foldedNeedle)
{
    if (foldedNeedle.isEmpty())
        return true;
    const QString joined = snippet.name + u' ' + snippet.trigger + u' ' + snippet.text;
    return containsWhole(fastFolded(joined), foldedNeedle);
}

QList<ClipboardSnippet> EntrySearchIndex::filtered(const QList<ClipboardSnippet> &snippets,
                                                   const QString &searchText)
{
    if (searchText.isEmpty())
        return snippets;
    const QString needle = foldedNeedle(searchText);
    QList<ClipboardSnippet> result;
    for (const ClipboardSnippet &snippet : snippets) {
        if (matches(snippet, needle))
            result.append(snippet);
    }
    return result;
}

namespace QuickAccessRanking {

QList<ClipboardEntry> rankedForContext(QList<ClipboardEntry> entries, const QString &context)
{
    // The history is newest first by when the copies were taken in, so its order stays the
    // order on each side: a copy's time says nothing once the clock was set back.
    std::stable_partition(entries.begin(), entries.end(),
                          [&context](const ClipboardEntry &entry) { return entry.sourceApp == context; });
    return entries;
}

} // namespace QuickAccessRanking
