// The composer: its first state, the choices that remember their mode, and saving the canvas.
#include "ui/tools/ImageCanvasComposerSheet.h"
#include "ui/tools/ImageCanvasPreview.h"
#include "ui/tools/ToolChoiceButton.h"
#include "ui/style/PanelMotion.h"

#include <QDir>
#include <QFileDialog>
#include <QImageReader>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QVariantAnimation>
#include "support/WidgetEvents.h"

#include <gtest/gtest.h>

namespace {

QImage sample()
{
    QImage image(300, 200, QImage::Format_RGB32);
    image.fill(QColor(40, 120, 200));
    return image;
}

ClipboardEntry imageEntry()
{
    ClipboardEntry entry;
    entry.id = QStringLiteral("image");
    entry.kind = ClipboardKind::Image;
    entry.sourceApp = QStringLiteral("Gimp");
    entry.copiedAt = QDateTime::currentDateTime();
    return entry;
}

void tap(const ImageCanvasComposerSheet &sheet, const QString &name)
{
    for (ToolChoiceButton *button : sheet.findChildren<ToolChoiceButton *>()) {
        if (button->accessibleName() == name) {
            button->click();
            return;
        }
    }
    ADD_FAILURE() << "no choice " << name.toStdString();
}

TEST(ImageCanvasComposerSheet, OpensOnTheFirstChoicesAndEachModeKeepsItsOwn)
{
    ImageCanvasComposerSheet sheet(imageEntry(), sample(), ClipboardAppearance::Dark);
    EXPECT_EQ(sheet.settings(), ImageCanvasSettings{});
    EXPECT_EQ(sheet.findChild<QLabel *>(QStringLiteral("exportSize"))->text(), QStringLiteral("1600 × 1600 px"));
    EXPECT_TRUE(sheet.findChild<QAbstractButton *>(QStringLiteral("save"))->isEnabled());

    tap(sheet, QStringLiteral("Farby"));
    tap(sheet, QStringLiteral("Fialová"));
    tap(sheet, QStringLiteral("Gradienty"));
    EXPECT_EQ(sheet.settings().backgroundMode, ImageCanvasBackgroundMode::Gradients);
    EXPECT_EQ(sheet.settings().selectedGradient, 0);
    tap(sheet, QStringLiteral("Farby"));
    EXPECT_EQ(sheet.settings().selectedSolid, 3);
    tap(sheet, QStringLiteral("9:16"));
    tap(sheet, QStringLiteral("Výrazné"));
    tap(sheet, QStringLiteral("Tieň pod obrázkom"));
    EXPECT_EQ(sheet.settings().aspect, ImageCanvasAspect::Portrait);
    EXPECT_EQ(sheet.settings().cornerStyle, ImageCornerStyle::Rounded);
    EXPECT_TRUE(sheet.settings().hasImageShadow);
    EXPECT_EQ(sheet.findChild<QLabel *>(QStringLiteral("exportSize"))->text(), QStringLiteral("1080 × 1920 px"));

    ImageCanvasComposerSheet empty(imageEntry(), QImage(), ClipboardAppearance::Light, {});
    EXPECT_FALSE(empty.findChild<QAbstractButton *>(QStringLiteral("save"))->isEnabled());
}

// The aspect, the background mode and the corners move the canvas to its new state over the
// change time; a swatch and the shadow switch change it at once.
TEST(ImageCanvasComposerSheet, AspectBackgroundAndCornersAnimateTheCanvas)
{
    PanelMotion::ScopedFactor motion(1.0);
    ImageCanvasComposerSheet sheet(imageEntry(), sample(), ClipboardAppearance::Dark);
    sheet.resize(ImageCanvasComposerSheet::kSize);
    sheet.show();
    ASSERT_TRUE(testsupport::waitFor([&] { return sheet.findChild<ImageCanvasPreview *>() != nullptr; }));
    ImageCanvasPreview *preview = sheet.findChild<ImageCanvasPreview *>();
    QCoreApplication::processEvents();
    const auto running = [preview] {
        const QList<QVariantAnimation *> animations = preview->findChildren<QVariantAnimation *>();
        return animations.isEmpty() ? nullptr : animations.first();
    };
    const struct {
        QString choice;
        bool animates;
    } cases[] = {{QStringLiteral("9:16"), true},   {QStringLiteral("Farby"), true},
                 {QStringLiteral("Fialová"), false}, {QStringLiteral("Výrazné"), true},
                 {QStringLiteral("Tieň pod obrázkom"), false}, {QStringLiteral("1:1"), true}};
    for (const auto &c : cases) {
        ASSERT_TRUE(testsupport::waitFor([&] { return !running(); })) << c.choice.toStdString();
        const QRectF before = preview->canvasRect();
        tap(sheet, c.choice);
        QVariantAnimation *animation = running();
        EXPECT_EQ(animation != nullptr, c.animates) << c.choice.toStdString();
        if (!animation)
            continue;
        EXPECT_EQ(animation->duration(), int(ImageCanvasPreview::kChangeDuration.count()));
        EXPECT_EQ(animation->easingCurve(), PanelMotion::easeInOut());
        if (c.choice.contains(u':')) {
            EXPECT_EQ(preview->canvasRect(), before) << "the aspect starts from the canvas it had";
            ASSERT_TRUE(testsupport::waitFor([&] { return !running(); }));
            EXPECT_NE(preview->canvasRect(), before) << c.choice.toStdString();
        }
    }
}

TEST(ImageCanvasComposerSheet, SavesTheCanvasAsItIsWhenTheFileIsChosen)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ImageCanvasComposerSheet sheet(imageEntry(), sample(), ClipboardAppearance::Dark);
    QStringList proposed;
    std::function<void(std::optional<QString>)> answer;
    sheet.setSavePanel([&](const QString &name, std::function<void(std::optional<QString>)> onChosen) {
        proposed << name;
        answer = std::move(onChosen);
    });
    int finished = 0;
    QObject::connect(&sheet, &ImageCanvasComposerSheet::exportFinished, [&finished] { ++finished; });
    auto *save = sheet.findChild<QAbstractButton *>(QStringLiteral("save"));

