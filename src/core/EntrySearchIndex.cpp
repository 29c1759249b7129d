#include "core/EntrySearchIndex.h"

#include "core/ClipboardKind.h"
#include "core/TextFolding.h"

#include <QSet>

#include <algorithm>

namespace {

// Beyond this many stale folds the cache drops those of entries no longer listed.
constexpr qsizetype kStaleFoldAllowance = 256;

bool usesTextPreview(const ClipboardEntry &entry)
{
    return entry.kind != ClipboardKind::Image && entry.kind != ClipboardKind::File;
}

// Folding works character by character (decomposition, dropping the marks, case folding), so
// a text can be folded one character at a time. Copied texts are mostly ASCII, whose folding
// is plain lower case; the few other characters are folded once and remembered. Folding whole
// texts through normalisation costs tens of nanoseconds per character, which a first search
// over megabytes of history would feel.
QString fastFolded(const QString &text)
{
    thread_local QHash<char32_t, QString> foldedCharacters;
    const QChar *data = text.constData();
    const qsizetype size = text.size();
    QString out(size, Qt::Uninitialized);
    char16_t *write = reinterpret_cast<char16_t *>(out.data());
    qsizetype written = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = data[i].unicode();
        if (unit < 0x80) {
            write[written++] = unit >= u'A' && unit <= u'Z' ? char16_t(unit + 32) : unit;
            continue;
        }
        char32_t code = unit;
        qsizetype width = 1;
        if (QChar::isHighSurrogate(unit) && i + 1 < size && data[i + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(unit, data[i + 1].unicode());
            width = 2;
        }
        auto it = foldedCharacters.constFind(code);
        if (it == foldedCharacters.cend())
            it = foldedCharacters.insert(code, TextFolding::folded(QString(data + i, width)));
        const QString &folded = *it;
        // A folded character may be longer than the original (a ligature): make room.
        const qsizetype needed = written + folded.size() + (size - i - width);
        if (needed > out.size()) {
            out.resize(needed);
            write = reinterpret_cast<char16_t *>(out.data());
        }
        for (const QChar c : folded)
            write[written++] = c.unicode();
        i += width - 1;
    }
    out.truncate(written);
    return out;
}

bool containsFolded(const QString &field, const QString &foldedNeedle)
{
    return !field.isEmpty() && fastFolded(field).contains(foldedNeedle);
}

} // namespace

QString EntrySearchIndex::foldedNeedle(const QString &searchText)
{
    return fastFolded(searchText);
}

const EntrySearchIndex::Folds &EntrySearchIndex::foldsFor(const ClipboardEntry &entry)
{
    auto it = m_folds.find(entry.id);
    // Texts are shared between copies of an entry, so an unchanged text is usually the very
    // same buffer and the full comparison is skipped.
    if (it != m_folds.end()
        && (it->text.constData() == entry.text.constData() || it->text == entry.text))
        return *it;
    Folds folds;
    folds.text = entry.text;
    folds.foldedText = fastFolded(entry.text);
    if (usesTextPreview(entry) && folds.foldedText.contains(u'\n')) {
        // The preview line is the text with line feeds turned into spaces; folding leaves line
        // feeds alone, so the same replacement on the folded text gives the folded preview.
        folds.foldedPreview = folds.foldedText;
        folds.foldedPreview.replace(u'\n', u' ');
    }
    return *m_folds.insert(entry.id, std::move(folds));
}

bool EntrySearchIndex::matches(const ClipboardEntry &entry, const QString &foldedNeedle)
{
    if (foldedNeedle.isEmpty())
        return true;
    const Folds &folds = foldsFor(entry);
    if (folds.foldedText.contains(foldedNeedle))
        return true;
    if (usesTextPreview(entry)) {
        if (!folds.foldedPreview.isEmpty() && folds.foldedPreview.contains(foldedNeedle))
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
        if (listed.contains(it.key()))
            ++it;
        else
            it = m_folds.erase(it);
    }
}

bool EntrySearchIndex::matches(const ClipboardSnippet &snippet, const QString &foldedNeedle)
{
    if (foldedNeedle.isEmpty())
        return true;
    const QString joined = snippet.name + u' ' + snippet.trigger + u' ' + snippet.text;
    return fastFolded(joined).contains(foldedNeedle);
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
    std::stable_sort(entries.begin(), entries.end(), [&context](const ClipboardEntry &a, const ClipboardEntry &b) {
        const bool aInContext = a.sourceApp == context;
        const bool bInContext = b.sourceApp == context;
        if (aInContext != bInContext)
            return aInContext;
        return a.copiedAt > b.copiedAt;
    });
    return entries;
}

} // namespace QuickAccessRanking
