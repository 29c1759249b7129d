#include "EngineTestSupport.h"

#include "core/ImageSizeRule.h"

#include "support/HeldThreadPool.h"

#include <QMutex>
#include <QSet>
#include <QThreadPool>
#include <QWaitCondition>

namespace {

TEST(ClipboardModelCapture, EachSkipRuleLeavesTheHistoryAndStackAsTheyWere)
{
    struct Case {
        const char *name;
        std::function<void(ModelHarness &)> arrange;
        int entries;
        int stack;
    };
    const Case cases[] = {
        {"foreign change after an own write", [](ModelHarness &h) { h.model->writeOwnText(QStringLiteral("mine")); },
         1, 0},
        {"private copy", [](ModelHarness &h) { h.model->copyUsingShortcut(true, 0); }, 0, 0},
        {"recording off, copy into the stack",
         [](ModelHarness &h) {
             h.model->setIsRecording(false);
             h.model->copyUsingShortcut(false, 0);
         },
         1, 1},
        {"private mode, copy into the stack",
         [](ModelHarness &h) {
             h.model->setIsPrivateMode(true);
             h.model->copyUsingShortcut(false, 0);
         },
         0, 0},
        {"copy into the stack", [](ModelHarness &h) { h.model->copyUsingShortcut(false, 0); }, 1, 1},
    };
    for (const Case &c : cases) {
        ModelHarness h;
        h.make();
        c.arrange(h);
        h.copyText(QStringLiteral("hello"));
        EXPECT_EQ(h.model->entries().size(), c.entries) << c.name;
        EXPECT_EQ(h.model->pasteStackEntryIDs().size(), c.stack) << c.name;
        EXPECT_EQ(h.model->lastChangeCount(), h.pasteboard.changeCount()) << c.name;
        // After any foreign change the one-shot capture is spent.
        h.copyText(QStringLiteral("next"));
        EXPECT_EQ(h.model->pasteStackEntryIDs().size(), c.stack) << c.name;
    }
}

TEST(ClipboardModelCapture, ReadsFilesThenImagesThenText)
{
    struct Case {
        const char *name;
        PasteboardContent content;
        std::optional<ClipboardKind> kind;
        QString text;
    };
    PasteboardContent files;
    files.filePaths = {QStringLiteral("/home/u/a.txt"), QStringLiteral("/home/u/dir")};
    files.images = {{QStringLiteral("image/png"), pngBytes(2, 2)}};
    files.text = QStringLiteral("a.txt");
    PasteboardContent image;
    image.images = {{QStringLiteral("image/png"), pngBytes(2, 2)}};
    image.text = QStringLiteral("alt text");
    PasteboardContent padded;
    padded.text = QStringLiteral("  keep my spaces \n");
    PasteboardContent blank;
    blank.text = QStringLiteral(" \n\t ");
    PasteboardContent bomb;
    bomb.images = {{QStringLiteral("image/png"), pngDeclaring(30'000, 30'000)}};
    bomb.text = QStringLiteral("caption");
    PasteboardContent junk;
    junk.images = {{QStringLiteral("image/png"), QByteArray("not a png")}, {QStringLiteral("image/bmp"), pngBytes(3, 3)}};
    PasteboardContent hugeThenSmall;
    hugeThenSmall.images = {{QStringLiteral("image/png"), QByteArray(ImageSizeRule::kCeilingBytes + 1, '\0')},
                            {QStringLiteral("image/tiff"), pngBytes(3, 3)}};
    PasteboardContent photo;
    photo.images = {{QStringLiteral("image/jpeg"), largePhotoJpeg()}};
    photo.text = QStringLiteral("caption");
    PasteboardContent scan;
    scan.images = {{QStringLiteral("image/png"), oneBitCheckerPng(8100, 8000)}};
    const Case cases[] = {
        {"files win over an image", files, ClipboardKind::File, QStringLiteral("/home/u/a.txt\n/home/u/dir")},
        {"blank text", blank, std::nullopt, QString()},
        {"decompression bomb falls back to text", bomb, ClipboardKind::Text, QStringLiteral("caption")},
        {"over the ceiling, next type kept", hugeThenSmall, ClipboardKind::Image, QString()},
        {"photo beyond the whole-decode bound, small file", photo, ClipboardKind::Image, QString()},
        {"two-colour scan beyond it, small file", scan, ClipboardKind::Image, QString()},
    };
    for (const Case &c : cases) {
        ModelHarness h;
        ClipboardModel &model = h.make();
        h.pasteboard.copyContent(c.content);
        model.readClipboardIfChanged();
        ASSERT_TRUE(h.waitForCaptures()) << c.name;
        if (!c.kind) {
            EXPECT_TRUE(model.entries().isEmpty()) << c.name;
            continue;
        }
        ASSERT_EQ(model.entries().size(), 1) << c.name;
        const ClipboardEntry &entry = model.entries().first();
        EXPECT_EQ(entry.kind, *c.kind) << c.name;
        EXPECT_EQ(entry.text, c.text) << c.name;
        EXPECT_EQ(entry.sourceApp, QStringLiteral("Editor")) << c.name;
        EXPECT_EQ(entry.id.size(), 36) << c.name;
        EXPECT_EQ(entry.copiedAt, h.clock.now()) << c.name;
        if (entry.kind == ClipboardKind::File) {
            EXPECT_EQ(entry.fileURLs, c.content.filePaths) << c.name;
        }
    }
}

// The clipboard lists the lossless form first; the history keeps that form byte for byte, not
// a lossy one offered beside it.
TEST(ClipboardModelCapture, APictureOfferedAsPngAndJpegIsKeptAsPng)
{
    const QImage picture = QImage::fromData(pngBytes(6, 4));
    PasteboardContent content;
    content.images = {{QStringLiteral("image/png"), pngBytes(6, 4)},
                      {QStringLiteral("image/jpeg"), encodedImage(picture, "JPEG")}};
    ModelHarness h;
    ClipboardModel &model = h.make();
    h.pasteboard.copyContent(content);
    model.readClipboardIfChanged();
    ASSERT_TRUE(h.waitForCaptures());
    ASSERT_EQ(model.entries().size(), 1);
    EXPECT_EQ(model.imageData(model.entries().first()), pngBytes(6, 4));
}

TEST(ClipboardModelCapture, SensitiveTextsAreDroppedWithoutNoticeOrStackItem)
{
    const QString texts[] = {QStringLiteral("password: hunter2"), QStringLiteral("4111 1111 1111 1111")};
    for (const QString &text : texts) {
        ModelHarness h;
        ClipboardModel &model = h.make();
        model.copyUsingShortcut(false, 0);
        h.copyText(text);
        EXPECT_TRUE(model.entries().isEmpty());
        EXPECT_TRUE(model.pasteStackEntryIDs().isEmpty());
        EXPECT_FALSE(model.copiedNoticeVisible());
    }
    ModelHarness h;
    h.make();
    h.copyText(QStringLiteral("4111 1111 1111 1112")); // fails the card checksum: kept
    EXPECT_EQ(h.model->entries().size(), 1);
}

TEST(ClipboardModelCapture, TemporaryCopiesExpireWithinOnePollStep)
{
    ModelHarness h;
    ClipboardModel &model = h.make();
    h.copyText(QStringLiteral("kept"));
    model.setTemporaryMinutes(5);
    h.copyText(QStringLiteral("temporary"));
    ASSERT_EQ(model.entries().first().temporaryUntil, h.clock.now().addSecs(300));
    EXPECT_FALSE(model.entries().last().temporaryUntil.has_value());

    h.clock.advance(std::chrono::minutes(5) - std::chrono::milliseconds(1));
    model.readClipboardIfChanged();
    EXPECT_EQ(model.entries().size(), 2);
    h.clock.advance(std::chrono::milliseconds(1)); // exactly at the end time
    model.readClipboardIfChanged();
    EXPECT_EQ(h.entryTexts(), QStringList{QStringLiteral("kept")});
    // The shortened history was written by that poll step.
    ClipboardModel &restarted = h.make();
    EXPECT_EQ(restarted.entries().size(), 1);
}

TEST(ClipboardModelCapture, ImagesAreScreenshotsByChordWindowOrSourceName)
{
    struct Case {
        const char *name;
        QString source;
        std::optional<qint64> chordEndsInSeconds;
        bool screenshot;
    };
    const Case cases[] = {
        {"plain application", QStringLiteral("Editor"), std::nullopt, false},
        {"chord window open", QStringLiteral("Editor"), 60, true},
        {"no front application", QString(), std::nullopt, false},
    };
    for (const Case &c : cases) {
        ModelHarness h;
        if (c.source.isEmpty())
            h.workspace.setFrontmostApplication(std::nullopt);
        else
            h.workspace.setFrontmostApplication(RunningApplication{1, 7, c.source});
        ClipboardModel &model = h.make();
        if (c.chordEndsInSeconds)
            model.setScreenshotChordWindowEnd(h.clock.now().addSecs(*c.chordEndsInSeconds));
        h.pasteboard.copyImage(pngBytes(5, 5));
        model.readClipboardIfChanged();
        ASSERT_EQ(model.entries().size(), 1) << c.name;
        EXPECT_EQ(model.entries().first().isScreenshot, c.screenshot) << c.name;
        EXPECT_EQ(model.entries().first().sourceApp, c.source) << c.name;
        EXPECT_FALSE(model.screenshotChordWindowEnd().has_value()) << c.name;
        EXPECT_EQ(model.screenshotNotice().has_value(), c.screenshot) << c.name;
    }
}

TEST(ClipboardModelCapture, ALargeImageIsReducedOffTheMainThreadAndKeepsItsPlace)
{
    ModelHarness h;
    ClipboardModel &model = h.make();
    const QByteArray large = noisyPngAboveTarget();
    ASSERT_GT(large.size(), ImageSizeRule::kTargetBytes);
    testsupport::HeldThreadPool pool;
    h.pasteboard.copyImage(large);
    model.readClipboardIfChanged();
    h.copyText(QStringLiteral("copied while the image was reduced"));
    // The text does not wait for the image copied before it.
    EXPECT_EQ(h.entryTexts(), QStringList{QStringLiteral("copied while the image was reduced")});
    EXPECT_EQ(model.pendingCaptureCount(), 1);
    pool.release();
    ASSERT_TRUE(h.waitForCaptures());
    ASSERT_EQ(model.entries().size(), 2);
    EXPECT_EQ(model.entries().at(0).text, QStringLiteral("copied while the image was reduced"));
    EXPECT_EQ(model.entries().at(1).kind, ClipboardKind::Image);
    const std::optional<QByteArray> kept = model.imageData(model.entries().at(1));
    ASSERT_TRUE(kept.has_value());
    EXPECT_LE(kept->size(), ImageSizeRule::kTargetBytes);
}

TEST(ClipboardModelCapture, ACopyThatCannotBeKeptIsNeverDroppedInSilence)
{
    enum class Notice { Copied,
                        ImageNotKept,
                        TextNotKept,
                        CopyNotKept };
    struct Case {
        const char *name;
        QByteArray image;
        std::optional<QString> text;
        // Types the clipboard passed over for their size.
        QStringList passedOver;
        // The owner stopped sending, or went away, before it had sent everything.
        bool incomplete;
        qsizetype entries;
        Notice notice;
    };
    const Case cases[] = {
        {"bomb with a caption keeps the caption", pngDeclaring(30'000, 30'000), QStringLiteral("caption"), {}, false, 1, Notice::ImageNotKept},
        {"bomb alone", pngDeclaring(30'000, 30'000), std::nullopt, {}, false, 0, Notice::ImageNotKept},
        {"image cut off", pngBytes(40, 30).chopped(20), std::nullopt, {}, false, 0, Notice::ImageNotKept},
        {"image kept", pngBytes(4, 4), std::nullopt, {}, false, 1, Notice::Copied},
        {"image too large to read", {}, std::nullopt, {QStringLiteral("image/png")}, false, 0, Notice::ImageNotKept},
        {"image too large to read, its caption kept", {}, QStringLiteral("caption"), {QStringLiteral("image/png")}, false, 1, Notice::ImageNotKept},
        {"one image type too large, another kept", pngBytes(4, 4), std::nullopt, {QStringLiteral("image/png")}, false, 1, Notice::Copied},
        {"text too long to read", {}, std::nullopt, {QStringLiteral("UTF8_STRING"), QStringLiteral("STRING")}, false, 0, Notice::TextNotKept},
        {"list of files too long to read, its text kept", {}, QStringLiteral("/a\n/b"), {QStringLiteral("text/uri-list")}, false, 1, Notice::Copied},
        {"image and text both too large", {}, std::nullopt, {QStringLiteral("image/png"), QStringLiteral("UTF8_STRING")}, false, 0, Notice::ImageNotKept},
        {"owner stopped before anything arrived whole", {}, std::nullopt, {}, true, 0, Notice::CopyNotKept},
        {"owner stopped after its image arrived whole", pngBytes(4, 4), std::nullopt, {}, true, 1, Notice::Copied},
        {"owner stopped after its text arrived whole", {}, QStringLiteral("caption"), {}, true, 1, Notice::Copied},
        {"owner stopped after a cut-off image", pngBytes(40, 30).chopped(20), std::nullopt, {}, true, 0, Notice::ImageNotKept},
        {"owner stopped after passing over a long text", {}, std::nullopt, {QStringLiteral("UTF8_STRING")}, true, 0, Notice::TextNotKept},
    };
    for (const Case &c : cases) {
        ModelHarness h;
        ClipboardModel &model = h.make();
        PasteboardContent content;
        if (!c.image.isEmpty())
            content.images = {{QStringLiteral("image/png"), c.image}};
        content.text = c.text;
        content.oversizedTypes = c.passedOver;
        content.incomplete = c.incomplete;
        h.pasteboard.copyContent(content);
        model.readClipboardIfChanged();
        ASSERT_TRUE(h.waitForCaptures()) << c.name;
        EXPECT_EQ(model.entries().size(), c.entries) << c.name;
        EXPECT_TRUE(model.copiedNoticeVisible()) << c.name;
        EXPECT_EQ(model.imageNotKeptNotice(), c.notice == Notice::ImageNotKept) << c.name;
        EXPECT_EQ(model.textNotKeptNotice(), c.notice == Notice::TextNotKept) << c.name;
        EXPECT_EQ(model.copyNotKeptNotice(), c.notice == Notice::CopyNotKept) << c.name;
        // The next ordinary copy says "copied" again.
        h.copyText(QStringLiteral("next"));
        EXPECT_FALSE(model.imageNotKeptNotice()) << c.name;
        EXPECT_FALSE(model.textNotKeptNotice()) << c.name;
        EXPECT_FALSE(model.copyNotKeptNotice()) << c.name;
    }
    // An owner that went away (or gave the clipboard up) leaving it empty copied nothing.
    ModelHarness h;
    ClipboardModel &model = h.make();
    h.pasteboard.copyContent(PasteboardContent{});
    model.readClipboardIfChanged();
    ASSERT_TRUE(h.waitForCaptures());
    EXPECT_FALSE(model.copiedNoticeVisible());
}

// A classifier that holds each long text on its worker until the test lets that text through,
// named by its first two characters.
class HeldClassifier
{
public:
    // Lets every held text through and waits until no worker is inside any more.
    ~HeldClassifier()
    {
        releaseAll();
        QMutexLocker lock(&m_mutex);
        while (m_inside > 0)
            m_changed.wait(&m_mutex);
    }

