// Image options chosen in Quick Access: the panel view previews, edits and saves the image.
#include "shell/PanelHarness.h"
#include "core/ClipboardImageStore.h"
#include "core/PngEncoder.h"
#include "ui/panel/ClipboardPanelView.h"
#include "ui/quickaccess/QuickImageExport.h"
#include "ui/tools/ImagePreviewSheet.h"
#include "ui/tools/SheetPlacement.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QImageReader>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "support/HeldThreadPool.h"
#include "support/TestImages.h"
#include "support/WidgetEvents.h"

namespace {

QImage sampleImage()
{
    QImage image(24, 16, QImage::Format_RGB32);
    image.fill(QColor(200, 40, 40));
    return image;
}


ClipboardEntry imageEntry(const QString &id)
{
    ClipboardEntry entry;
    entry.id = id;
    entry.kind = ClipboardKind::Image;
    entry.copiedAt = QDateTime::currentDateTimeUtc();
    return entry;
}

QByteArray formatOf(const QString &path)
{
    QImageReader reader(path);
    return reader.canRead() ? reader.format().toLower() : QByteArray();
}

class QuickImageActionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        harness.controller->show();
        view = std::make_unique<ClipboardPanelView>(harness.model, harness.wholeModel.get(), *harness.controller, false);
        view->setSavePanel([this](const QString &proposedName, QuickImageAction format,
                                  std::function<void(const QString &)> onChosen) {
            asked.append({proposedName, format});
            if (!chosenPath.isEmpty())
                onChosen(chosenPath);
        });
        QObject::connect(view.get(), &ClipboardPanelView::saveFailed, [this] { ++failures; });
        storedImagePath = dir.filePath(QStringLiteral("stored.png"));
        ASSERT_TRUE(sampleImage().save(storedImagePath, "PNG"));
        storeImagePath = ClipboardImageStore(harness.folder.filePath(QStringLiteral("Clipboard Images")))
                             .save(encodedImage(sampleImage()))
                             .path;
        ASSERT_FALSE(storeImagePath.isEmpty());
    }
    void TearDown() override
    {
        if (QWidget *sheet = view->imageSheet())
            delete sheet;
        view.reset();
    }

    QTemporaryDir dir;
    PanelHarness harness;
    std::unique_ptr<ClipboardPanelView> view;
    QList<QPair<QString, QuickImageAction>> asked;
    QString chosenPath;
    int failures = 0;
    QString storedImagePath;
    // The same picture in the model's image store.
    QString storeImagePath;
};

TEST_F(QuickImageActionsTest, SavesTheImageInTheChosenFormatFromEachPlaceItCanLiveIn)
{
    struct Case {
        const char *name;
        QuickImageAction format;
        std::function<void(ClipboardEntry &)> source;
        QByteArray expectedFormat;
        QString expectedName;
    };
    const Case cases[] = {
        {"bytes in memory as PNG", QuickImageAction::SavePNG,
         [](ClipboardEntry &e) { e.imageData = encodedImage(sampleImage()); }, "png", "Tarnel-0123abcd.png"},
        {"image store file", QuickImageAction::SaveJPG,
         [this](ClipboardEntry &e) { e.imageFilePath = storeImagePath; }, "jpeg", "Tarnel-0123abcd.jpg"},
        {"unreadable bytes, screenshot file", QuickImageAction::SavePNG,
         [this](ClipboardEntry &e) {
             e.imageData = QByteArray("not an image");
             e.screenshotFileURL = storedImagePath;
         },
         "png", "Tarnel-0123abcd.png"},
    };
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        asked.clear();
        ClipboardEntry entry = imageEntry(QStringLiteral("0123abcd-ffff-4444-8888-000000000000"));
        c.source(entry);
        chosenPath = dir.filePath(QStringLiteral("out%1.img").arg(n++));
        view->performQuickImageAction(c.format, entry);
        ASSERT_EQ(asked.size(), 1);
        EXPECT_EQ(asked.first().first, c.expectedName);
        ASSERT_TRUE(testsupport::waitFor([this] { return QFile::exists(chosenPath); })); // written off the main thread
        EXPECT_EQ(formatOf(chosenPath), c.expectedFormat);
        const QImage saved(chosenPath);
        EXPECT_EQ(saved.size(), sampleImage().size());
        // Written by the PNG writer of pastes, not at Qt's slow default level.
        if (c.format == QuickImageAction::SavePNG) {
            QFile file(chosenPath);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            EXPECT_EQ(file.readAll(), PngEncoder::encoded(sampleImage()));
        }
    }
    EXPECT_EQ(failures, 0);
    EXPECT_TRUE(view->imageSheet() == nullptr) << "saving opens no sheet";
}

