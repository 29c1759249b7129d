#include "core/ClipboardEntry.h"
#include "core/LeadingText.h"

#include "support/CorePrinters.h"
#include "support/ScopedLanguage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

QDateTime utc(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int msec = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, msec), QTimeZone::utc());
}

QJsonValue json(const char *text)
{
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray("[") + text + "]");
    EXPECT_TRUE(document.isArray()) << text;
    return document.array().at(0);
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
    entry.screenshotFileURL = "/s/shot.png";
    entry.imageFilePath = "/i/X.image";
    entry.isScreenshot = true;
    entry.isPinned = true;
    entry.temporaryUntil = utc(2026, 12, 6, 20, 20, 30, 250);
    return entry;
}

TEST(ClipboardEntry, DatesCountSecondsFromTheStartOf2001)
{
    const std::pair<QDateTime, double> cases[] = {
        {utc(2001, 1, 1), 0.0},
        {utc(2000, 12, 31, 23, 59, 59), -1.0},
        {utc(2026, 12, 6, 20, 15, 30, 250), 818280930.25},
        {QDateTime(QDate(2001, 1, 1), QTime(1, 0), QTimeZone(3600)), 0.0},
    };
    for (const auto &[date, seconds] : cases) {
        EXPECT_DOUBLE_EQ(toReferenceSeconds(date), seconds) << seconds;
        EXPECT_EQ(fromReferenceSeconds(seconds), date) << seconds;
    }
    EXPECT_EQ(fromReferenceSeconds(0.0006), utc(2001, 1, 1, 0, 0, 0, 1)) << "rounded to the millisecond";
    for (double unusable : {1e300, -1e300, std::numeric_limits<double>::infinity(), std::nan("")})
        EXPECT_FALSE(fromReferenceSeconds(unusable)) << unusable;
}

TEST(ClipboardEntry, StoredFormIsCompactWithEveryKeyAndLeavesOutOnlyAbsentOptionals)
{
    EXPECT_EQ(fullEntry().toJson(),
              json(R"({"id":"0F8FAD5B-D9CB-469F-A165-70867728950E","text":"  riadok 1\nriadok 2 ščťž 🙂 ",
                       "copiedAt":818280930.25,"sourceApp":"Screenshot","kind":"image","imageData":"iVBORw0KGgoA/w==",
                       "fileURLs":["/home/jan/a.png","/tmp/b c.txt"],"screenshotFileURL":"/s/shot.png",
                       "imageFilePath":"/i/X.image","isScreenshot":true,"isPinned":true,"temporaryUntil":818281230.25})")
                  .toObject());
    ClipboardEntry bare;
    bare.copiedAt = utc(2001, 1, 1);
    bare.kind = ClipboardKind::Code;
    bare.imageData = QByteArray(); // present but empty bytes are still bytes
    QJsonObject expected = json(R"({"text":"","copiedAt":0,"sourceApp":"","kind":"code","imageData":"","fileURLs":[],
                                   "isScreenshot":false,"isPinned":false})").toObject();
    expected["id"] = bare.id;
    EXPECT_EQ(bare.toJson(), expected);

    const QByteArray stored = ClipboardEntry::encodeList({fullEntry(), fullEntry()});
    EXPECT_TRUE(stored.startsWith("[{"));
    EXPECT_FALSE(stored.contains('\n') || stored.contains(": ") || stored.contains(", "));
    EXPECT_EQ(ClipboardEntry::encodeList({}), "[]");
}

TEST(ClipboardEntry, RoundTripsOddTextsAndEveryField)
{
    ClipboardEntry odd;
    odd.copiedAt = QDateTime::currentDateTime();
    odd.kind = ClipboardKind::Email; // stored kinds other than text survive as they are
    odd.text = QString::fromUtf8("\xff\xfe invalid UTF-8 ") + QChar(0) + "NUL" + QChar(0xd800) + " \n\t ";
    ClipboardEntry unpinned = fullEntry();
    unpinned.isPinned = false;
    for (const ClipboardEntry &entry : {fullEntry(), unpinned, odd}) {
        const DecodedList<ClipboardEntry> read = ClipboardEntry::decodeList(ClipboardEntry::encodeList({entry}));
        ASSERT_TRUE(read.isComplete());
        ASSERT_EQ(read.items.size(), 1);
        EXPECT_EQ(read.items.front(), entry);
    }
    EXPECT_NE(fullEntry(), unpinned);
}