    std::function<TextClassification(const QString &)> function()
    {
        return [this](const QString &text) {
            if (text.size() > ClipboardModel::kInlineClassificationLength) {
                QMutexLocker lock(&m_mutex);
                ++m_inside;
                while (!m_all && !m_released.contains(text.left(2)))
                    m_changed.wait(&m_mutex);
                --m_inside;
                m_changed.wakeAll();
            }
            return TextClassifier::classify(text);
        };
    }
    void release(const QString &name)
    {
        QMutexLocker lock(&m_mutex);
        m_released.insert(name);
        m_changed.wakeAll();
    }
    void releaseAll()
    {
        QMutexLocker lock(&m_mutex);
        m_all = true;
        m_changed.wakeAll();
    }

private:
    QMutex m_mutex;
    QWaitCondition m_changed;
    QSet<QString> m_released;
    bool m_all = false;
    int m_inside = 0;
};

QString longText(const QString &name, const QString &body = QStringLiteral("x"))
{
    return name + body.repeated(ClipboardModel::kInlineClassificationLength);
}

TEST(ClipboardModelCapture, AShortCopyIsNotHeldUpByTheClassificationOfALongOneMadeBeforeIt)
{
    HeldClassifier classifier;
    ModelHarness h;
    h.classifyText = classifier.function();
    ClipboardModel &model = h.make();
    const QString first = longText(QStringLiteral("A:"));
    const QString second = longText(QStringLiteral("B:"), QStringLiteral("{\"k\": 1} "));
    model.copyUsingShortcut(false, 0);
    h.copyText(first);
    h.copyText(second);
    model.copyUsingShortcut(false, 0);
    h.copyText(QStringLiteral("short"));
    // Both long texts are still being classified; the short one made after them is stored.
    EXPECT_EQ(model.pendingCaptureCount(), 2);
    EXPECT_EQ(h.entryTexts(), QStringList{QStringLiteral("short")});
    EXPECT_EQ(h.storedHistory().size(), 1);
    ASSERT_EQ(model.pasteStackEntryIDs().size(), 1);
    EXPECT_TRUE(model.copiedNoticeVisible());

    // Finished in the reverse order, each still takes its place by the order of the copies, in
    // the history and in the Paste Stack.
    classifier.release(QStringLiteral("B:"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.pendingCaptureCount() == 1; }, 20000));
    EXPECT_EQ(h.entryTexts(), (QStringList{QStringLiteral("short"), second}));
    EXPECT_EQ(model.entries().at(1).kind, ClipboardKind::Code);
    classifier.release(QStringLiteral("A:"));
    ASSERT_TRUE(h.waitForCaptures());
    EXPECT_EQ(h.entryTexts(), (QStringList{QStringLiteral("short"), second, first}));
    const QStringList stack = model.pasteStackEntryIDs();
    ASSERT_EQ(stack.size(), 2);
    EXPECT_EQ(stack.at(0), model.entries().at(2).id);
    EXPECT_EQ(stack.at(1), model.entries().at(0).id);
    QStringList stored;
    for (const ClipboardEntry &entry : h.storedHistory())
        stored.append(entry.text);
    EXPECT_EQ(stored, h.entryTexts());
}

