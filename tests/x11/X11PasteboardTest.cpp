#include "core/HeapRelease.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11PasteboardImageOffer.h"
#include "platform/x11/X11SelectionReader.h"
#include "platform/x11/X11TextInSteps.h"

#include <QAbstractNativeEventFilter>
#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QMimeData>
#include <QProcess>
#include <QScopeGuard>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <atomic>

#include <fcntl.h>
#include <xcb/xcb.h>
#include <unistd.h>

#include "X11TestSupport.h"
#include "support/TestImages.h"

namespace {

using namespace std::chrono_literals;

// The memory this process holds in RAM (VmRSS), in megabytes.
qint64 residentMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() / 1024;
    }
    return -1;
}

constexpr int kWaitMs = 5000;

PasteboardContent content(std::optional<QString> text, QList<PasteboardImage> images = {}, QStringList paths = {})
{
    PasteboardContent content;
    content.text = std::move(text);
    content.images = std::move(images);
    content.filePaths = std::move(paths);
    return content;
}

// The content as read, its offered types compared apart.
PasteboardContent withoutTargets(PasteboardContent content)
{
    content.targets.clear();
    return content;
}

class X11PasteboardTest : public ::testing::Test
{
protected:
    void SetUp() override { startPasteboard({}); }

    void TearDown() override
    {
        for (QProcess *p : m_processes) {
            p->kill();
            p->waitForFinished(2000);
            delete p;
        }
        // The owner's going is announced to this process too: it must reach this test's pasteboard,
        // not the next test's.
        const Atom clipboard = XInternAtom(x11test::display(), "CLIPBOARD", False);
        EXPECT_TRUE(QTest::qWaitFor([&] { return XGetSelectionOwner(x11test::display(), clipboard) == 0; }));
        m_pasteboard.reset();
    }

    void startPasteboard(X11Pasteboard::Limits limits)
    {
        m_pasteboard = std::make_unique<X11Pasteboard>(limits);
        // Changes left over from earlier tests (an owner that was killed) are counted first.
        countOnceTextArrives(QByteArray("ready ") + QByteArray::number(m_processes.size()));
    }

    void settle() { EXPECT_TRUE(QTest::qWaitFor([&] { return !m_pasteboard->isFetching(); })); }

    // Another program copies and the text arrives: every change before it has been counted.
    // Qt hears of the new owner too, on its own connection and in its own time; until it has,
    // a write of ours carries an older time than that owner's and the server refuses it, as it
    // would for a program writing in the same instant another one copied.
    qint64 countOnceTextArrives(const QByteArray &text)
    {
        QSignalSpy qtHeard(QGuiApplication::clipboard(), &QClipboard::changed);
        copyWithXclip(text);
        EXPECT_TRUE(QTest::qWaitFor([&] { return m_pasteboard->content().text == QString::fromUtf8(text); }));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !qtHeard.isEmpty(); }));
        return m_pasteboard->changeCount();
    }

    QString file(const QString &name, const QByteArray &data)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
        return path;
    }

    // Another program copies: xclip takes the clipboard and serves it until it loses it.
    void copyWithXclip(const QByteArray &data, const QString &target = {})
    {
        auto *p = new QProcess;
        m_processes.append(p);
        QStringList args{"-quiet", "-selection", "clipboard", "-i", file(QString("in%1").arg(m_processes.size()), data)};
        if (!target.isEmpty())
            args << "-t" << target;
        p->start("xclip", args);
        ASSERT_TRUE(p->waitForStarted());
    }

    // Another program copies a text and says "served" each time a program has read it.
    QProcess *offerText(const QByteArray &text)
    {
        auto *p = new QProcess;
        m_processes.append(p);
        p->start(QStringLiteral(TARNEL_PLATFORM_HELPER),
                 {"offer", "UTF8_STRING", file(QString("offer%1").arg(m_processes.size()), text)});
        return p;
    }

    // Waits for a line of the program's output without turning the event loop.
    static bool waitForOutput(QProcess &process, const QByteArray &line)
    {
        QElapsedTimer clock;
        clock.start();
        QByteArray output;
        while (!output.split('\n').contains(line) && clock.elapsed() < kWaitMs) {
            process.waitForReadyRead(100);
            output += process.readAllStandardOutput();
        }
        return output.split('\n').contains(line);
    }

    // Another program pastes; the event loop keeps running so that Qt can serve it.
    QByteArray pasteWithXclip(const QString &target, int timeoutMs = kWaitMs)
    {
        QProcess p;
        p.start("xclip", {"-o", "-selection", "clipboard", "-t", target});
        (void)QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, timeoutMs);
        return p.readAllStandardOutput();
    }

    qint64 waitForCount(qint64 count)
    {
        (void)QTest::qWaitFor([&] { return m_pasteboard->changeCount() >= count; });
        return m_pasteboard->changeCount();
    }

    static QByteArray png(int width, int height)
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(QColor(200, 40, 90));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return bytes;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<X11Pasteboard> m_pasteboard;
    QList<QProcess *> m_processes;
};

TEST_F(X11PasteboardTest, AForeignCopyRaisesTheCountAndReadsBackByKind)
{
    const QByteArray image = png(40, 30);
    const struct {
        const char *name;
        QByteArray data;
        QString target;
        PasteboardContent expected;
    } cases[] = {
        {"text", "Ahoj, svet ✓ žluťoučký kôň", {}, content("Ahoj, svet ✓ žluťoučký kôň")},
        {"invalid UTF-8 is read as Latin-1", "\xff\xfe bad", "UTF8_STRING", content(QString::fromLatin1("\xff\xfe bad"))},
        {"PNG image", image, "image/png", content(std::nullopt, {{"image/png", image}})},
        {"file URLs", "file:///tmp/a%20b.txt\r\nfile:///tmp/%C5%BE.png\r\n", "text/uri-list",
         content(std::nullopt, {}, {"/tmp/a b.txt", "/tmp/ž.png"})},
        {"URL list with a web address", "file:///tmp/a.txt\r\nhttps://example.com/\r\n", "text/uri-list", {}},
    };
    for (const auto &c : cases) {
        const qint64 before = m_pasteboard->changeCount();
        copyWithXclip(c.data, c.target);
        EXPECT_EQ(waitForCount(before + 1), before + 1) << c.name;
        EXPECT_EQ(withoutTargets(m_pasteboard->content()), c.expected) << c.name;
        EXPECT_TRUE(m_pasteboard->content().targets.contains(c.target.isEmpty() ? QStringLiteral("UTF8_STRING") : c.target))
            << c.name;
        settle();
    }
}