TEST_F(QuickImageActionsTest, AnImageThatIsGoneAsksNothingAndAFailedWriteIsReported)
{
    ClipboardEntry gone = imageEntry(QStringLiteral("gone"));
    gone.imageFilePath = dir.filePath(QStringLiteral("missing.png"));
    chosenPath = dir.filePath(QStringLiteral("never.png"));
    view->performQuickImageAction(QuickImageAction::SavePNG, gone);
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_FALSE(QFile::exists(chosenPath));
    EXPECT_EQ(failures, 0);

    // A readable picture the record names outside the image store is never opened either.
    ClipboardEntry foreign = imageEntry(QStringLiteral("foreign"));
    foreign.imageFilePath = storedImagePath;
    view->performQuickImageAction(QuickImageAction::SavePNG, foreign);
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_FALSE(QFile::exists(chosenPath));

    ClipboardEntry present = imageEntry(QStringLiteral("present"));
    present.imageData = encodedImage(sampleImage());
    chosenPath.clear(); // the user cancels
    view->performQuickImageAction(QuickImageAction::SaveJPG, present);
    EXPECT_EQ(asked.size(), 1);
    EXPECT_EQ(failures, 0);

    chosenPath = dir.filePath(QStringLiteral("no-such-folder/out.png"));
    view->performQuickImageAction(QuickImageAction::SavePNG, present);
    ASSERT_TRUE(testsupport::waitFor([this] { return failures == 1; }));
    EXPECT_FALSE(QFile::exists(chosenPath));
}

} // namespace

TEST(SheetPlacement, CentresOverTheOriginAndStaysWholeOnItsScreen)
{
    const QRect screen(1920, 0, 1920, 1080); // the second of two screens
    const QSize sheet(720, 590);
    struct Case {
        const char *what;
        QRect origin;
        QPoint topLeft;
    };
    for (const Case &c : {Case{"centred over Quick Access", QRect(2705, 430, 350, 220), QPoint(2520, 245)},
                          Case{"a panel at the top edge", QRect(2680, 0, 400, 40), QPoint(2520, 0)},
                          Case{"near the right edge", QRect(3700, 900, 100, 100), QPoint(3120, 490)}}) {
        EXPECT_EQ(SheetPlacement::over(c.origin, sheet, screen), QRect(c.topLeft, sheet)) << c.what;
    }
    EXPECT_EQ(SheetPlacement::over(QRect(2000, 100, 50, 50), QSize(2500, 1200), screen).topLeft(), screen.topLeft())
        << "larger than the screen: its top-left corner";
}

TEST_F(QuickImageActionsTest, ThePreviewOpensOverTheWindowItCameFrom)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    ClipboardEntry entry = imageEntry(QStringLiteral("preview"));
    entry.imageData = encodedImage(sampleImage());
    view->resize(350, 220);
    view->move(area.center() - QPoint(175, 110) + QPoint(0, -80));
    view->show();
    // The sheet is placed and shown at once, while the decode is still to come.
    testsupport::HeldThreadPool pool;
    view->performQuickImageAction(QuickImageAction::Preview, entry);
    QWidget *sheet = view->imageSheet();
    ASSERT_TRUE(sheet);
    auto *preview = sheet->findChild<ImagePreviewSheet *>();
    ASSERT_TRUE(preview);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_FALSE(preview->hasImage());
    pool.release();
    ASSERT_TRUE(testsupport::waitFor([preview] { return preview->isImageShown(); }));
    EXPECT_EQ(preview->dimensions(), QStringLiteral("24 × 16"));
    ASSERT_LE(sheet->height(), area.height() - 2 * 80) << "the screen leaves room to centre it";
    EXPECT_TRUE(area.contains(sheet->geometry())) << "whole on the screen";
    EXPECT_LE((sheet->geometry().center() - view->geometry().center()).manhattanLength(), 1) << "centred over its origin";
    EXPECT_EQ(sheet->screen(), view->screen());
}

