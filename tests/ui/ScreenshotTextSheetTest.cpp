// The text sheet on the model: what it shows after reading, and where its saves and copies go.
#include "engine/EngineTestSupport.h"
#include "platform/fake/FakeQrDetector.h"
#include "platform/fake/FakeTextRecognizer.h"
#include "ui/tools/ScreenshotTextSheet.h"
#include "ui/tools/ToolChoiceButton.h"
#include "ui/style/PanelStyle.h"

#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QShortcut>

#include "support/WidgetEvents.h"

#include <gtest/gtest.h>

namespace {

QByteArray png()
{
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

ClipboardEntry screenshot()
{
    ClipboardEntry entry;
    entry.id = QStringLiteral("shot");
    entry.kind = ClipboardKind::Image;
    entry.isScreenshot = true;
    entry.imageData = png();
    return entry;
}

struct SheetHarness {
    ModelHarness h;
    FakeTextRecognizer recognizer;
    FakeQrDetector detector;
    int closes = 0;
    std::unique_ptr<ScreenshotTextSheet> sheet;

    void open(const ClipboardEntry &entry = screenshot(), bool withModel = true)
    {
        ClipboardModel *model = withModel ? &h.make() : nullptr;
        sheet = std::make_unique<ScreenshotTextSheet>(entry, ClipboardAppearance::Dark, model, &recognizer, &detector);
        QObject::connect(sheet.get(), &ScreenshotTextSheet::closeRequested, sheet.get(), [this] { ++closes; });
    }
    bool read() { return testsupport::waitFor([this] { return !sheet->state().isRecognizing(); }); }
    template <typename T>
    T *child(const char *name) const { return sheet->findChild<T *>(QString::fromLatin1(name)); }
    QString editorText() const { return child<QPlainTextEdit>("resultText")->toPlainText(); }
    QString feedback() const { return child<QLabel>("feedback")->text(); }
    QStringList menu()
    {
        QStringList items;
        Q_EMIT sheet->saveMenu()->aboutToShow();
        for (QAction *action : sheet->saveMenu()->actions())
            items << action->text() + (action->isEnabled() ? QString() : QStringLiteral(" (off)"));
        return items;
    }
};

TEST(ScreenshotTextSheet, SavesEachResultUnderItsOwnIdAndUpdatesItInPlace)
{
    SheetHarness s;
    s.recognizer.result = {QStringLiteral("Objednávka 2026"), {}};
    s.detector.codes = {QStringLiteral("https://example.sk"), QStringLiteral("WIFI:S:Kaviareň;;")};
    s.open();
    ASSERT_TRUE(s.read());
    ClipboardModel &model = *s.h.model;
    EXPECT_EQ(s.editorText(), QStringLiteral("Objednávka 2026"));

    s.sheet->save(OCRTextDestination::History);
    ASSERT_EQ(model.entries().size(), 1);
    EXPECT_EQ(model.entries().first().id, s.sheet->baseResultID());
    EXPECT_EQ(s.feedback(), QStringLiteral("Uložené do histórie"));
    QCoreApplication::processEvents();
    EXPECT_EQ(s.menu().first(), QStringLiteral("Uložené (off)")) << "the menu follows the model";

    s.child<QPlainTextEdit>("resultText")->setPlainText(QStringLiteral("Objednávka 2027"));
    EXPECT_EQ(s.feedback(), QString()) << "typing clears the confirmation";
    s.sheet->save(OCRTextDestination::Pins);
    ASSERT_EQ(model.entries().size(), 1) << "the same entry is updated";
    EXPECT_EQ(model.entries().first().text, QStringLiteral("Objednávka 2027"));
    EXPECT_TRUE(model.entries().first().isPinned);

    s.child<ToolChoiceButton>("qrMode")->click();
    EXPECT_EQ(s.editorText(), QStringLiteral("https://example.sk"));
    const auto codeButtons = s.sheet->findChildren<ToolChoiceButton *>();
    auto second = std::find_if(codeButtons.begin(), codeButtons.end(),
                               [](ToolChoiceButton *b) { return b->accessibleName() == QStringLiteral("QR 2"); });
    ASSERT_NE(second, codeButtons.end());
    EXPECT_TRUE((*second)->isVisibleTo(s.sheet.get())) << "two codes offer a picker";
    (*second)->click();
    EXPECT_EQ(s.editorText(), QStringLiteral("WIFI:S:Kaviareň;;"));
    s.sheet->save(OCRTextDestination::PasteStack);
    EXPECT_EQ(model.pasteStackEntryIDs(), QStringList{s.sheet->baseResultID() + QStringLiteral("-qr-1")});
    EXPECT_EQ(model.entries().size(), 2);

    s.sheet->copy();
    EXPECT_EQ(s.h.pasteboard.content().text, QStringLiteral("WIFI:S:Kaviareň;;"));
    EXPECT_EQ(s.feedback(), QStringLiteral("Skopírované"));
    EXPECT_EQ(model.entries().size(), 2) << "a copy adds no entry";
}

TEST(ScreenshotTextSheet, ShowsWhyThereIsNothingAndOffersNothingToSave)
{
    ClipboardEntry unreadable = screenshot();
    unreadable.imageData.reset();
    unreadable.imageFilePath = QStringLiteral("/nonexistent/stored.image");
    const struct {
        const char *what;
        ClipboardEntry entry;
        TextRecognitionResult text;
        QStringList codes;
        QString message;
        bool showsQR;
    } cases[] = {
        {"no readable image", unreadable, {QString(), {}}, {}, QStringLiteral("Obrázok sa nedá zobraziť"), false},
        {"recogniser failed", screenshot(), {std::nullopt, QStringLiteral("x")}, {},
         QStringLiteral("Text sa nepodarilo rozpoznať. Skús iný screenshot."), false},
        {"nothing found", screenshot(), {QString(), {}}, {}, QStringLiteral("V obrázku sa nenašiel text."), false},
        {"only a QR code: opens on it", screenshot(), {QString(), {}}, {QStringLiteral("q")}, QString(), true},
    };
    for (const auto &c : cases) {
        SheetHarness s;
        s.recognizer.result = c.text;
        s.detector.codes = c.codes;
        s.open(c.entry);
        ASSERT_TRUE(s.read()) << c.what;
        EXPECT_EQ(s.sheet->state().showsQR(), c.showsQR) << c.what;
        if (c.showsQR) {
            EXPECT_EQ(s.editorText(), QStringLiteral("q")) << c.what;
            continue;
        }
        EXPECT_EQ(s.child<QLabel>("emptyResult")->text(), c.message) << c.what;
        EXPECT_FALSE(s.child<QAbstractButton>("copy")->isEnabled()) << c.what;
        EXPECT_FALSE(s.child<QAbstractButton>("saveMenu")->isEnabled()) << c.what;
        s.child<ToolChoiceButton>("qrMode")->click();
        if (!s.sheet->state().errorMessage()) {
            EXPECT_EQ(s.child<QLabel>("emptyResult")->text(), QStringLiteral("V obrázku sa nenašiel QR kód.")) << c.what;
        }
    }
}

TEST(ScreenshotTextSheet, ARefusedSaveSaysSoAndEscapeClosesWhileReading)
{
    SheetHarness s;
    s.recognizer.result = {QStringLiteral("text"), {}};
    s.open(screenshot(), false);
    ASSERT_TRUE(s.read());
    s.sheet->save(OCRTextDestination::History);
    EXPECT_EQ(s.feedback(), QStringLiteral("Text sa nepodarilo uložiť."));

    SheetHarness waiting;
    waiting.recognizer.holdResults = true;
    waiting.open();
    auto *escape = waiting.sheet->findChild<QShortcut *>();
    ASSERT_TRUE(escape);
    EXPECT_EQ(escape->key(), QKeySequence(Qt::Key_Escape));
    Q_EMIT escape->activated();
    EXPECT_EQ(waiting.closes, 1);
    EXPECT_TRUE(waiting.sheet->state().isRecognizing());
    waiting.sheet.reset();
    waiting.recognizer.release();
}

} // namespace

TEST(ScreenshotTextSheet, TheSaveMenuWearsTheSheetsAppearanceAndItsIconsShowOnIt)
{
    for (ClipboardAppearance appearance : {ClipboardAppearance::Dark, ClipboardAppearance::Light}) {
        ModelHarness h;
        FakeTextRecognizer recognizer;
        FakeQrDetector detector;
        recognizer.result = {QStringLiteral("Objednávka"), {}};
        ScreenshotTextSheet sheet(screenshot(), appearance, &h.make(), &recognizer, &detector);
        Q_EMIT sheet.saveMenu()->aboutToShow();
        QMenu *menu = sheet.saveMenu();
        const PanelStyle::Scheme scheme = PanelStyle::schemeFor(appearance);
        EXPECT_EQ(PanelStyle::schemeOf(menu), scheme);
        const QColor background = menu->palette().color(QPalette::Window);
        EXPECT_EQ(background, PanelStyle::colors(scheme).quickAccessBackground);
        ASSERT_FALSE(menu->actions().isEmpty());
        const QImage icon = menu->actions().first()->icon().pixmap(16, 16).toImage();
        qreal inkLightness = -1;
        for (int y = 0; y < icon.height(); ++y)
            for (int x = 0; x < icon.width(); ++x)
                if (qreal(icon.pixelColor(x, y).alphaF()) > 0.9)
                    inkLightness = icon.pixelColor(x, y).lightnessF();
        ASSERT_GE(inkLightness, 0) << "the icon draws something";
        EXPECT_GT(std::abs(inkLightness - qreal(background.lightnessF())), 0.5) << "the icon stands out from the menu";
    }
}
