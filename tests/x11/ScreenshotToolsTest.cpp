// End to end on a real display: a screenshot dropped into the watched folder announces itself in
// the toast; the toast's text button opens the sheet, which reads the screenshot's text and QR
// code with Tesseract and zxing, and the user's clicks save both into the history.
#include "engine/ClipboardModel.h"
#include "support/FolderEvents.h"
#include "platform/ScreenshotFolderMonitor.h"
#include "platform/linux/LinuxFolderWatcher.h"
#include "platform/linux/LinuxQrDetector.h"
#include "platform/linux/LinuxScreenshotLocation.h"
#include "platform/linux/LinuxSettingsStore.h"
#include "platform/linux/LinuxTextRecognizer.h"
#include "platform/x11/X11PanelWindowTraits.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11Permissions.h"
#include "platform/x11/X11Workspace.h"
#include "shell/ClipboardModelPanelLink.h"
#include "shell/NotchPanelController.h"
#include "ui/tools/ScreenshotTextSheet.h"
#include "ui/tools/ToolChoiceButton.h"

#include <QTest>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include "X11TestSupport.h"

using namespace std::chrono_literals;

namespace {

const std::string kPayload = "https://example.sk/objednavka/2026";

QByteArray screenshotPng()
{
    QImage image(1400, 600, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(40);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(40, 80, QStringLiteral("Objednávka 2026 je pripravená"));
    const ZXing::BitMatrix matrix = ZXing::MultiFormatWriter(ZXing::BarcodeFormat::QRCode).setMargin(4).encode(kPayload, 300, 300);
    for (int y = 0; y < matrix.height(); ++y) {
        for (int x = 0; x < matrix.width(); ++x)
            painter.fillRect(40 + x, 200 + y, 1, 1, matrix.get(x, y) ? Qt::black : Qt::white);
    }
    painter.end();
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return out;
}

// Saves the shown result through the save menu, as the user picks its first item.
void saveToHistory(ScreenshotTextSheet *sheet)
{
    ASSERT_TRUE(x11test::clickOn(sheet->findChild<QAbstractButton *>(QStringLiteral("saveMenu"))));
    ASSERT_TRUE(QTest::qWaitFor([sheet] { return sheet->saveMenu()->isVisible(); }, 5000));
    QAction *history = sheet->saveMenu()->actions().value(0);
    ASSERT_TRUE(history && history->isEnabled());
    ASSERT_TRUE(x11test::clickOn(sheet->saveMenu(), sheet->saveMenu()->actionGeometry(history).center()));
}

} // namespace

TEST(ScreenshotTools, ToastOpensTheTextSheetWhichSavesTheTextAndTheQrPayload)
{
    // The screenshot is found by the folder's event; a folder only polled is tested with the toast
    // of the menu-bar mode.
    if (!folderevents::systemGivesFolderEvents())
        GTEST_SKIP() << folderevents::kNoFolderEvents;
    QDir(QFileInfo(LinuxSettingsStore::defaultPath()).absolutePath()).removeRecursively();
    QTemporaryDir shots;
    LinuxSettingsStore settings{LinuxSettingsStore::defaultPath()};
    settings.setText(QString::fromLatin1(kPresentationModeSettingKey), QStringLiteral("menuBar"));
    settings.setBool(QString::fromLatin1(kOnboardingCompleteSettingKey), true);
    X11Pasteboard pasteboard;
    X11Workspace workspace;
    LinuxScreenshotLocation location;
    X11Permissions permissions{nullptr};
    X11PanelWindowTraits traits;
    LinuxTextRecognizer recognizer;
    LinuxQrDetector detector;
    ClipboardModelServices services;
    services.pasteboard = &pasteboard;
    services.settings = &settings;
    services.workspace = &workspace;
    services.screenshotLocation = &location;
    services.screenshotMonitor = std::make_unique<ScreenshotFolderMonitor>(std::make_unique<LinuxFolderWatcher>());
    ClipboardModel model(std::move(services));
    ClipboardModelPanelLink link(model, settings);
    PanelServices panelServices{settings, workspace, permissions, traits, {}, [] { return true; },
                                &recognizer, &detector, nullptr, {}};
    panelServices.clipboardModel = &model;
    NotchPanelController controller(link, panelServices);
    model.startMonitoring();
    model.setScreenshotFolder(shots.path());

    QFile file(shots.filePath(QStringLiteral("Screenshot from 2026-12-06 10-00-00.png")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(screenshotPng());
    file.close();

    ASSERT_TRUE(QTest::qWaitFor([&] { return controller.screenshotToastPanel() && controller.screenshotToastPanel()->isVisible(); }, 15000));
    QWidget *toast = controller.screenshotToastPanel();
    ASSERT_TRUE(x11test::clickOn(toast->findChild<QAbstractButton *>(QStringLiteral("text"))));
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller.screenshotActionWindow() != nullptr; }, 5000))
        << "the first click on the text button opens the sheet";
    auto *sheet = controller.screenshotActionWindow()->findChild<ScreenshotTextSheet *>();
    ASSERT_TRUE(sheet);
    ASSERT_TRUE(QTest::qWaitFor([sheet] { return !sheet->state().isRecognizing(); }, 60000));
    ASSERT_FALSE(sheet->state().errorMessage()) << sheet->state().errorMessage()->toStdString();
    const auto *editor = sheet->findChild<QPlainTextEdit *>(QStringLiteral("resultText"));
    EXPECT_TRUE(editor->toPlainText().contains(QStringLiteral("pripravená"))) << editor->toPlainText().toStdString();

    saveToHistory(sheet);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !model.entries().isEmpty() && model.entries().first().id == sheet->baseResultID(); }, 5000));
    EXPECT_TRUE(model.entries().first().text.contains(QStringLiteral("pripravená")));
    EXPECT_EQ(model.entries().first().kind, ClipboardKind::Text);

    ASSERT_TRUE(x11test::clickOn(sheet->findChild<QAbstractButton *>(QStringLiteral("qrMode"))));
    ASSERT_TRUE(QTest::qWaitFor([&] { return editor->toPlainText() == QString::fromStdString(kPayload); }, 5000))
        << editor->toPlainText().toStdString();
    saveToHistory(sheet);
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.entries().first().id == sheet->baseResultID() + QStringLiteral("-qr-0"); }, 5000));
    EXPECT_EQ(model.entries().first().text, QString::fromStdString(kPayload));
    EXPECT_EQ(model.entries().first().kind, ClipboardKind::Url);
}
