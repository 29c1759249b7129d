#include "core/ClipboardEntry.h"

#include "support/CorePrinters.h"
#include "support/ScopedLanguage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSet>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

QDateTime utc(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int msec = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, msec), QTimeZone::utc());
}

QJsonObject object(const char *json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray(json), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << json;
    return document.object();
}

ClipboardEntry fullEntry()
{
    ClipboardEntry entry;
    entry.id = "0F8FAD5B-D9CB-469F-A165-70867728950E";
    entry.text = QString::fromUtf8("  riadok 1\nriadok 2 ščťž 🙂 ");
    entry.copiedAt = utc(2026, 12, 6, 20, 15, 30, 250);
    entry.sourceApp = "Screenshot";
    entry.kind = ClipboardKind::Image;
    entry.imageData = QByteArray("\x89PNG\r\n\x1a\n\x00\xff", 10);
    entry.fileURLs = {"/home/jan/a.png", "/tmp/b c.txt"};
    entry.screenshotFileURL = "/home/jan/Pictures/Screenshots/shot.png";
    entry.imageFilePath = "/home/jan/.local/share/Tarnel/Clipboard Images/X.image";
    entry.isScreenshot = true;
    entry.isPinned = true;
    entry.temporaryUntil = utc(2026, 12, 6, 20, 20, 30, 250);
    return entry;
}