TEST(ClipboardModelCapture, ALongSecretIsDroppedWhenItsClassificationEndsAndTheRestStay)
{
    HeldClassifier classifier;
    ModelHarness h;
    h.classifyText = classifier.function();
    ClipboardModel &model = h.make();
    h.copyText(QStringLiteral("before"));
    h.copyText(longText(QStringLiteral("S:"), QStringLiteral("password: hunter2 ")));
    h.copyText(QStringLiteral("after"));
    EXPECT_EQ(h.entryTexts(), (QStringList{QStringLiteral("after"), QStringLiteral("before")}));
    EXPECT_EQ(model.pendingCaptureCount(), 1);
    classifier.release(QStringLiteral("S:"));
    ASSERT_TRUE(h.waitForCaptures());
    EXPECT_EQ(h.entryTexts(), (QStringList{QStringLiteral("after"), QStringLiteral("before")}));
}

TEST(ClipboardModelCapture, ALongTextStillBeingClassifiedWhenTheModelEndsIsStored)
{
    HeldClassifier classifier;
    ModelHarness h;
    h.classifyText = classifier.function();
    ClipboardModel &model = h.make();
    const QString text = longText(QStringLiteral("L:"));
    h.copyText(text);
    ASSERT_EQ(model.pendingCaptureCount(), 1);
    classifier.release(QStringLiteral("L:"));
    h.model.reset(); // no turn of the event loop delivers the result first
    ASSERT_EQ(h.history.rows().size(), 1);
    const std::optional<ClipboardEntry> stored = HistoryRows::decodeRow(h.history.rows().constFirst());
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->text, text);
}