// A program that offers its picture in several forms is read in the lossless one, whatever
// its order: the history keeps the picture as it was copied.
TEST_F(X11PasteboardTest, AnImageOfferedInSeveralFormsIsReadAsPng)
{
    const QByteArray pngBytes = png(12, 8);
    QByteArray jpegBytes;
    QBuffer buffer(&jpegBytes);
    buffer.open(QIODevice::WriteOnly);
    QImage(12, 8, QImage::Format_RGB32).save(&buffer, "JPEG");
    ASSERT_FALSE(jpegBytes.isEmpty());

    const qint64 before = m_pasteboard->changeCount();
    auto *owner = new QProcess;
    m_processes.append(owner);
    owner->start(QStringLiteral(TARNEL_PLATFORM_HELPER),
                 {"offer", "image/jpeg", file("a.jpg", jpegBytes), "image/bmp", file("a.bmp", "BM"), "image/png",
                  file("a.png", pngBytes), "UTF8_STRING", file("a.txt", "obrázok")});
    ASSERT_TRUE(owner->waitForStarted());
    ASSERT_TRUE(owner->waitForReadyRead(kWaitMs));
    ASSERT_EQ(waitForCount(before + 1), before + 1);
    EXPECT_EQ(withoutTargets(m_pasteboard->content()), content("obrázok", {{"image/png", pngBytes}}));
    // Every type offered is known, in the owner's order, whichever of them was read.
    const QStringList targets = m_pasteboard->content().targets;
    ASSERT_TRUE(targets.contains(QStringLiteral("image/jpeg")) && targets.contains(QStringLiteral("UTF8_STRING")));
    EXPECT_LT(targets.indexOf(QStringLiteral("image/jpeg")), targets.indexOf(QStringLiteral("image/png")));
}

TEST_F(X11PasteboardTest, CopiesMadeWhileTheMainThreadIsBusyAreAnnouncedOneByOneInOrder)
{
    QStringList announced;
    QObject::connect(m_pasteboard.get(), &Pasteboard::changeCountChanged, m_pasteboard.get(),
                     [&] { announced.append(m_pasteboard->content().text.value_or(QString())); });
    // The event loop does not turn while the copies are made: only the reader thread sees them.
    // Each copy is made once the one before has been read: an owner replaced before anyone
    // asked for its content has taken that content with it, and on a busy machine the reader
    // may not get to ask within a fixed pause.
    QStringList copied;
    for (int i = 0; i < 10; ++i) {
        copied.append(QStringLiteral("burst %1").arg(i));
        QProcess *owner = offerText(copied.last().toUtf8());
        ASSERT_TRUE(waitForOutput(*owner, "served")) << "nobody read copy " << i;
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return announced.size() >= copied.size(); }, kWaitMs));
    EXPECT_EQ(announced, copied);
}

TEST_F(X11PasteboardTest, TwoIdenticalCopiesCountTwiceAndSelectingTextIsNoCopy)
{
    const qint64 first = countOnceTextArrives("same");
    copyWithXclip("same");
    ASSERT_EQ(waitForCount(first + 1), first + 1);

    auto *p = new QProcess;
    m_processes.append(p);
    p->start("xclip", {"-quiet", "-selection", "primary", "-i", file("primary", "selected only")});
    ASSERT_TRUE(p->waitForStarted());
    ASSERT_TRUE(QTest::qWaitFor([] {
        QProcess read;
        read.start("xclip", {"-o", "-selection", "primary"});
        return read.waitForFinished(kWaitMs) && read.readAllStandardOutput() == "selected only";
    }));
    EXPECT_EQ(countOnceTextArrives("copied"), first + 2);
}

TEST_F(X11PasteboardTest, OwnWritesAreCountedOnceBeforeTheyReturnAndOthersCanPasteThem)
{
    const QByteArray image = png(17, 9);
    const qint64 before = m_pasteboard->changeCount();

    const qint64 textCount = m_pasteboard->writeText("vložený text ✓");
    EXPECT_GT(textCount, before);
    EXPECT_EQ(m_pasteboard->changeCount(), textCount);
    EXPECT_EQ(m_pasteboard->content().text, "vložený text ✓");
    EXPECT_EQ(QString::fromUtf8(pasteWithXclip("UTF8_STRING")), "vložený text ✓");

    const qint64 filesCount = m_pasteboard->writeFilePaths({"/tmp/a b.txt", "/tmp/c.txt"});
    EXPECT_EQ(filesCount, textCount + 1);
    EXPECT_EQ(X11SelectionReader::filePathsFromUriList(pasteWithXclip("text/uri-list")),
              (QStringList{"/tmp/a b.txt", "/tmp/c.txt"}));

    const qint64 imageCount = m_pasteboard->writeImage(image);
    EXPECT_EQ(imageCount, filesCount + 1);
    QImage pasted;
    ASSERT_TRUE(pasted.loadFromData(pasteWithXclip("image/png"), "PNG"));
    EXPECT_EQ(pasted.size(), QSize(17, 9));

    // Bytes that are no image are still offered, unchanged, as PNG.
    m_pasteboard->writeImage("not an image");
    EXPECT_EQ(pasteWithXclip("image/png"), "not an image");

    // Losing the clipboard to another program is a change like any other; Qt's own reports of
    // our ownership before it are not.
    EXPECT_EQ(countOnceTextArrives("after"), imageCount + 2);
}

