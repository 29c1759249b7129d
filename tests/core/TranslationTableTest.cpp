// The English table is data the code relies on by exact key: a typo in a key or a lost
// placeholder shows up only at run time, in English, so these tests read the files directly.

#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kTablePath = QStringLiteral(TARNEL_SOURCE_DIR "/resources/en.json");
const QString kSourceDir = QStringLiteral(TARNEL_SOURCE_DIR "/src");

// The format placeholders a translation must keep, sorted so that order does not matter.
QStringList placeholders(const QString &text)
{
    static const QRegularExpression placeholder(QStringLiteral("%(?:lld|d|@)"));
    QStringList found;
    for (auto it = placeholder.globalMatch(text); it.hasNext();)
        found.append(it.next().captured());
    std::sort(found.begin(), found.end());
    return found;
}

// Undoes the escapes a C++ string literal may hold.
QString unescapeLiteral(const QString &literal)
{
    QString text;
    for (qsizetype i = 0; i < literal.size(); ++i) {
        const QChar c = literal.at(i);
        if (c != u'\\' || i + 1 == literal.size()) {
            text.append(c);
            continue;
        }
        const QChar next = literal.at(++i);
        if (next == u'n') {
            text.append(u'\n');
        } else if (next == u't') {
            text.append(u'\t');
        } else if ((next == u'u' || next == u'U') && i + (next == u'u' ? 4 : 8) < literal.size()) {
            const int width = next == u'u' ? 4 : 8;
            const char32_t code = literal.mid(i + 1, width).toUInt(nullptr, 16);
            text.append(QString::fromUcs4(&code, 1));
            i += width;
        } else {
            text.append(next);
        }
    }
    return text;
}