TEST(ClipboardEntry, NewIdsAreUpperCaseCanonicalUuids)
{
    const QRegularExpression canonical(QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"));
    QSet<QString> seen;
    for (int i = 0; i < 200; ++i) {
        const QString id = ClipboardEntry::newID();
        EXPECT_TRUE(canonical.match(id).hasMatch()) << id.toStdString();
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 200);
    // An empty object gets such an id as well.
    const auto read = ClipboardEntry::fromJson(QJsonObject{});
    ASSERT_TRUE(read);
    EXPECT_TRUE(canonical.match(read->id).hasMatch());
}

TEST(ClipboardEntry, DatesCountSecondsFromTheStartOf2001)
{
    struct Case {
        QDateTime date;
        double seconds;
    };
    const Case cases[] = {
        {utc(2001, 1, 1), 0.0},
        {utc(2001, 1, 1, 0, 0, 1, 500), 1.5},
        {utc(2000, 12, 31, 23, 59, 59), -1.0},
        {utc(1970, 1, 1), -978307200.0},
        {utc(2026, 12, 6, 20, 15, 30, 250), 818280930.25},
        {QDateTime(QDate(2001, 1, 1), QTime(1, 0), QTimeZone(3600)), 0.0},
    };
    for (const Case &c : cases) {
        EXPECT_DOUBLE_EQ(toReferenceSeconds(c.date), c.seconds) << c.date.toString(Qt::ISODateWithMs).toStdString();
        const std::optional<QDateTime> back = fromReferenceSeconds(c.seconds);
        ASSERT_TRUE(back);
        EXPECT_EQ(*back, c.date);
    }
    EXPECT_EQ(fromReferenceSeconds(0.0004), utc(2001, 1, 1));
    EXPECT_EQ(fromReferenceSeconds(0.0006), utc(2001, 1, 1, 0, 0, 0, 1));
    for (double unusable : {1e300, -1e300, std::numeric_limits<double>::infinity(), std::nan("")})
        EXPECT_FALSE(fromReferenceSeconds(unusable)) << unusable;
}

TEST(ClipboardEntry, WritesEveryFieldInItsStoredForm)
{
    const QJsonObject json = fullEntry().toJson();
    EXPECT_EQ(json.size(), 12);
    EXPECT_EQ(json["id"].toString(), "0F8FAD5B-D9CB-469F-A165-70867728950E");
    EXPECT_EQ(json["text"].toString(), fullEntry().text);
    EXPECT_DOUBLE_EQ(json["copiedAt"].toDouble(), 818280930.25);
    EXPECT_EQ(json["sourceApp"].toString(), "Screenshot");
    EXPECT_EQ(json["kind"].toString(), "image");
    EXPECT_EQ(json["imageData"].toString(), "iVBORw0KGgoA/w==");
    EXPECT_EQ(json["fileURLs"].toArray(), QJsonArray({"/home/jan/a.png", "/tmp/b c.txt"}));
    EXPECT_EQ(json["screenshotFileURL"].toString(), "/home/jan/Pictures/Screenshots/shot.png");
    EXPECT_EQ(json["imageFilePath"].toString(), "/home/jan/.local/share/Tarnel/Clipboard Images/X.image");
    EXPECT_EQ(json["isScreenshot"], QJsonValue(true));
    EXPECT_EQ(json["isPinned"], QJsonValue(true));
    EXPECT_DOUBLE_EQ(json["temporaryUntil"].toDouble(), 818281230.25);
}

TEST(ClipboardEntry, LeavesOutAbsentOptionalsButKeepsEmptyTextsAndLists)
{
    ClipboardEntry entry;
    entry.id = ClipboardEntry::newID();
    entry.copiedAt = utc(2025, 1, 1);
    entry.kind = ClipboardKind::Code;
    const QJsonObject json = entry.toJson();
    QStringList keys = json.keys();
    keys.sort();
    EXPECT_EQ(keys, QStringList({"copiedAt", "fileURLs", "id", "isPinned", "isScreenshot", "kind", "sourceApp", "text"}));
    EXPECT_EQ(json["text"], QJsonValue(QString()));
    EXPECT_EQ(json["fileURLs"], QJsonValue(QJsonArray()));
    // Present but empty bytes are still bytes.
    entry.imageData = QByteArray();
    EXPECT_EQ(entry.toJson()["imageData"], QJsonValue(QString()));
}

TEST(ClipboardEntry, RoundTripsThroughItsStoredForm)
{
    ClipboardEntry plain;
    plain.id = ClipboardEntry::newID();
    plain.text = "hello";
    plain.copiedAt = QDateTime::currentDateTime();
    plain.sourceApp = QString::fromUtf8("Správca súborov");
    plain.kind = ClipboardKind::Text;

    ClipboardEntry files = plain;
    files.kind = ClipboardKind::File;
    files.text = "/a\n/b/";
    files.fileURLs = {"/a", "/b/"};

    ClipboardEntry temporary = plain;
    temporary.kind = ClipboardKind::Url;
    temporary.text = "https://example.com";
    temporary.temporaryUntil = plain.copiedAt.addSecs(300);

    ClipboardEntry screenshot = fullEntry();
    ClipboardEntry unpinnedScreenshot = fullEntry();
    unpinnedScreenshot.isPinned = false;

    for (const ClipboardEntry &entry : {plain, files, temporary, screenshot, unpinnedScreenshot}) {
        const QByteArray stored = ClipboardEntry::encodeList({entry});
        const DecodedList<ClipboardEntry> read = ClipboardEntry::decodeList(stored);
        ASSERT_TRUE(read.isComplete());
        ASSERT_EQ(read.items.size(), 1);
        EXPECT_EQ(read.items.front(), entry) << stored.toStdString();
    }
    EXPECT_NE(screenshot, unpinnedScreenshot);
}

TEST(ClipboardEntry, OutputIsCompactJson)
{
    const QByteArray stored = ClipboardEntry::encodeList({fullEntry(), fullEntry()});
    EXPECT_FALSE(stored.contains('\n'));
    EXPECT_FALSE(stored.contains(": "));
    EXPECT_FALSE(stored.contains(", "));
    EXPECT_TRUE(stored.startsWith("[{"));
    EXPECT_EQ(ClipboardEntry::encodeList({}), "[]");
}

TEST(ClipboardEntry, ReaderFillsAbsentAndNullKeys)
{
    const QDateTime before = QDateTime::currentDateTime();
    struct Case {
        const char *json;
        QString text;
        ClipboardKind kind;
        QString sourceApp;
        bool isScreenshot;
        bool isPinned;
    };
    const Case cases[] = {
        {R"({})", "", ClipboardKind::Text, "", false, false},
        {R"({"id":null,"text":null,"copiedAt":null,"sourceApp":null,"kind":null,"imageData":null,
             "fileURLs":null,"screenshotFileURL":null,"imageFilePath":null,"isScreenshot":null,
             "isPinned":null,"temporaryUntil":null})",
         "", ClipboardKind::Text, "", false, false},
        // Plain text is classified again; other kinds are kept.
        {R"({"text":"#ff8800"})", "#ff8800", ClipboardKind::Color, "", false, false},
        {R"({"text":"#ff8800","kind":"text"})", "#ff8800", ClipboardKind::Color, "", false, false},
        {R"({"text":"#ff8800","kind":"code"})", "#ff8800", ClipboardKind::Code, "", false, false},
        {R"({"text":"plain words","kind":"url"})", "plain words", ClipboardKind::Url, "", false, false},
        // Screenshot flag of images without one comes from the source name.
        {R"({"kind":"image","sourceApp":"Snímka obrazovky"})", "", ClipboardKind::Image, "Snímka obrazovky", true, false},
        {R"({"kind":"image","sourceApp":"SNÍMKA OBRAZOVKY"})", "", ClipboardKind::Image, "SNÍMKA OBRAZOVKY", true, false},
        {R"({"kind":"image","sourceApp":"Acme Screen Capture Tool"})", "", ClipboardKind::Image, "Acme Screen Capture Tool", true, false},
        {R"({"kind":"image","sourceApp":"screencapture"})", "", ClipboardKind::Image, "screencapture", true, false},
        {R"({"kind":"image","sourceApp":"Screen Shot"})", "", ClipboardKind::Image, "Screen Shot", true, false},
        {R"({"kind":"image","sourceApp":"MyScreenshotApp"})", "", ClipboardKind::Image, "MyScreenshotApp", true, false},
        {R"({"kind":"image","sourceApp":"Firefox"})", "", ClipboardKind::Image, "Firefox", false, false},
        {R"({"kind":"image","sourceApp":"Screens hot"})", "", ClipboardKind::Image, "Screens hot", false, false},
        {R"({"kind":"image"})", "", ClipboardKind::Image, "", false, false},
        {R"({"kind":"image","sourceApp":"Screenshot","isScreenshot":false})", "", ClipboardKind::Image, "Screenshot", false, false},
        {R"({"kind":"image","sourceApp":"Firefox","isScreenshot":true})", "", ClipboardKind::Image, "Firefox", true, false},
        // Only images can be screenshots.
        {R"({"kind":"text","isScreenshot":true})", "", ClipboardKind::Text, "", false, false},
        {R"({"kind":"file","sourceApp":"Screenshot","isScreenshot":true})", "", ClipboardKind::File, "Screenshot", false, false},
        {R"({"isPinned":true,"text":"x"})", "x", ClipboardKind::Text, "", false, true},
    };
    for (const Case &c : cases) {
        QString error;
        const auto entry = ClipboardEntry::fromJson(object(c.json), &error);
        ASSERT_TRUE(entry) << c.json << " failed: " << error.toStdString();
        EXPECT_EQ(entry->text, c.text) << c.json;
        EXPECT_EQ(entry->kind, c.kind) << c.json;
        EXPECT_EQ(entry->sourceApp, c.sourceApp) << c.json;
        EXPECT_EQ(entry->isScreenshot, c.isScreenshot) << c.json;
        EXPECT_EQ(entry->isPinned, c.isPinned) << c.json;
        EXPECT_EQ(entry->id.size(), 36) << c.json;
        EXPECT_GE(entry->copiedAt, before) << c.json;
        EXPECT_LE(entry->copiedAt, QDateTime::currentDateTime()) << c.json;
        EXPECT_FALSE(entry->imageData) << c.json;
        EXPECT_TRUE(entry->fileURLs.isEmpty()) << c.json;
        EXPECT_FALSE(entry->screenshotFileURL) << c.json;
        EXPECT_FALSE(entry->imageFilePath) << c.json;
        EXPECT_FALSE(entry->temporaryUntil) << c.json;
    }
}

TEST(ClipboardEntry, ReaderKeepsStoredValues)
{
    const auto entry = ClipboardEntry::fromJson(object(
        R"({"id":"lower-case-id","copiedAt":3,"imageData":"QUJD","fileURLs":[],"screenshotFileURL":"",
            "imageFilePath":"/x.image","temporaryUntil":-2.5,"kind":"image"})"));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->id, "lower-case-id");
    EXPECT_EQ(entry->copiedAt, utc(2001, 1, 1, 0, 0, 3));
    EXPECT_EQ(entry->imageData, QByteArray("ABC"));
    EXPECT_EQ(entry->screenshotFileURL, QString(""));
    EXPECT_EQ(entry->imageFilePath, QString("/x.image"));
    EXPECT_EQ(entry->temporaryUntil, utc(2000, 12, 31, 23, 59, 57, 500));
}

TEST(ClipboardEntry, ReaderRejectsWrongTypesBadBase64AndUnknownKinds)
{
    const char *cases[] = {
        R"([])",
        R"("entry")",
        R"(42)",
        R"(null)",
        R"({"id":5})",
        R"({"text":true})",
        R"({"copiedAt":"yesterday"})",
        R"({"copiedAt":1e300})",
        R"({"sourceApp":[]})",
        R"({"kind":"picture"})",
        R"({"kind":"Text"})",
        R"({"kind":""})",
        R"({"kind":3})",
        R"({"imageData":"not base64!"})",
        R"({"imageData":"QUJ"})",
        R"({"imageData":"QQ"})",
        R"({"imageData":"QU JD"})",
        R"({"imageData":"QUJD\n"})",
        R"({"imageData":"QUJD-_=="})",
        R"({"imageData":"ščťž"})",
        R"({"imageData":12})",
        R"({"fileURLs":"/a"})",
        R"({"fileURLs":["/a",1]})",
        R"({"fileURLs":["/a",null]})",
        R"({"screenshotFileURL":1})",
        R"({"imageFilePath":false})",
        R"({"isScreenshot":"yes","kind":"text"})",
        R"({"isPinned":"true"})",
        R"({"isPinned":1})",
        R"({"temporaryUntil":"soon"})",
        R"({"temporaryUntil":{}})",
    };
    for (const char *json : cases) {
        QJsonParseError parseError;
        const QJsonDocument document = QJsonDocument::fromJson(QByteArray("[") + json + "]", &parseError);
        ASSERT_EQ(parseError.error, QJsonParseError::NoError) << json;
        QString error;
        EXPECT_FALSE(ClipboardEntry::fromJson(document.array().at(0), &error)) << json;
        EXPECT_FALSE(error.isEmpty()) << json;
    }
}

TEST(ClipboardEntry, FailureReasonsNeverQuoteTheContent)
{
    QString error;
    EXPECT_FALSE(ClipboardEntry::fromJson(object(R"({"text":"secret-password","kind":"secret-kind"})"), &error));
    EXPECT_FALSE(error.contains("secret")) << error.toStdString();
    EXPECT_FALSE(ClipboardEntry::fromJson(object(R"({"imageData":"secret!"})"), &error));
    EXPECT_FALSE(error.contains("secret")) << error.toStdString();
}

TEST(ClipboardEntry, HistoryKeepsReadableEntriesAroundBrokenOnes)
{
    const QByteArray stored = R"([{"id":"A","text":"one"},{"id":"B","kind":"picture"},"not an entry",
        {"id":"C","isPinned":"yes"},{"id":"D","text":"two"},null])";
    const DecodedList<ClipboardEntry> read = ClipboardEntry::decodeList(stored);
    EXPECT_FALSE(read.unreadable);
    EXPECT_EQ(read.skippedCount, 4);
    EXPECT_FALSE(read.isComplete());
    ASSERT_EQ(read.items.size(), 2);
    EXPECT_EQ(read.items[0].id, "A");
    EXPECT_EQ(read.items[1].id, "D");
}