TEST(ClipboardModelCapture, AModelDestroyedDuringAReductionIsNotTouched)
{
    ModelHarness h;
    ClipboardModel &model = h.make();
    h.pasteboard.copyImage(noisyPngAboveTarget());
    model.readClipboardIfChanged();
    const int writesBefore = h.settings.writeCount();
    h.model.reset(); // the worker finishes later and must find no model
    ASSERT_TRUE(QThreadPool::globalInstance()->waitForDone(20000));
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(h.settings.writeCount(), writesBefore);
    EXPECT_TRUE(h.history.rows().isEmpty());
}

TEST(ClipboardModelCapture, MonitoringStartsOnceFromTheCurrentClipboard)
{
    for (const bool reports : {true, false}) {
        ModelHarness h;
        h.pasteboard.setReportsChanges(reports);
        ClipboardModel &model = h.make();
        h.pasteboard.copyText(QStringLiteral("already there"));
        model.startMonitoring();
        h.pasteboard.copyText(QStringLiteral("after start"));
        model.startMonitoring(); // no new baseline, no second timer or listener
        // Only a clipboard that cannot report its changes is polled.
        EXPECT_EQ(model.findChildren<QTimer *>().size(), reports ? 0 : 1) << reports;
        EXPECT_TRUE(QTest::qWaitFor([&model] { return !model.entries().isEmpty(); })) << reports;
        QCoreApplication::processEvents();
        EXPECT_EQ(h.entryTexts(), QStringList{QStringLiteral("after start")}) << reports;
    }
}