// A kept picture goes out under the type it has, byte for byte, and as a PNG for the programs
// that read only that, whatever its size: a colour JPEG of 36 megapixels is beyond what Qt
// decodes by default.
TEST_F(X11PasteboardTest, AKeptJpegIsPastedAsJpegAndAsAPngOfTheSamePicture)
{
    QImage photo(8000, 4500, QImage::Format_RGB32);
    photo.fill(QColor(30, 120, 200));
    for (int y = 0; y < photo.height(); y += 50)
        std::fill_n(reinterpret_cast<QRgb *>(photo.scanLine(y)), photo.width(), qRgb(240, 200, 20));
    QByteArray jpeg;
    QBuffer out(&jpeg);
    out.open(QIODevice::WriteOnly);
    ASSERT_TRUE(photo.save(&out, "JPEG", 70));
    photo = QImage();

    const qint64 count = m_pasteboard->writeImage(jpeg);
    EXPECT_EQ(m_pasteboard->content().images, (QList<PasteboardImage>{{"image/jpeg", jpeg}}));
    const QList<QByteArray> targets = pasteWithXclip("TARGETS").split('\n');
    EXPECT_TRUE(targets.contains("image/jpeg")) << targets.join(' ').toStdString();
    EXPECT_TRUE(targets.contains("image/png")) << targets.join(' ').toStdString();
    EXPECT_EQ(pasteWithXclip("image/jpeg"), jpeg);

    QByteArray asPng = pasteWithXclip("image/png", 60000);
    ASSERT_TRUE(asPng.startsWith("\x89PNG")) << asPng.left(16).toHex().toStdString();
    QBuffer in(&asPng);
    in.open(QIODevice::ReadOnly);
    QImageReader reader(&in);
    EXPECT_EQ(reader.size(), QSize(8000, 4500));
    reader.setScaledSize(QSize(80, 45));
    // The blue page, its thin yellow bands averaged in and JPEG's loss aside.
    const QRgb seen = reader.read().pixel(40, 20);
    EXPECT_NEAR(qRed(seen), 30, 16);
    EXPECT_NEAR(qGreen(seen), 120, 16);
    EXPECT_NEAR(qBlue(seen), 200, 16);

    // A PNG is offered as it is kept, and only as PNG.
    const QByteArray small = png(6, 4);
    m_pasteboard->writeImage(small);
    EXPECT_EQ(pasteWithXclip("image/png"), small);
    EXPECT_FALSE(pasteWithXclip("TARGETS").split('\n').contains("image/jpeg"));
    EXPECT_EQ(countOnceTextArrives("after"), count + 2);
}

// Text selected in one of Tarnel's own windows and copied is a copy like another program's; the
// writes that Tarnel makes to paste are not.
TEST_F(X11PasteboardTest, ACopyMadeInOurOwnWindowCountsOnceAndOurWritesDoNot)
{
    const qint64 before = m_pasteboard->changeCount();
    QSignalSpy announced(m_pasteboard.get(), &Pasteboard::changeCountChanged);
    // What a text field's Ctrl+C does. Qt stamps it with the last time it heard from the server;
    // until it has heard of the copy before (which it learns in its own time), the server
    // refuses it, as it refuses any program copying in the instant another one did. A refused
    // copy never reached the clipboard and is not counted; the first one taken is, once.
    ASSERT_TRUE(QTest::qWaitFor([&] {
        QGuiApplication::clipboard()->setText(QStringLiteral("vybraný text ✓"));
        return m_pasteboard->changeCount() > before;
    }));
    EXPECT_EQ(m_pasteboard->changeCount(), before + 1);
    EXPECT_EQ(m_pasteboard->content().text, QStringLiteral("vybraný text ✓"));
    EXPECT_EQ(QString::fromUtf8(pasteWithXclip("UTF8_STRING")), QStringLiteral("vybraný text ✓"));

    auto *files = new QMimeData;
    files->setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a b.txt"))});
    QGuiApplication::clipboard()->setMimeData(files);
    EXPECT_EQ(m_pasteboard->changeCount(), before + 2);
    EXPECT_EQ(m_pasteboard->content().filePaths, QStringList{QStringLiteral("/tmp/a b.txt")});

    EXPECT_EQ(m_pasteboard->writeText(QStringLiteral("vložené")), before + 3);
    // Selecting text in a window of ours is no copy either.
    QGuiApplication::clipboard()->setText(QStringLiteral("len vybrané"), QClipboard::Selection);
    EXPECT_EQ(countOnceTextArrives("after"), before + 4);
    EXPECT_EQ(announced.size(), 4);
}

// A text lent to the primary selection goes back once a program has read it, long before the
// loan's limit, and unread at that limit: then the user's own selection is there again, or
// nothing. What Qt holds is looked at in this process; the lent text itself is not read.
TEST_F(X11PasteboardTest, ALentPrimarySelectionGoesBackOnceReadOrAtItsLimit)
{
    const struct {
        const char *name;
        std::chrono::milliseconds limit;
        bool read;
        std::optional<QString> restore;
    } loans[] = {
        {"read, the user's selection back", 60s, true, QStringLiteral("vybraté")},
        {"read, nothing was selected", 60s, true, std::nullopt},
        {"never read", X11Pasteboard::kPrimaryLoanLimit, false, QStringLiteral("vybraté")},
    };
    const QString lent = QStringLiteral("požičané");
    const auto held = [&] {
        const QMimeData *mime = QGuiApplication::clipboard()->mimeData(QClipboard::Selection);
        if (qobject_cast<const X11PrimaryOffer *>(mime))
            return lent;
        return mime ? mime->text() : QString();
    };
    for (const auto &loan : loans) {
        SCOPED_TRACE(loan.name);
        X11Pasteboard::Limits limits;
        limits.primaryLoanLimit = loan.limit;
        startPasteboard(limits);
        ASSERT_TRUE(m_pasteboard->lendPrimarySelection(lent, loan.restore));
        EXPECT_EQ(held(), lent);
        if (loan.read) {
            EXPECT_EQ(x11test::readSelection("primary"), lent);
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return held() == loan.restore.value_or(QString()); }, kWaitMs))
            << "[" << held().toStdString() << "]";
    }
}