// Quick Access stays on screen under an image sheet; once the sheet closes, its keys (arrows,
// Return, Escape) must reach Quick Access again rather than nowhere.
TEST_F(QuickImageActionsTest, QuickAccessTakesTheKeyboardBackWhenAnImageSheetCloses)
{
    ClipboardEntry entry = imageEntry(QStringLiteral("keys"));
    entry.imageData = encodedImage(sampleImage());
    view->resize(350, 220);
    view->show();
    for (const QuickImageAction action : {QuickImageAction::Preview, QuickImageAction::Edit}) {
        harness.model.setQuickAccessPresented(true);
        view->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
        view->performQuickImageAction(action, entry);
        QPointer<QWidget> sheet = view->imageSheet();
        ASSERT_TRUE(sheet);
        ASSERT_TRUE(QTest::qWaitForWindowActive(sheet.data()));
        QTest::keyClick(sheet.data(), Qt::Key_Escape);
        ASSERT_TRUE(QTest::qWaitFor([&] { return sheet.isNull(); }));
        EXPECT_TRUE(QTest::qWaitFor([&] { return view->isActiveWindow(); }, 1000)) << int(action);
    }

    // Once Quick Access is gone (a paste from the sheet ends it) nothing is brought back.
    harness.model.setQuickAccessPresented(false);
    view->performQuickImageAction(QuickImageAction::Preview, entry);
    QPointer<QWidget> sheet = view->imageSheet();
    ASSERT_TRUE(sheet);
    ASSERT_TRUE(QTest::qWaitForWindowActive(sheet.data()));
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    sheet->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return sheet.isNull(); }));
    // The view answers the sheet's end through the event queue, and an activation it asked for
    // arrives through the window system one turn later: a marker queued behind both tells when
    // either would have shown.
    bool answered = false;
    const auto answer = [&] { answered = true; };
    const auto queueAnswer = [&] { QMetaObject::invokeMethod(&other, answer, Qt::QueuedConnection); };
    QMetaObject::invokeMethod(&other, queueAnswer, Qt::QueuedConnection);
    ASSERT_TRUE(QTest::qWaitFor([&] { return answered; }));
    EXPECT_TRUE(other.isActiveWindow());
}

// A photo larger than one decode holds whole (12000 × 9000) is saved at its own size or not at
// all: kept as a JPEG, "Uložiť ako JPG" writes it as it is kept; "Uložiť ako PNG", which would
// need the whole picture decoded, asks for no file and says why.
TEST_F(QuickImageActionsTest, APhotoBeyondTheDecodeBoundIsSavedAtItsOwnSizeOrRefusedWithTheReason)
{
    const QByteArray huge = hugeScreenshotJpeg();
    const QString stored =
        ClipboardImageStore(harness.folder.filePath(QStringLiteral("Clipboard Images"))).save(huge).path;
    ASSERT_FALSE(stored.isEmpty());
    QStringList refusals;
    QObject::connect(view.get(), &ClipboardPanelView::saveRefused, [&](const QString &reason) { refusals.append(reason); });
    struct Case {
        const char *name;
        QuickImageAction format;
        bool inMemory;
        bool saved;
    };
    const Case cases[] = {
        {"as JPG, bytes in memory", QuickImageAction::SaveJPG, true, true},
        {"as JPG, image store file", QuickImageAction::SaveJPG, false, true},
        {"as PNG", QuickImageAction::SavePNG, true, false},
        {"as PNG, image store file", QuickImageAction::SavePNG, false, false},
    };
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        asked.clear();
        refusals.clear();
        ClipboardEntry entry = imageEntry(QStringLiteral("huge-%1").arg(n));
        if (c.inMemory)
            entry.imageData = huge;
        else
            entry.imageFilePath = stored;
        chosenPath = dir.filePath(QStringLiteral("huge%1.img").arg(n++));
        view->performQuickImageAction(c.format, entry);
        if (c.saved) {
            ASSERT_EQ(asked.size(), 1);
            ASSERT_TRUE(testsupport::waitFor([this] { return QFile::exists(chosenPath); }));
            EXPECT_EQ(QImageReader(chosenPath).size(), QSize(12000, 9000));
            EXPECT_TRUE(refusals.isEmpty());
        } else {
            EXPECT_TRUE(asked.isEmpty()) << "a file was asked for";
            ASSERT_EQ(refusals.size(), 1);
            EXPECT_TRUE(refusals.first().contains(QStringLiteral("64 megapixelov"))) << refusals.first().toStdString();
            EXPECT_FALSE(QFile::exists(chosenPath));
        }
    }
    EXPECT_EQ(failures, 0);
}