TEST(ClipboardModelCapture, EveryReportedChangeIsTakenInOrderFromItsOwnSnapshot)
{
    ModelHarness h;
    ClipboardModel &model = h.make();
    model.startMonitoring();
    // A burst between two turns of the event loop.
    h.pasteboard.copyText(QStringLiteral("one"));
    h.pasteboard.copyFilePaths({QStringLiteral("/tmp/two.txt")});
    h.pasteboard.copyText(QStringLiteral("  \n"));
    h.pasteboard.copyText(QStringLiteral("three"));
    EXPECT_TRUE(model.entries().isEmpty()); // never inside the clipboard's own call
    QCoreApplication::processEvents();
    EXPECT_EQ(h.entryTexts(), (QStringList{QStringLiteral("three"), QStringLiteral("/tmp/two.txt"), QStringLiteral("one")}));

    // A copy reported just before one of the model's own writes is not lost to it, and the
    // write itself is not recorded.
    h.pasteboard.copyText(QStringLiteral("four"));
    model.writeOwnText(QStringLiteral("own"));
    EXPECT_EQ(h.entryTexts().value(0), QStringLiteral("four"));
    QCoreApplication::processEvents();
    EXPECT_EQ(model.entries().size(), 4);
    EXPECT_EQ(model.lastChangeCount(), h.pasteboard.changeCount());
}