// Each row holds one of the two limits short and the other far past the wait for the change,
// so that the change arrives only if the short one gave the owner up; a reader that ignored it
// would still be waiting when the test stops looking, however fast or slow the machine.
TEST_F(X11PasteboardTest, AnOwnerThatNeverAnswersDoesNotHoldUpTheMainThread)
{
    constexpr auto kShortLimit = 2000ms;
    constexpr auto kChangeWait = 30000ms;
    constexpr auto kBeyondTheWait = 10 * kChangeWait;
    const struct {
        const char *name;
        std::chrono::milliseconds replyTimeout;
        std::chrono::milliseconds fetchDeadline;
    } rows[] = {
        {"given up when one answer is late", kShortLimit, kBeyondTheWait},
        {"given up at the fetch's deadline", kBeyondTheWait, kShortLimit},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        X11Pasteboard::Limits limits;
        limits.replyTimeout = row.replyTimeout;
        limits.fetchDeadline = row.fetchDeadline;
        startPasteboard(limits);
        const qint64 before = m_pasteboard->changeCount();

        auto *owner = new QProcess;
        m_processes.append(owner);
        owner->start(QStringLiteral(TARNEL_PLATFORM_HELPER), {"silent-owner"});
        ASSERT_TRUE(owner->waitForStarted());
        ASSERT_TRUE(owner->waitForReadyRead(kWaitMs));

        // The main thread keeps polling while the owner is waited on. Its turns are counted only
        // while that change is still unanswered: a main thread that waited for the owner turns
        // only after it, however fast or slow the machine is, so none would count.
        int turnsWhileUnanswered = 0;
        QTimer ticker;
        ticker.setInterval(5);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            if (m_pasteboard->isFetching() && m_pasteboard->changeCount() == before)
                ++turnsWhileUnanswered;
            (void)m_pasteboard->content();
        });
        ticker.start();
        EXPECT_TRUE(QTest::qWaitFor([&] { return turnsWhileUnanswered >= 3; }, kWaitMs))
            << "the main thread waited for the owner";
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_pasteboard->changeCount() > before; }, int(kChangeWait.count())))
            << "the owner was waited on beyond the limit";
        ticker.stop();
        EXPECT_TRUE(m_pasteboard->content().incomplete);
        EXPECT_EQ(m_pasteboard->content().text, std::nullopt);

        // The reader is free again for the next owner.
        EXPECT_EQ(countOnceTextArrives(QByteArray("next after ") + row.name), before + 2);
    }
}

TEST_F(X11PasteboardTest, AnOversizedCopyIsPassedOverAndReported)
{
    // Texts and images have caps of their own.
    const struct {
        const char *name;
        const char *type;
        qint64 textCap;
        qint64 imageCap;
        qint64 size;
        bool oversized;
    } cases[] = {
        {"50 MB under the default cap", "UTF8_STRING", X11Pasteboard::kMaxRepresentationBytes,
         X11Pasteboard::kMaxImageBytes, 50'000'000, true},
        {"one property over a small cap", "UTF8_STRING", 4000, X11Pasteboard::kMaxImageBytes, 4001, true},
        {"20 MB in pieces under the default cap", "UTF8_STRING", X11Pasteboard::kMaxRepresentationBytes,
         X11Pasteboard::kMaxImageBytes, 20'000'000, false},
        {"a 50 MB image under the default image cap", "image/png", X11Pasteboard::kMaxRepresentationBytes,
         X11Pasteboard::kMaxImageBytes, 50'000'000, false},
        {"an image one byte over a small image cap", "image/png", X11Pasteboard::kMaxRepresentationBytes, 4000, 4001,
         true},
        // A copy exactly at its cap is kept, in one property or in pieces.
        {"one property exactly at a small cap", "UTF8_STRING", 4000, X11Pasteboard::kMaxImageBytes, 4000, false},
        {"an image exactly at a small image cap", "image/png", X11Pasteboard::kMaxRepresentationBytes, 4000, 4000,
         false},
        {"a text of exactly 32 MiB", "UTF8_STRING", X11Pasteboard::kMaxRepresentationBytes,
         X11Pasteboard::kMaxImageBytes, X11Pasteboard::kMaxRepresentationBytes, false},
        {"an image of exactly 100,000,000 bytes", "image/png", X11Pasteboard::kMaxRepresentationBytes,
         X11Pasteboard::kMaxImageBytes, X11Pasteboard::kMaxImageBytes, false},
    };
    for (const auto &c : cases) {
        X11Pasteboard::Limits limits;
        limits.maxBytes = c.textCap;
        limits.maxImageBytes = c.imageCap;
        startPasteboard(limits);
        const qint64 before = m_pasteboard->changeCount();
        copyWithXclip(QByteArray(c.size, 'a'), c.type);
        ASSERT_EQ(waitForCount(before + 1), before + 1) << c.name;
        const PasteboardContent content = m_pasteboard->content();
        const bool image = QByteArray(c.type).startsWith("image/");
        const qsizetype read = image ? (content.images.isEmpty() ? 0 : content.images.first().data.size())
                                     : content.text.value_or(QString()).size();
        if (c.oversized) {
            EXPECT_EQ(content.oversizedTypes, QStringList{c.type}) << c.name;
            EXPECT_EQ(read, 0) << c.name;
        } else {
            EXPECT_TRUE(content.oversizedTypes.isEmpty()) << c.name;
            EXPECT_EQ(read, c.size) << c.name;
        }
        // Passed over, the transfer was still taken to its end: the copying program goes on
        // serving others, and the clipboard did not change again under it.
        EXPECT_TRUE(pasteWithXclip("TARGETS").contains(c.type)) << c.name;
        EXPECT_EQ(m_pasteboard->changeCount(), before + 1) << c.name;
    }
}