// Base texts handed to L10n::text as literals: "...", QStringLiteral("...") or u"..."_s. Adjacent
// literals ("..." "...", a long text split over lines) are one text, as the compiler joins them.
QStringList literalBaseTexts(const QString &source)
{
    static const QRegularExpression call(QStringLiteral(
        R"re(L10n::text\(\s*(?:QStringLiteral\(\s*((?:"(?:[^"\\]|\\.)*"\s*)+)\)|u"((?:[^"\\]|\\.)*)"_s\b|((?:"(?:[^"\\]|\\.)*"\s*)+)))re"));
    static const QRegularExpression piece(QStringLiteral(R"re("((?:[^"\\]|\\.)*)")re"));
    QStringList texts;
    for (auto it = call.globalMatch(source); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        if (match.capturedStart(2) >= 0) {
            texts.append(unescapeLiteral(match.captured(2)));
            continue;
        }
        const QString literals = match.captured(match.capturedStart(1) >= 0 ? 1 : 3);
        QString joined;
        for (auto pieces = piece.globalMatch(literals); pieces.hasNext();)
            joined += pieces.next().captured(1);
        texts.append(unescapeLiteral(joined));
    }
    return texts;
}

// Every string literal of a C++ source, adjacent literals joined as the compiler joins them.
// Comments and character literals are skipped, so a quote inside them starts no text.
QStringList stringLiterals(const QString &source)
{
    QStringList texts;
    QString pending;
    bool joining = false;
    const auto flush = [&] {
        if (joining)
            texts.append(unescapeLiteral(pending));
        pending.clear();
        joining = false;
    };
    const qsizetype n = source.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = source.at(i);
        if (c == u'/' && i + 1 < n && source.at(i + 1) == u'/') {
            while (i < n && source.at(i) != u'\n')
                ++i;
        } else if (c == u'/' && i + 1 < n && source.at(i + 1) == u'*') {
            const qsizetype end = source.indexOf(u"*/"_s, i + 2);
            i = end < 0 ? n : end + 2;
        } else if (c == u'\'' && i > 0 && source.at(i - 1).isDigit()) {
            ++i; // a digit separator (15'000'000)
        } else if (c == u'\'') {
            flush();
            for (++i; i < n && source.at(i) != u'\''; ++i) {
                if (source.at(i) == u'\\')
                    ++i;
            }
            ++i;
        } else if (c == u'R' && i + 1 < n && source.at(i + 1) == u'"') {
            const qsizetype open = source.indexOf(u'(', i + 2);
            const QString close = u')' + source.mid(i + 2, open - i - 2) + u'"';
            const qsizetype end = source.indexOf(close, open);
            i = end < 0 ? n : end + close.size();
        } else if (c == u'"') {
            qsizetype j = i + 1;
            while (j < n && source.at(j) != u'"')
                j += source.at(j) == u'\\' ? 2 : 1;
            pending += source.mid(i + 1, j - i - 1);
            joining = true;
            i = j + 1;
        } else if (c.isSpace()) {
            ++i;
        } else if ((c == u'u' || c == u'U' || c == u'L' || c == u'8') && i + 1 < n
                   && (source.at(i + 1) == u'"' || source.at(i + 1) == u'8')
                   && (i == 0 || !source.at(i - 1).isLetterOrNumber() || c == u'8')) {
            ++i; // an encoding prefix belongs to the literal that follows
        } else {
            flush();
            ++i;
        }
    }
    flush();
    return texts;
}

QJsonObject readTable()
{
    QFile file(kTablePath);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << kTablePath.toStdString();
        return {};
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    EXPECT_TRUE(document.isObject()) << "the table must be one JSON object";
    return document.object();
}

TEST(TranslationTable, IsAnObjectOfNonEmptyTextsThatKeepTheirPlaceholders)
{
    const QJsonObject table = readTable();
    ASSERT_FALSE(table.isEmpty());
    for (auto it = table.begin(); it != table.end(); ++it) {
        const std::string key = it.key().toStdString();
        EXPECT_FALSE(it.key().trimmed().isEmpty()) << "empty key";
        ASSERT_TRUE(it.value().isString()) << key;
        const QString english = it.value().toString();
        EXPECT_FALSE(english.trimmed().isEmpty()) << key;
        EXPECT_EQ(placeholders(english), placeholders(it.key())) << key;
    }
}

TEST(TranslationTable, EveryLiteralBaseTextInTheSourcesHasATranslation)
{
    const QJsonObject table = readTable();
    QStringList missing;
    int files = 0;
    QDirIterator it(kSourceDir, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        ++files;
        for (const QString &base : literalBaseTexts(QString::fromUtf8(file.readAll()))) {
            if (!table.contains(base))
                missing.append(QStringLiteral("%1: \"%2\"").arg(path.mid(kSourceDir.size() + 1), base));
        }
    }
    EXPECT_GT(files, 0) << "no sources found under " << kSourceDir.toStdString();
    EXPECT_TRUE(missing.isEmpty()) << "base texts without an English translation:\n"
                                   << missing.join(u'\n').toStdString();
}

TEST(TranslationTable, EveryTranslationIsForATextTheSourcesHold)
{
    // A translation whose Slovak text no source holds any more is left over from a removed view:
    // it is shipped, reviewed and translated for nothing. Texts chosen at run time from a table
    // (titles, notices) are literals too, so every key must appear as one somewhere.
    const QJsonObject table = readTable();
    QSet<QString> literals;
    QDirIterator it(kSourceDir, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
        for (const QString &text : stringLiterals(QString::fromUtf8(file.readAll())))
            literals.insert(text);
    }
    ASSERT_TRUE(literals.contains(u"Kopírovať"_s)) << "the source reader found no known text";
    QStringList unused;
    for (auto entry = table.begin(); entry != table.end(); ++entry) {
        if (!literals.contains(entry.key()))
            unused.append(entry.key());
    }
    EXPECT_TRUE(unused.isEmpty()) << "translations of texts no source holds:\n" << unused.join(u'\n').toStdString();
}

TEST(TranslationTable, SourceReaderJoinsLiteralsAndSkipsCommentsAndCharacters)
{
    const QString source = uR"src(
        // "Komentár" is no text
        const char quote = '"'; /* "ani toto" */ int big = 15'000;
        auto a = L10n::text(u"Prvý"_s);
        auto b = QStringLiteral("Druhý "
                                "riadok\n");
        auto c = R"x(surový "text")x";
        auto d = u8"Tretí";
    )src"_s;
    EXPECT_EQ(stringLiterals(source), (QStringList{u"Prvý"_s, u"Druhý riadok\n"_s, u"Tretí"_s}));
}

} // namespace