TEST(ClipboardModelCapture, TemporaryEntriesLeaveAtTheirEndTimeWithoutAPoll)
{
    using namespace std::chrono_literals;
    ModelHarness h;
    ClipboardModel &model = h.make();
    model.startMonitoring();
    model.setTemporaryMinutes(2);
    h.copyText(QStringLiteral("two minutes"));
    model.setTemporaryMinutes(1);
    model.copyUsingShortcut(false, 0); // into the Paste Stack
    h.copyText(QStringLiteral("stacked"));
    h.copyText(QStringLiteral("one minute"));
    model.setTemporaryMinutes(0);
    h.copyText(QStringLiteral("kept"));

    h.clock.advance(59s);
    EXPECT_EQ(model.entries().size(), 4);
    h.clock.advance(1s); // an end time equal to now has passed
    EXPECT_EQ(h.entryTexts(), (QStringList{QStringLiteral("kept"), QStringLiteral("stacked"), QStringLiteral("two minutes")}));
    model.setPasteStackEntryIDs({});
    h.clock.advance(0s);
    EXPECT_EQ(h.entryTexts(), (QStringList{QStringLiteral("kept"), QStringLiteral("two minutes")}));
    h.clock.advance(60s);
    EXPECT_EQ(h.entryTexts(), QStringList{QStringLiteral("kept")});
    // With nothing temporary left, nothing stays armed to wake the program.
    h.clock.advance(10s);
    EXPECT_EQ(h.clock.pendingCount(), 0u);
}

} // namespace