// A program offering an absurd list of types (broken, or out to stall clipboard tools) is
// read within the fetch's deadline: the reader keeps working and the copies after it count.
TEST_F(X11PasteboardTest, AnOwnerOfferingAHugeListOfTypesIsReadWithinTheDeadline)
{
    X11Pasteboard::Limits limits;
    limits.fetchDeadline = 2000ms;
    for (const int extra : {100'000, 1'000'000}) {
        startPasteboard(limits);
        const qint64 before = m_pasteboard->changeCount();
        auto *owner = new QProcess;
        m_processes.append(owner);
        owner->start(QStringLiteral(TARNEL_PLATFORM_HELPER),
                     {"offer", "--extra-targets", QString::number(extra), "UTF8_STRING", file("wide.txt", "wide offer")});
        ASSERT_TRUE(owner->waitForStarted());
        ASSERT_TRUE(waitForOutput(*owner, "owning")) << extra;
        // What keeps the read short is that only the list's first types are looked up (checked
        // below); the wait is long only so that a loaded machine meets it.
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_pasteboard->changeCount() > before; }, 30000)) << extra;
        // Its own text comes first in its list, so it is among the types read.
        EXPECT_EQ(m_pasteboard->content().text, QStringLiteral("wide offer")) << extra;
        EXPECT_LT(m_pasteboard->content().targets.size(), 10'000) << extra;
        EXPECT_EQ(countOnceTextArrives(QByteArray("after ") + QByteArray::number(extra)), before + 2) << extra;
    }
}

// A program on a busy machine answers each request seconds after it came (LibreOffice took more
// than two to list its types under load): its copy is read whole all the same.
TEST_F(X11PasteboardTest, ACopyFromAnOwnerSlowToAnswerIsReadWhole)
{
    const QString text = QStringLiteral("zo zaneprázdneného programu");
    const qint64 before = m_pasteboard->changeCount();
    auto *owner = new QProcess;
    m_processes.append(owner);
    owner->start(QStringLiteral(TARNEL_PLATFORM_HELPER),
                 {"offer", "--answer-after", "2500", "UTF8_STRING", file("slow.txt", text.toUtf8())});
    ASSERT_TRUE(owner->waitForStarted());
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_pasteboard->changeCount() > before; }, 30000));
    EXPECT_EQ(m_pasteboard->content().text, text);
    EXPECT_FALSE(m_pasteboard->content().incomplete);
}

// Quitting wakes the reader wherever it waits on an owner, so that the thread has ended when the
// pasteboard is gone; one the wake did not reach is left behind once the quit's own bound on the
// wait runs out, and says so. The limits are far past that bound, so that only the wake ends it.
TEST_F(X11PasteboardTest, QuittingWhileAnOwnersTypesAreReadWaitsAtMostASecond)
{
    const struct {
        const char *name;
        QStringList owner;
        const char *busyAfter;
    } rows[] = {
        {"waiting for the list of types", {"silent-owner"}, "owning"},
        {"reading a huge list of types",
         {"offer", "--extra-targets", "1000000", "UTF8_STRING", file("wide.txt", "wide offer")},
         "listed"},
    };
    static QStringList s_leftBehind;
    static QtMessageHandler s_previous = nullptr;
    s_previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &message) {
        if (message.contains(QLatin1String("did not stop in time")))
            s_leftBehind.append(message);
        if (s_previous)
            s_previous(type, context, message);
    });
    const auto restore = qScopeGuard([] { qInstallMessageHandler(s_previous); });
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        s_leftBehind.clear();
        X11Pasteboard::Limits limits;
        limits.replyTimeout = 60s;
        limits.fetchDeadline = 60s;
        startPasteboard(limits);
        auto *owner = new QProcess;
        m_processes.append(owner);
        owner->start(QStringLiteral(TARNEL_PLATFORM_HELPER), row.owner);
        ASSERT_TRUE(owner->waitForStarted());
        ASSERT_TRUE(waitForOutput(*owner, row.busyAfter));
        m_pasteboard.reset();
        EXPECT_TRUE(s_leftBehind.isEmpty()) << "the reader went on after the quit";
    }
    startPasteboard({});
}

