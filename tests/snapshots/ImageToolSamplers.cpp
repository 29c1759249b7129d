#include "snapshots/ImageToolSamplers.h"

#include "snapshots/ComponentSamplers.h"

#include "platform/fake/FakeQrDetector.h"
#include "platform/fake/FakeTextRecognizer.h"
#include "ui/tools/EntryImageLoader.h"
#include "ui/tools/ImageCanvasComposerSheet.h"
#include "ui/tools/ImageCanvasPreview.h"
#include "ui/tools/ImagePreviewSheet.h"
#include "ui/tools/ScreenshotAddedToast.h"
#include "ui/tools/ScreenshotNoticeThumbnail.h"
#include "ui/tools/ScreenshotTextSheet.h"
#include "ui/tools/ToolChoiceButton.h"

#include <QLayout>
#include <QMenu>
#include <QtCore/qtestsupport_core.h>

namespace {

constexpr int kWaitMs = 5000;

ClipboardEntry screenshotOf(testsupport::SeededModel &seed)
{
    for (const ClipboardEntry &entry : seed.entries()) {
        if (entry.isScreenshot)
            return entry;
    }
    return seed.first(ClipboardKind::Image);
}

// Thumbnails decode off the main thread; the picture waits for them.
void waitForThumbnails(QWidget *view)
{
    for (ScreenshotNoticeThumbnail *thumbnail : view->findChildren<ScreenshotNoticeThumbnail *>())
        (void)QTest::qWaitFor([thumbnail] { return thumbnail->hasImage(); }, kWaitMs);
}

} // namespace

QWidget *screenshotToastSample(testsupport::SeededModel &seed)
{
    auto *toast = new ScreenshotAddedToast(screenshotOf(seed), ClipboardAppearance::Dark);
    waitForThumbnails(toast);
    return toast;
}

QWidget *screenshotTextSheetSample(testsupport::SeededModel &seed, bool showsCodes)
{
    static FakeTextRecognizer recognizer;
    static FakeQrDetector detector;
    recognizer.result = {QStringLiteral("Faktúra č. 2026/031\nSplatnosť: 28. 3. 2026\nSuma na úhradu: 148,90 €"), {}};
    detector.codes = {QStringLiteral("https://example.sk/platba/2026-031"), QStringLiteral("SPD*1.0*ACC:SK3112000000198742637541")};
    // The sample saves what it read: into a model of its own, so that the saved texts (stamped
    // with the real time) do not show in the other pictures.
    static auto *saves = new testsupport::SeededModel();
    auto *sheet = new ScreenshotTextSheet(screenshotOf(seed), ClipboardAppearance::Dark, &saves->model(), &recognizer,
                                          &detector);
    (void)QTest::qWaitFor([sheet] { return !sheet->state().isRecognizing(); }, kWaitMs);
    waitForThumbnails(sheet);
    if (showsCodes) {
        sheet->findChild<ToolChoiceButton *>(QStringLiteral("qrMode"))->click();
        sheet->save(OCRTextDestination::PasteStack);
    }
    return sheet;
}

QWidget *imageComposerSample(testsupport::SeededModel &seed, bool styled)
{
    const ClipboardEntry entry = screenshotOf(seed);
    auto *sheet = new ImageCanvasComposerSheet(entry, EntryImageLoader::loadAsync(entry, seed.model().imageBytes()),
                                               ClipboardAppearance::Dark);
    (void)QTest::qWaitFor([sheet] { return !sheet->isLoading(); }, kWaitMs);
    if (styled) {
        ImageCanvasSettings settings;
        settings.aspect = ImageCanvasAspect::Wide;
        settings.backgroundMode = ImageCanvasBackgroundMode::Solids;
        settings.selectedSolid = 4;
        settings.cornerStyle = ImageCornerStyle::Medium;
        settings.hasImageShadow = true;
        sheet->setSettings(settings);
    }
    if (auto *preview = sheet->findChild<ImageCanvasPreview *>())
        (void)QTest::qWaitFor([preview] { return preview->hasCachedImage(); }, kWaitMs);
    return sheet;
}

QWidget *imagePreviewSample(testsupport::SeededModel &seed)
{
    const ClipboardEntry entry = screenshotOf(seed);
    auto *sheet = new ImagePreviewSheet(entry, EntryImageLoader::loadAsync(entry, seed.model().imageBytes()),
                                        ClipboardAppearance::Dark);
    (void)QTest::qWaitFor([sheet] { return !sheet->isLoading(); }, kWaitMs);
    // The image is drawn from a copy scaled to its stage off the main thread, once the sheet is
    // laid out at its size.
    sheet->setAttribute(Qt::WA_DontShowOnScreen);
    sheet->show();
    sheet->resize(sheet->sizeHint());
    sheet->layout()->activate();
    (void)QTest::qWaitFor([sheet] { return sheet->isImageShown(); }, kWaitMs);
    return sheet;
}

QWidget *saveMenuSample(testsupport::SeededModel &seed)
{
    testsupport::SeededModel *shared = &seed;
    return menuSampler([shared](QWidget *owner, PanelStyle::Scheme scheme) {
        static FakeTextRecognizer recognizer;
        static FakeQrDetector detector;
        static auto *saves = new testsupport::SeededModel();
        recognizer.result = {QStringLiteral("Faktúra č. 2026/031"), {}};
        auto *sheet = new ScreenshotTextSheet(screenshotOf(*shared), ClipboardAppearance::Dark, &saves->model(),
                                              &recognizer, &detector);
        sheet->setParent(owner);
        PanelStyle::applyScheme(sheet, scheme);
        (void)QTest::qWaitFor([sheet] { return !sheet->state().isRecognizing(); }, kWaitMs);
        Q_EMIT sheet->saveMenu()->aboutToShow();
        return sheet->saveMenu();
    });
}