namespace {

PasteboardContent offered(const QString &text, const QStringList &targets)
{
    PasteboardContent content;
    content.text = text;
    content.targets = targets;
    return content;
}

// A change of the clipboard as the display reports it, and the poll step after it.
void offer(ModelHarness &h, const PasteboardContent &content)
{
    h.pasteboard.copyContent(content);
    h.model->readClipboardIfChanged();
}

const QStringList kWaylandTextTargets{QStringLiteral("text/plain;charset=utf-8"), QStringLiteral("UTF8_STRING"),
                                      QStringLiteral("TEXT")};

} // namespace

TEST(ClipboardModelCapture, UnderWaylandTheClipboardOfferedAgainUnchangedIsNoCopy)
{
    ModelHarness h;
    h.pasteboard.setReoffersContent(true);
    const PasteboardContent before = offered(QStringLiteral("held before the start"), kWaylandTextTargets);
    h.pasteboard.copyContent(before);
    h.make().startMonitoring();

    // Each focus move to an X11 window hands the clipboard over again.
    offer(h, before);
    // An owner that refuses for a moment while the clipboard is passed on delivers nothing.
    PasteboardContent refused;
    refused.targets = QStringList{QStringLiteral("UTF8_STRING"), QStringLiteral("STRING")};
    offer(h, refused);
    offer(h, before);
    EXPECT_TRUE(h.model->entries().isEmpty());
    const PasteboardContent copied = offered(QStringLiteral("one copy"), kWaylandTextTargets);
    for (int focusMove = 0; focusMove < 3; ++focusMove)
        offer(h, copied);
    EXPECT_EQ(h.entryTexts(), QStringList{QStringLiteral("one copy")});

    // The same text from a program that offers other types is a copy of its own, and so is
    // the earlier content once something else came between.
    offer(h, offered(QStringLiteral("one copy"), {QStringLiteral("UTF8_STRING"), QStringLiteral("text/html")}));
    offer(h, copied);
    EXPECT_EQ(h.model->entries().size(), 3);

    // After a paste the clipboard held Tarnel's own write, so the earlier copy coming back is new.
    h.model->writeOwnText(QStringLiteral("pasted by Tarnel"));
    offer(h, copied);
    EXPECT_EQ(h.model->entries().size(), 4);

    // A copy the user asks for (into the Paste Stack) is taken even when nothing changed.
    h.model->copyUsingShortcut(false, 0);
    offer(h, copied);
    EXPECT_EQ(h.model->entries().size(), 5);
    EXPECT_EQ(h.model->pasteStackEntryIDs(), QStringList{h.model->entries().first().id});
    EXPECT_EQ(h.model->lastChangeCount(), h.pasteboard.changeCount());
}

TEST(ClipboardModelCapture, OnAnX11SessionTheSameTextCopiedTwiceIsTwoEntries)
{
    ModelHarness h;
    const PasteboardContent before = offered(QStringLiteral("held before the start"), {QStringLiteral("UTF8_STRING")});
    h.pasteboard.copyContent(before);
    h.make().startMonitoring();
    EXPECT_TRUE(h.model->entries().isEmpty());
    // A new owner is a new copy there, whatever it holds.
    offer(h, before);
    offer(h, offered(QStringLiteral("twice"), {QStringLiteral("UTF8_STRING")}));
    offer(h, offered(QStringLiteral("twice"), {QStringLiteral("UTF8_STRING")}));
    EXPECT_EQ(h.entryTexts(), (QStringList{QStringLiteral("twice"), QStringLiteral("twice"),
                                           QStringLiteral("held before the start")}));
}