// A password manager marks the secret it copies; such a copy never leaves the reader, so no
// history, in memory or on disk, can hold it. The marking is honoured only as written.
TEST_F(X11PasteboardTest, ACopyMarkedSecretByItsOwnerIsNeverRead)
{
    const QByteArray image = png(9, 9);
    const QString kde = QStringLiteral("x-kde-passwordManagerHint");
    const QString concealed = QStringLiteral("org.nspasteboard.ConcealedType");
    const QString transient = QStringLiteral("org.nspasteboard.TransientType");
    const struct {
        const char *name;
        QString marking;
        QByteArray hint;
        QStringList more;
        PasteboardContent expected;
    } cases[] = {
        {"a password", kde, "secret", {"UTF8_STRING", file("password.txt", "hunter2 correct horse")}, {}},
        {"an image", kde, "secret", {"image/png", file("secret.png", image)}, {}},
        {"another marking", kde, "public", {"UTF8_STRING", file("shown.txt", "not a secret")}, content("not a secret")},
        // The concealed and transient markings keep a copy out whatever they hold.
        {"a concealed password", concealed, "", {"UTF8_STRING", file("concealed.txt", "tr0ub4dor&3")}, {}},
        {"a concealed image", concealed, "1", {"image/png", file("concealed.png", image)}, {}},
        {"a transient password", transient, "", {"UTF8_STRING", file("transient.txt", "s3cr3t one-time")}, {}},
    };
    for (const auto &c : cases) {
        const qint64 before = m_pasteboard->changeCount();
        auto *owner = new QProcess;
        m_processes.append(owner);
        owner->start(QStringLiteral(TARNEL_PLATFORM_HELPER),
                     QStringList{"offer", c.marking, file(QStringLiteral("hint-%1").arg(c.name), c.hint)} + c.more);
        ASSERT_TRUE(owner->waitForStarted()) << c.name;
        ASSERT_EQ(waitForCount(before + 1), before + 1) << c.name;
        EXPECT_EQ(withoutTargets(m_pasteboard->content()), c.expected) << c.name;
        EXPECT_FALSE(m_pasteboard->content().incomplete) << c.name;
        settle();
    }
}

// A file whose name is not UTF-8 (a Latin-1 name from an old archive) is read, kept and pasted
// back as the very bytes of its name, so the paste names the file that was copied: whether the
// copying program percent-encoded the name or sent its bytes raw.
TEST_F(X11PasteboardTest, AFileNameThatIsNotUtf8IsPastedBackByteForByte)
{
    QTemporaryDir dir;
    const QByteArray name = QFile::encodeName(dir.path()) + "/caf\xe9.txt";
    const int fd = ::open(name.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    ::close(fd);
    const QByteArray url = "file://" + name.toPercentEncoding("/");

    const QList<QByteArray> copies{url, "file://" + name};
    for (qsizetype i = 0; i < copies.size(); ++i) {
        const QByteArray &copied = copies.at(i);
        const qint64 before = m_pasteboard->changeCount();
        copyWithXclip(copied + "\r\n", "text/uri-list");
        EXPECT_EQ(waitForCount(before + 1), before + 1) << copied.toStdString();
        const QStringList paths = m_pasteboard->content().filePaths;
        ASSERT_EQ(paths.size(), 1) << copied.toStdString();
        const QByteArray kept =
            QByteArray::fromPercentEncoding(QUrl::fromEncoded(paths.first().toLatin1()).path(QUrl::FullyEncoded).toLatin1());
        EXPECT_EQ(kept, name) << copied.toStdString();
        settle();

        m_pasteboard->writeFilePaths(paths);
        EXPECT_EQ(pasteWithXclip("text/uri-list").trimmed(), url) << copied.toStdString();
        countOnceTextArrives("another copy " + QByteArray::number(i));
    }
}

} // namespace


namespace {

// How long the test holds the shared pool's workers at most, and how often the interface must
// turn meanwhile with a program waiting for the PNG.
constexpr int kHeldWorkerLimitMs = 20000;
constexpr int kTurnsWhileWaiting = 5;

// Sees, before Qt and the pasteboard do, each request another program makes for the clipboard's
// PNG, and lets it on.
class PngRequestWitness : public QAbstractNativeEventFilter {
public:
    PngRequestWitness()
    {
        m_pngAtom = xcb_atom_t(XInternAtom(x11test::display(), "image/png", False));
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~PngRequestWitness() override { QCoreApplication::instance()->removeNativeEventFilter(this); }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override
    {
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        if (eventType == "xcb_generic_event_t" && (event->response_type & ~0x80) == XCB_SELECTION_REQUEST
            && reinterpret_cast<const xcb_selection_request_event_t *>(event)->target == m_pngAtom)
            asked = true;
        return false;
    }

    bool asked = false;

private:
    xcb_atom_t m_pngAtom = XCB_ATOM_NONE;
};

} // namespace

// The PNG of a large kept picture takes seconds to make. A program asking for it meanwhile gets
// it when it is ready, and the interface keeps turning the whole time: the shared pool's workers
// are held until the interface has turned with the request waiting and the PNG still to be made,
// however fast or busy the machine.
TEST_F(X11PasteboardTest, APngPasteOfALargeKeptImageNeverStopsTheMainThread)
{
    // A gradient under fine grain, as a photo has: its PNG is larger than one request to the
    // server may carry, so it goes out in steps.
    QImage photo(7360, 4912, QImage::Format_RGB32);
    quint32 grain = 12345;
    for (int y = 0; y < photo.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(photo.scanLine(y));
        for (int x = 0; x < photo.width(); ++x) {
            grain = grain * 1664525u + 1013904223u;
            const int noise = int(grain >> 28);
            line[x] = qRgb(std::min(255, x * 240 / photo.width() + noise), std::min(255, y * 240 / photo.height() + noise),
                           (x ^ y) & 0xff);
        }
    }
    QByteArray jpeg;
    QBuffer out(&jpeg);
    out.open(QIODevice::WriteOnly);
    ASSERT_TRUE(photo.save(&out, "JPEG", 85));
    photo = QImage();

    // The workers stay held for a bounded time even if the main thread stands still, so that such
    // a fault fails the test rather than hanging it.
    std::atomic<bool> released = false;
    QSemaphore gate;
    const int workers = QThreadPool::globalInstance()->maxThreadCount();
    for (int i = 0; i < workers; ++i)
        QThreadPool::globalInstance()->start([&] {
            (void)gate.tryAcquire(1, kHeldWorkerLimitMs);
            released = true;
        });
    bool opened = false;
    const auto releaseWorkers = [&] {
        if (!opened)
            gate.release(workers);
        opened = true;
    };
    const auto waitForWorkers = qScopeGuard([&] {
        releaseWorkers();
        QThreadPool::globalInstance()->waitForDone();
    });
    m_pasteboard->writeImage(jpeg);
    const auto *offer = qobject_cast<const X11PasteboardImageOffer *>(QGuiApplication::clipboard()->mimeData());
    ASSERT_TRUE(offer && offer->png().isValid()) << "the kept JPEG is offered with a PNG to be made";
    const QFuture<QByteArray> png = offer->png();

    PngRequestWitness witness;
    int turnsWhileWaiting = 0;
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (witness.asked && !png.isFinished())
            ++turnsWhileWaiting;
    });
    ticker.start();
    const QString received = m_dir.filePath(QStringLiteral("pasted.png"));
    QProcess paste;
    paste.setStandardOutputFile(received);
    paste.start("xclip", {"-o", "-selection", "clipboard", "-t", "image/png"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return witness.asked; }, 30000)) << "xclip never asked for the PNG";
    // A main thread that waited for the PNG would take the queued conversion and run it itself,
    // or wait until the held workers give up: either way the PNG is finished before it turns.
    EXPECT_TRUE(QTest::qWaitFor([&] { return turnsWhileWaiting >= kTurnsWhileWaiting || png.isFinished() || released; }, 60000));
    EXPECT_GE(turnsWhileWaiting, kTurnsWhileWaiting) << "the main thread stood still while the PNG was made";
    EXPECT_EQ(paste.state(), QProcess::Running) << "xclip had its answer before the PNG could be made";
    releaseWorkers();
    ASSERT_TRUE(QTest::qWaitFor([&] { return paste.state() == QProcess::NotRunning; }, 60000));
    ticker.stop();
    EXPECT_EQ(paste.exitCode(), 0) << paste.readAllStandardError().toStdString();

    QImageReader reader(received, "PNG");
    const QImage pasted = reader.read();
    ASSERT_FALSE(pasted.isNull()) << reader.errorString().toStdString();
    EXPECT_EQ(pasted.size(), QSize(7360, 4912));
    // The gradient's corners, JPEG's loss aside.
    EXPECT_NEAR(qRed(pasted.pixel(7359, 0)), 248, 16);
    EXPECT_NEAR(qGreen(pasted.pixel(0, 4911)), 248, 16);
    countOnceTextArrives("after");
}