TEST(ClipboardEntry, ReaderFillsAbsentKeysAndDerivesKindAndScreenshotFlag)
{
    struct Case {
        const char *json;
        ClipboardKind kind;
        bool isScreenshot;
        bool isPinned;
    };
    const Case cases[] = {
        {R"({})", ClipboardKind::Text, false, false},
        {R"({"id":null,"text":null,"copiedAt":null,"sourceApp":null,"kind":null,"imageData":null,"fileURLs":null,
             "screenshotFileURL":null,"imageFilePath":null,"isScreenshot":null,"isPinned":null,"temporaryUntil":null})",
         ClipboardKind::Text, false, false},
        // Plain text is classified again; other kinds are kept.
        {R"({"text":"#ff8800","kind":"text"})", ClipboardKind::Color, false, false},
        // The screenshot flag of images without one comes from the source name.
        {R"({"kind":"image","sourceApp":"SNÍMKA OBRAZOVKY"})", ClipboardKind::Image, true, false},
        {R"({"kind":"image","sourceApp":"Screenshot","isScreenshot":false})", ClipboardKind::Image, false, false},
        {R"({"kind":"image","sourceApp":"Firefox","isScreenshot":true})", ClipboardKind::Image, true, false},
        // Only images can be screenshots.
        {R"({"kind":"file","sourceApp":"Screenshot","isScreenshot":true})", ClipboardKind::File, false, false},
    };
    const QDateTime before = QDateTime::currentDateTime();
    for (const Case &c : cases) {
        QString error;
        const auto entry = ClipboardEntry::fromJson(json(c.json), &error);
        ASSERT_TRUE(entry) << c.json << " failed: " << error.toStdString();
        EXPECT_EQ(entry->kind, c.kind) << c.json;
        EXPECT_EQ(entry->isScreenshot, c.isScreenshot) << c.json;
        EXPECT_EQ(entry->isPinned, c.isPinned) << c.json;
        EXPECT_EQ(entry->id.size(), 36) << c.json;
        EXPECT_GE(entry->copiedAt, before) << c.json;
        EXPECT_FALSE(entry->imageData || entry->screenshotFileURL || entry->imageFilePath || entry->temporaryUntil) << c.json;
    }
    const auto kept = ClipboardEntry::fromJson(json(R"({"id":"lower-case-id","copiedAt":3,"imageData":"QUJD","temporaryUntil":-2.5})"));
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->id, "lower-case-id");
    EXPECT_EQ(kept->copiedAt, utc(2001, 1, 1, 0, 0, 3));
    EXPECT_EQ(kept->imageData, QByteArray("ABC"));
    EXPECT_EQ(kept->temporaryUntil, utc(2000, 12, 31, 23, 59, 57, 500));
}

TEST(ClipboardEntry, ReaderRejectsWrongTypesBadBase64AndUnknownKindsWithoutQuotingThem)
{
    const char *cases[] = {
        R"([])",
        R"(null)",
        R"({"copiedAt":"yesterday"})",
        R"({"kind":"Text"})",
        R"({"kind":"secret-kind","text":"secret-password"})",
        R"({"imageData":"secret!"})",
        R"({"imageData":"QUJD-_=="})",
        // An image cut off in the middle of a group of four characters.
        R"({"imageData":"iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAIAAACQd1P"})",
        R"({"imageData":"iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAIAAACQd1"})",
        R"({"fileURLs":["/a",null]})",
        R"({"isPinned":1})",
    };
    for (const char *text : cases) {
        QString error;
        EXPECT_FALSE(ClipboardEntry::fromJson(json(text), &error)) << text;
        EXPECT_FALSE(error.isEmpty()) << text;
        EXPECT_FALSE(error.contains("secret")) << error.toStdString();
    }
}

TEST(ClipboardEntry, HistoryKeepsReadableEntriesAroundBrokenOnesAndReportsUnreadableOnes)
{
    const DecodedList<ClipboardEntry> read = ClipboardEntry::decodeList(
        R"([{"id":"A","text":"one"},{"id":"B","kind":"picture"},"not an entry",{"id":"D","text":"two"},null])");
    EXPECT_FALSE(read.unreadable);
    EXPECT_EQ(read.skippedCount, 3);
    ASSERT_EQ(read.items.size(), 2);
    EXPECT_EQ(read.items[0].id, "A");
    EXPECT_EQ(read.items[1].id, "D");

    const QByteArray unreadable[] = {
        QByteArray(),
        R"({"id":"A"})",
        R"([{"id":"A"},])",
        "[{\"text\":\"a\xff\xfe\"}]",
        QByteArray(100000, '[') + QByteArray(100000, ']'),
        QByteArray(R"([{"id":"A"},{"text":)") + QByteArray(100000, '[') + QByteArray(100000, ']') + "}]",
    };
    for (const QByteArray &stored : unreadable) {
        const DecodedList<ClipboardEntry> broken = ClipboardEntry::decodeList(stored);
        EXPECT_TRUE(broken.unreadable && broken.items.isEmpty() && !broken.isComplete()) << stored.left(40).toStdString();
    }
    EXPECT_TRUE(ClipboardEntry::decodeList("[]").isComplete());
}

ClipboardEntry makeText(const QString &text)
{
    ClipboardEntry entry;
    entry.kind = ClipboardKind::Text;
    entry.text = text;
    return entry;
}

// Views take in the beginning of a long text only: the preview line of its first
// LeadingText::kLongestShown units, cut after a whole character and marked; shorter texts,
// images and files keep their whole preview.
TEST(ClipboardEntry, BoundedPreviewIsThePreviewOfTheBeginningOfALongText)
{
    const qsizetype limit = LeadingText::kLongestShown;
    const QString ellipsis(QChar(0x2026));
    const QString line = QStringLiteral("riadok kópie\n");
    const QString huge = line.repeated(int(20'000'000 / line.size()));
    const QString flag = QStringLiteral("\U0001F1F8\U0001F1F0"); // two code points, one character
    ClipboardEntry files;
    files.kind = ClipboardKind::File;
    files.fileURLs = {QStringLiteral("/home/user/a.txt"), QStringLiteral("/home/user/b.txt")};
    ClipboardEntry image;
    image.kind = ClipboardKind::Image;
    image.text = huge;
    const struct {
        const char *name;
        ClipboardEntry entry;
        QString shown;
    } cases[] = {
        {"short", makeText(QStringLiteral("dva\nriadky")), QStringLiteral("dva riadky")},
        {"at the limit", makeText(QString(limit, u'a')), QString(limit, u'a')},
        {"twenty megabytes", makeText(huge), QString(huge.left(limit)).replace(u'\n', u' ') + ellipsis},
        {"a flag across the limit", makeText(QString(limit - 1, u'a') + flag + u'b'), QString(limit - 1, u'a') + ellipsis},
        {"files", files, files.preview()},
        {"image", image, image.preview()},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.entry.boundedPreview(), c.shown) << c.name;
}

} // namespace
