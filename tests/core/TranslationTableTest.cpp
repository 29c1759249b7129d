// The English table is data the code relies on by exact key: a typo in a key or a lost
// placeholder shows up only at run time, in English, so these tests read the files directly.

#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
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

} // namespace