// Camera photos kept as JPEG, pasted into programs that read images with Qt: Qt asks for the
// PNG first and waits five seconds for it, frozen meanwhile, and does not turn to the JPEG when
// the wait runs out. Each picture arrives whole and soon, and xclip reads it as a PNG of the
// same size. A 36 MP photo needs more than Qt's own decode limit (128 MB): that reader raises
// it, as programs that show photos do.
TEST_F(X11PasteboardTest, KeptCameraPhotosReachQtProgramsWholeAndXclipAsPng)
{
    const struct {
        const char *name;
        QSize size;
        QStringList readerOptions;
    } photos[] = {
        {"24 MP, Qt's own decode limit", QSize(6000, 4000), {}},
        {"36 MP, decode limit raised", QSize(7360, 4912), {"--image-limit", "512"}},
    };
    for (const auto &photo : photos) {
        SCOPED_TRACE(photo.name);
        const QByteArray jpeg = cameraPhotoJpeg(photo.size.width(), photo.size.height());
        x11test::Fixture reader("reader", {}, QStringLiteral("400x200+100+100"),
                                QStringList{"--image-out", "@image"} + photo.readerOptions);
        ASSERT_TRUE(reader.waitForKeyboard());

        m_pasteboard->writeImage(jpeg);
        x11test::xdotool({"key", "ctrl+v"});
        ASSERT_TRUE(QTest::qWaitFor([&] { return reader.file("image").endsWith('\n'); }, 30000)) << reader.errorOutput().constData();
        const QList<QByteArray> read = reader.file("image").trimmed().split(' ');
        const QByteArray size = QByteArray::number(photo.size.width()) + 'x' + QByteArray::number(photo.size.height());
        EXPECT_EQ(read.value(0), size) << "the Qt program read its image after " << read.value(1).toStdString() << " ms; "
                                       << reader.errorOutput().constData();
        RecordProperty(photo.name, read.value(1).toStdString());

        QByteArray asPng = pasteWithXclip("image/png", 60000);
        ASSERT_TRUE(asPng.startsWith("\x89PNG")) << asPng.left(16).toHex().toStdString();
        QBuffer in(&asPng);
        in.open(QIODevice::ReadOnly);
        QImageReader png(&in, "PNG");
        png.setAllocationLimit(512);
        const QImage pasted = png.read();
        ASSERT_FALSE(pasted.isNull()) << png.errorString().toStdString();
        EXPECT_EQ(pasted.size(), photo.size);
        // The gradient's far corners, grain and JPEG's loss aside.
        EXPECT_NEAR(qRed(pasted.pixel(photo.size.width() - 1, 0)), 215, 20);
        EXPECT_NEAR(qGreen(pasted.pixel(0, photo.size.height() - 1)), 215, 20);
    }
    countOnceTextArrives("after");
}

// The same photos pasted into a program that reads images with GTK (the PNG first too): each
// arrives whole, and soon.
TEST_F(X11PasteboardTest, KeptCameraPhotosReachGtkProgramsWhole)
{
    for (const QSize size : {QSize(6000, 4000), QSize(7360, 4912)}) {
        SCOPED_TRACE(size.width());
        m_pasteboard->writeImage(cameraPhotoJpeg(size.width(), size.height()));
        QProcess reader;
        reader.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(TARNEL_SOURCE_DIR "/tests/fixtures/gtk-reader/gtk-image-reader.py")});
        ASSERT_TRUE(reader.waitForStarted());
        ASSERT_TRUE(QTest::qWaitFor([&] { return reader.state() == QProcess::NotRunning; }, 60000));
        const QList<QByteArray> read = reader.readAllStandardOutput().trimmed().split(' ');
        EXPECT_EQ(read.value(0), QByteArray::number(size.width()) + 'x' + QByteArray::number(size.height()))
            << "after " << read.value(1).toStdString() << " ms; " << reader.readAllStandardError().toStdString();
        RecordProperty(QStringLiteral("gtkReaderMilliseconds%1").arg(size.width()).toStdString(), read.value(1).toStdString());
    }
    countOnceTextArrives("after");
}