    const struct {
        const char *what;
        std::optional<QString> path;
        std::optional<QSize> written;
        bool fails;
    } cases[] = {
        {"cancelled", std::nullopt, std::nullopt, false},
        {"written at the aspect's size", dir.filePath(QStringLiteral("out.png")), QSize(1080, 1920), false},
        {"unwritable folder", dir.filePath(QStringLiteral("missing/out.png")), std::nullopt, true},
    };
    for (const auto &c : cases) {
        proposed.clear();
        const int before = finished;
        save->click();
        save->click();
        EXPECT_EQ(proposed, QStringList{QStringLiteral("tarnel-1x1.png")}) << c.what << ": one panel at a time";
        EXPECT_FALSE(save->isEnabled()) << c.what;
        // Changed while the panel is open: the saved file follows.
        tap(sheet, QStringLiteral("9:16"));
        answer(c.path);
        if (c.path) {
            ASSERT_TRUE(testsupport::waitFor([&] { return finished > before; }, std::chrono::seconds(10))) << c.what;
        }
        if (c.written) {
            EXPECT_EQ(QImageReader(*c.path).size(), *c.written) << c.what;
        }
        EXPECT_EQ(sheet.exportError().has_value(), c.fails) << c.what;
        EXPECT_EQ(sheet.findChild<QLabel *>(QStringLiteral("exportError"))->isVisibleTo(&sheet), c.fails) << c.what;
        EXPECT_EQ(sheet.exportAlert() != nullptr, c.fails) << c.what;
        if (c.fails) {
            // The title stands whole in the alert itself, the error under it.
            EXPECT_EQ(sheet.exportAlert()->text(), QStringLiteral("Nepodarilo sa uložiť obrázok"));
            EXPECT_EQ(sheet.exportAlert()->informativeText(), *sheet.exportError());
            EXPECT_FALSE(sheet.exportAlert()->windowTitle().contains(QStringLiteral("Nepodarilo")));
            sheet.exportAlert()->reject();
            EXPECT_FALSE(sheet.exportError()) << "closing the alert clears the error";
            EXPECT_FALSE(sheet.findChild<QLabel *>(QStringLiteral("exportError"))->isVisibleTo(&sheet));
        }
        EXPECT_TRUE(save->isEnabled()) << c.what;
        tap(sheet, QStringLiteral("1:1"));
    }
}

} // namespace

namespace {

// A home of its own, without the desktop's folder names, and a start folder elsewhere.
class ElsewhereHome {
public:
    ElsewhereHome()
        : m_home(qgetenv("HOME"))
        , m_config(qgetenv("XDG_CONFIG_HOME"))
        , m_started(QDir::currentPath())
    {
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral(".config")).toUtf8());
        QDir::setCurrent(startedIn.path());
    }
    ~ElsewhereHome()
    {
        QDir::setCurrent(m_started);
        qputenv("HOME", m_home);
        if (m_config.isEmpty())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", m_config);
    }
    ElsewhereHome(const ElsewhereHome &) = delete;
    ElsewhereHome &operator=(const ElsewhereHome &) = delete;

    QTemporaryDir home;
    QTemporaryDir startedIn;

private:
    QByteArray m_home;
    QByteArray m_config;
    QString m_started;
};

} // namespace

// "Uložiť ako" opens where pictures are kept, or at home without such a folder, never in the
// folder the program was started from.
TEST(ImageCanvasComposerSheet, TheSaveDialogOpensInThePicturesFolderOrAtHome)
{
    ElsewhereHome elsewhere;
    ASSERT_TRUE(elsewhere.home.isValid() && elsewhere.startedIn.isValid());
    const QString home = QDir(elsewhere.home.path()).canonicalPath();
    for (const bool hasPictures : {false, true}) {
        if (hasPictures) {
            ASSERT_TRUE(QDir(home).mkpath(QStringLiteral("Pictures")));
        }
        ImageCanvasComposerSheet sheet(imageEntry(), sample(), ClipboardAppearance::Dark);
        sheet.show();
        sheet.saveCanvas();
        auto *dialog = sheet.findChild<QFileDialog *>();
        ASSERT_TRUE(dialog) << hasPictures;
        EXPECT_EQ(dialog->directory().canonicalPath(), hasPictures ? home + QStringLiteral("/Pictures") : home);
        EXPECT_EQ(dialog->selectedFiles().value(0).section(u'/', -1), QStringLiteral("tarnel-1x1.png"));
        dialog->reject();
        EXPECT_TRUE(testsupport::waitFor([&] { return !sheet.isSavePanelPresented(); })) << hasPictures;
    }
}