TEST(ClipboardEntry, UnreadableHistoryIsReportedNotCrashedOn)
{
    struct Case {
        const char *name;
        QByteArray stored;
    };
    const Case cases[] = {
        {"empty bytes", QByteArray()},
        {"white space", QByteArray("  \n ")},
        {"an object", QByteArray(R"({"id":"A"})")},
        {"a string", QByteArray(R"("history")")},
        {"trailing comma", QByteArray(R"([{"id":"A"},])")},
        {"truncated", QByteArray(R"([{"id":"A","text":"on)")},
        {"invalid UTF-8", QByteArray("[{\"text\":\"a\xff\xfe\"}]")},
        {"nested a hundred thousand deep", QByteArray(100000, '[') + QByteArray(100000, ']')},
        {"deep inside one entry", QByteArray(R"([{"id":"A"},{"text":)") + QByteArray(100000, '[')
                                      + QByteArray(100000, ']') + "}]"},
    };
    for (const Case &c : cases) {
        const DecodedList<ClipboardEntry> read = ClipboardEntry::decodeList(c.stored);
        EXPECT_TRUE(read.unreadable) << c.name;
        EXPECT_TRUE(read.items.isEmpty()) << c.name;
        EXPECT_FALSE(read.isComplete()) << c.name;
    }
    const DecodedList<ClipboardEntry> empty = ClipboardEntry::decodeList("[]");
    EXPECT_TRUE(empty.isComplete());
    EXPECT_TRUE(empty.items.isEmpty());
}

TEST(ClipboardEntry, HugeAndOddTextsRoundTrip)
{
    ClipboardEntry big;
    big.id = ClipboardEntry::newID();
    big.copiedAt = utc(2026, 1, 2, 3, 4, 5);
    big.kind = ClipboardKind::Code;
    big.text = QString(10 * 1024 * 1024, u'x') + "=>";
    big.imageData = QByteArray(3 * 1024 * 1024, '\xab');

    ClipboardEntry odd = big;
    odd.text = QString::fromUtf8("\xff\xfe invalid UTF-8 ") + QChar(0) + "NUL" + QChar(0xd800);
    odd.imageData.reset();

    ClipboardEntry blank = big;
    blank.kind = ClipboardKind::Email; // stored kinds other than text survive as they are
    blank.text = " \n\t ";
    blank.imageData.reset();

    for (const ClipboardEntry &entry : {big, odd, blank}) {
        const DecodedList<ClipboardEntry> read = ClipboardEntry::decodeList(ClipboardEntry::encodeList({entry}));
        ASSERT_EQ(read.items.size(), 1);
        EXPECT_EQ(read.items.front(), entry);
    }
}

TEST(ClipboardEntry, PreviewIsOneLine)
{
    struct Case {
        const char *name;
        ClipboardKind kind;
        QString text;
        QStringList files;
        QString expected;
    };
    const Case cases[] = {
        {"two lines", ClipboardKind::Text, "a\nb", {}, "a b"},
        {"untrimmed", ClipboardKind::Code, "\n  x\r\n\n", {}, "   x\r  "},
        {"empty", ClipboardKind::Text, "", {}, ""},
        {"image", ClipboardKind::Image, "ignored", {}, QString::fromUtf8("Obrázok")},
        {"file and folder", ClipboardKind::File, "", {"/home/jan/a.txt", "/home/jan/Dokumenty/"}, "a.txt, Dokumenty"},
        {"no files", ClipboardKind::File, "/x", {}, ""},
        {"relative name", ClipboardKind::File, "", {"plain.txt"}, "plain.txt"},
        {"root", ClipboardKind::File, "", {"/"}, "/"},
        {"doubled slash", ClipboardKind::File, "", {"/tmp//"}, "tmp"},
        {"spaces and diacritics", ClipboardKind::File, "", {QString::fromUtf8("/tmp/návrh 2.pdf")}, QString::fromUtf8("návrh 2.pdf")},
    };
    ScopedLanguage slovak(std::nullopt);
    for (const Case &c : cases) {
        ClipboardEntry entry;
        entry.kind = c.kind;
        entry.text = c.text;
        entry.fileURLs = c.files;
        EXPECT_EQ(entry.preview(), c.expected) << c.name;
    }
    ScopedLanguage english(QStringLiteral("en"), QHash<QString, QString>{{"Obrázok", "Image"}});
    ClipboardEntry image;
    image.kind = ClipboardKind::Image;
    EXPECT_EQ(image.preview(), "Image");
}

TEST(ClipboardEntry, SourceLabelNamesTheOrigin)
{
    const QHash<QString, QString> table{{"Schránka", "Clipboard"}, {"Snímka obrazovky", "Screenshot image"}};
    struct Case {
        const char *name;
        QString sourceApp;
        std::optional<QString> screenshotFile;
        QString slovak;
        QString english;
    };
    const Case cases[] = {
        {"no source", "", std::nullopt, QString::fromUtf8("Schránka"), "Clipboard"},
        {"no source but a file", "", "/s.png", QString::fromUtf8("Schránka"), "Clipboard"},
        {"imported screenshot", "Screenshot", "/s.png", QString::fromUtf8("Snímka obrazovky"), "Screenshot image"},
        {"screenshot without file", "Screenshot", std::nullopt, "Screenshot", "Screenshot"},
        {"lower-case name", "screenshot", "/s.png", "screenshot", "screenshot"},
        {"application", "Firefox", std::nullopt, "Firefox", "Firefox"},
    };
    for (const Case &c : cases) {
        ClipboardEntry entry;
        entry.sourceApp = c.sourceApp;
        entry.screenshotFileURL = c.screenshotFile;
        {
            ScopedLanguage slovak(QStringLiteral("sk"), table);
            EXPECT_EQ(entry.sourceAppLabel(), c.slovak) << c.name;
        }
        {
            ScopedLanguage english(QStringLiteral("en"), table);
            EXPECT_EQ(entry.sourceAppLabel(), c.english) << c.name;
        }
    }
}

TEST(ClipboardEntry, TimeLabelShowsTheDateOnlyForEarlierDays)
{
    const QDateTime now(QDate(2026, 3, 10), QTime(14, 30));
    const QDateTime justAfterMidnight(QDate(2026, 3, 10), QTime(0, 1));
    struct Case {
        const char *name;
        std::optional<QString> language;
        QDateTime now;
        QDateTime copiedAt;
        QStringList contains;
        QStringList lacks;
    };
    const Case cases[] = {
        {"sk a minute ago", std::nullopt, now, now.addSecs(-60), {"14:29"}, {"2026", "PM"}},
        {"en a minute ago", QStringLiteral("en"), now, now.addSecs(-60), {"2:29", "PM"}, {"26", "3/"}},
        {"sk yesterday", QStringLiteral("sk"), now, now.addDays(-1), {"9. 3. 2026", "14:30"}, {"PM"}},
        {"en yesterday", QStringLiteral("en"), now, now.addDays(-1), {"3/9/26", "2:30", "PM"}, {}},
        {"sk two minutes ago across midnight", std::nullopt, justAfterMidnight, justAfterMidnight.addSecs(-120),
         {"9. 3. 2026", "23:59"}, {}},
        {"en capital spelling reads as Slovak", QStringLiteral("EN"), now, now.addSecs(-60), {"14:29"}, {"PM"}},
    };
    for (const Case &c : cases) {
        ScopedLanguage language(c.language);
        ClipboardEntry entry;
        // Stored dates come back in UTC; the label shows local time all the same.
        entry.copiedAt = c.copiedAt.toUTC();
        const QString label = entry.copiedAtLabel(c.now);
        for (const QString &piece : c.contains)
            EXPECT_TRUE(label.contains(piece)) << c.name << ": " << label.toStdString();
        for (const QString &piece : c.lacks)
            EXPECT_FALSE(label.contains(piece)) << c.name << ": " << label.toStdString();
    }
}

} // namespace