// Pasting a camera photo again and again costs memory only while it is on the clipboard: once a
// text has taken the clipboard back, what its conversions took is given back.
TEST_F(X11PasteboardTest, MemoryTakenByPhotoPastesIsGivenBackOnceATextTakesTheClipboard)
{
    // The heap set up as the program sets it up at start.
    HeapRelease::returnLargeBlocksPromptly();
    const QByteArray jpeg = cameraPhotoJpeg(7360, 4912);
    // What earlier work freed is given back first, so that only what the pastes keep counts.
    HeapRelease::giveBackFreeMemory();
    const qint64 before = residentMegabytes();
    ASSERT_GT(before, 0);
    qint64 peak = before;
    for (int paste = 0; paste < 5; ++paste) {
        m_pasteboard->writeImage(jpeg);
        QProcess reader;
        reader.setStandardOutputFile(QProcess::nullDevice());
        reader.start("xclip", {"-o", "-selection", "clipboard", "-t", "image/png"});
        ASSERT_TRUE(QTest::qWaitFor([&] {
            peak = std::max(peak, residentMegabytes());
            return reader.state() == QProcess::NotRunning;
        },
                                    60000));
        EXPECT_EQ(reader.exitCode(), 0);
    }
    countOnceTextArrives("a text");
    // A 36 MP photo decodes to 145 MB and its PNG takes some 45 MB: with all of that given back,
    // what stays is well below even one PNG.
    constexpr qint64 kLeftOverMegabytes = 24;
    (void)QTest::qWaitFor([&] { return residentMegabytes() - before <= kLeftOverMegabytes; }, 3000);
    const qint64 after = residentMegabytes();
    RecordProperty("residentMegabytes", QStringLiteral("%1 before, %2 at most, %3 after").arg(before).arg(peak).arg(after).toStdString());
    EXPECT_LE(after - before, kLeftOverMegabytes) << before << " MB before the pastes, " << peak << " MB at most, " << after << " MB after";
}

// Who reads a text Tarnel put on the clipboard: Tk takes at most 400,000 bytes of one answer
// and gives up on a longer one, xclip takes any.
enum class TextReader { Tk,
                        Xclip };

// What comes onto the clipboard after the text, before it is read.
enum class Then { Nothing,
                  APicture,
                  ACopyInTarnelsWindow };

// A long text written to the clipboard reaches a program whole whatever it reads an answer of,
// and only while it is still what the clipboard holds.
TEST_F(X11PasteboardTest, ALongTextReachesEveryProgramWhole)
{
    if (x11test::run(QStringLiteral("/usr/bin/python3"), {"-c", "import tkinter"}) != 0)
        GTEST_SKIP() << "Python's Tk (python3-tk) is missing; scripts/setup.sh installs it";
    const QString megabyte = QString(1'000'000, QLatin1Char('a'));
    const QString ownCopy = QStringLiteral("vybraný text ✓");
    struct Row {
        const char *name;
        QString written;
        Then then;
        TextReader reader;
        QString expected;
    };
    const Row rows[] = {
        {"a short text, Tk", QStringLiteral("vložený text ✓"), Then::Nothing, TextReader::Tk, QStringLiteral("vložený text ✓")},
        {"a megabyte, Tk", megabyte, Then::Nothing, TextReader::Tk, megabyte},
        // Counted in characters, a step or the whole would come out short.
        {"two-byte letters, Tk", QString(600'000, QChar(0x010D)), Then::Nothing, TextReader::Tk, QString(600'000, QChar(0x010D))},
        {"one byte over a step, xclip", QString(X11TextInSteps::kStepBytes + 1, QLatin1Char('b')), Then::Nothing,
         TextReader::Xclip, QString(X11TextInSteps::kStepBytes + 1, QLatin1Char('b'))},
        {"a megabyte, then a picture, xclip", megabyte, Then::APicture, TextReader::Xclip, QString()},
        {"a megabyte, then a copy in Tarnel's window, xclip", megabyte, Then::ACopyInTarnelsWindow, TextReader::Xclip, ownCopy},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const qint64 written = m_pasteboard->writeText(row.written);
        if (row.then == Then::APicture)
            m_pasteboard->writeImage(png(17, 9));
        // Refused by the server until Qt has heard of its own write before (see above).
        if (row.then == Then::ACopyInTarnelsWindow) {
            ASSERT_TRUE(QTest::qWaitFor([&] {
                QGuiApplication::clipboard()->setText(ownCopy);
                return m_pasteboard->changeCount() > written;
            }));
        }
        QProcess reader;
        if (row.reader == TextReader::Tk) {
            reader.start(QStringLiteral("/usr/bin/python3"),
                         {"-c", "import sys, tkinter\nroot = tkinter.Tk()\nsys.stdout.buffer.write(root.clipboard_get().encode())"});
        } else {
            reader.start(QStringLiteral("xclip"), {"-o", "-selection", "clipboard", "-t", "UTF8_STRING"});
        }
        ASSERT_TRUE(reader.waitForStarted());
        ASSERT_TRUE(QTest::qWaitFor([&] { return reader.state() == QProcess::NotRunning; }, 30000));
        const QString read = QString::fromUtf8(reader.readAllStandardOutput());
        EXPECT_TRUE(read == row.expected) << read.size() << " characters read of " << row.expected.size() << ", from ["
                                          << read.left(40).toStdString() << "]; "
                                          << reader.readAllStandardError().left(400).toStdString();
    }
    countOnceTextArrives("after");
}
