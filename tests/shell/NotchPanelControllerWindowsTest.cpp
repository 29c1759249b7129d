#include "shell/MenuBarPopover.h"
#include "shell/PanelHarness.h"
#include "core/L10n.h"
#include "ui/onboarding/OnboardingView.h"
#include "ui/settings/SettingsView.h"
#include "ui/tools/ImageCanvasComposerSheet.h"
#include "ui/tools/ScreenshotAddedToast.h"
#include "shell/TarnelPanel.h"

#include <QAbstractButton>
#include <QFile>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <vector>

#include <gtest/gtest.h>

#include "support/HeldThreadPool.h"
#include "support/TestImages.h"
#include "support/WidgetEvents.h"

namespace {

void settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Counts the times a window is taken off the screen.
class HideCounter : public QObject {
public:
    explicit HideCounter(int &hides) : m_hides(hides) {}
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Hide)
            ++m_hides;
        return false;
    }

private:
    int &m_hides;
};

ClipboardEntry screenshot(const QString &id, std::optional<QByteArray> data = std::nullopt)
{
    ClipboardEntry entry;
    entry.id = id;
    entry.kind = ClipboardKind::Image;
    entry.isScreenshot = true;
    entry.imageData = std::move(data);
    return entry;
}

} // namespace

TEST(NotchPanelWindows, StartUpShowsThePanelAndTheGuideOnlyOnce)
{
    const struct {
        QJsonObject values;
        bool guideOpens;
        bool prompt;
    } cases[] = {
        {{}, true, false},
        {{{QStringLiteral("tarnel.onboardingComplete"), true}}, false, true},
    };
    for (const auto &c : cases) {
        PanelHarness h(c.values);
        std::vector<bool> prompts;
        h.controller->setPasteMonitorStarter([&](bool prompt) { prompts.push_back(prompt); });
        h.controller->startServices();
        h.controller->startServices();
        EXPECT_EQ(h.model.monitoringStarts, 1);
        EXPECT_TRUE(h.panel().isVisible());
        ASSERT_EQ(prompts.size(), 1u);
        EXPECT_EQ(prompts.front(), c.prompt) << "the Accessibility prompt waits for the finished guide";
        EXPECT_EQ(h.controller->onboardingWindow() != nullptr, c.guideOpens);
    }
}

TEST(NotchPanelWindows, FinishingTheGuideAppliesTheChosenMode)
{
    const struct {
        const char *what;
        bool completed;
        ClipboardPresentationMode chosen;
        std::optional<bool> flag;
        std::optional<QString> storedMode;
        bool popupOpen;
    } cases[] = {
        {"completed with the menu bar", true, ClipboardPresentationMode::MenuBar, true, QStringLiteral("menuBar"), true},
        {"completed with the notch, already current", true, ClipboardPresentationMode::Notch, true, std::nullopt, false},
        {"abandoned", false, ClipboardPresentationMode::MenuBar, std::nullopt, std::nullopt, false},
    };
    for (const auto &c : cases) {
        PanelHarness h;
        h.controller->startServices();
        auto *window = h.controller->onboardingWindow();
        ASSERT_NE(window, nullptr) << c.what;
        auto *guide = window->findChild<OnboardingView *>();
        ASSERT_NE(guide, nullptr) << c.what;
        if (c.completed) {
            guide->selectMode(c.chosen);
            guide->complete();
        } else {
            window->close();
        }
        settle();
        EXPECT_EQ(h.controller->onboardingWindow(), nullptr) << c.what;
        EXPECT_EQ(h.settings.boolValue(QStringLiteral("tarnel.onboardingComplete")), c.flag) << c.what;
        EXPECT_EQ(h.settings.textValue(QStringLiteral("tarnel.presentationMode")), c.storedMode) << c.what;
        EXPECT_EQ(h.controller->menuBarPopover()->isShown(), c.popupOpen) << c.what;
        EXPECT_EQ(h.panel().isVisible(), !c.popupOpen) << c.what;
    }
}

TEST(NotchPanelWindows, PostponedGuideStartsAfreshAndAnOpenOneKeepsItsStep)
{
    PanelHarness h;
    h.model.savedMode = ClipboardPresentationMode::Notch;
    h.controller->startServices();
    auto guide = [&] {
        return h.controller->onboardingWindow() ? h.controller->onboardingWindow()->findChild<OnboardingView *>() : nullptr;
    };
    ASSERT_NE(guide(), nullptr);
    EXPECT_EQ(h.controller->onboardingWindow()->size(), QSize(760, 560));

    // Its help buttons reach the desktop's explanation of what is missing.
    QSignalSpy explanations(&h.permissions, &Permissions::explanationRequested);
    guide()->setStep(OnboardingStep::Permissions);
    for (const char *name : {"keySending", "keyWatch"})
        guide()->page()->findChild<QAbstractButton *>(QString::fromLatin1(name))->click();
    ASSERT_EQ(explanations.size(), 2);
    EXPECT_EQ(explanations.at(0).at(0).value<Permissions::Kind>(), Permissions::Kind::Accessibility);
    EXPECT_EQ(explanations.at(1).at(0).value<Permissions::Kind>(), Permissions::Kind::InputMonitoring);

    // Opened again while open: the same window, on the same step.
    guide()->setStep(OnboardingStep::Preferences);
    guide()->selectMode(ClipboardPresentationMode::MenuBar);
    QWidget *first = h.controller->onboardingWindow();
    h.controller->showOnboarding();
    EXPECT_EQ(h.controller->onboardingWindow(), first);
    EXPECT_EQ(guide()->step(), OnboardingStep::Preferences);

    // Later: nothing is applied or written, and the next opening starts on the first step
    // from the saved mode.
    guide()->footerButton(OnboardingView::FooterButton::Later)->click();
    settle();
    EXPECT_EQ(h.controller->onboardingWindow(), nullptr);
    EXPECT_EQ(h.settings.boolValue(QStringLiteral("tarnel.onboardingComplete")), std::nullopt);
    EXPECT_EQ(h.controller->presentationMode(), ClipboardPresentationMode::Notch);
    h.controller->showOnboarding();
    ASSERT_NE(guide(), nullptr);
    EXPECT_EQ(guide()->step(), OnboardingStep::Welcome);
    EXPECT_EQ(guide()->selectedMode(), ClipboardPresentationMode::Notch);
}

TEST(NotchPanelWindows, ScreenshotToastShowsOnlyWhereTheNotchCannotShowTheNotice)
{
    // One notice at a time: the notch's own, with the preview, or the toast. The notch standing
    // in for a missing tray stays at rest beside the toast.
    const QSizeF noticeNotch(280, 160 + 94);
    const QSizeF restingNotch(96, 40);
    const struct {
        const char *what;
        const char *mode;
        bool tray;
        bool quickAccess;
        bool toast;
        QSizeF notch;
    } cases[] = {
        {"notch mode, Quick Access closed", "notch", true, false, false, noticeNotch},
        {"notch mode over Quick Access", "notch", true, true, true, noticeNotch},
        {"menu-bar mode", "menuBar", true, false, true, restingNotch},
        {"menu-bar mode without a tray", "menuBar", false, false, true, restingNotch},
    };
    for (const auto &c : cases) {
        PanelHarness h(QJsonObject{{QStringLiteral("tarnel.presentationMode"), QString::fromLatin1(c.mode)}},
                       shortHoverTimings(), c.tray);
        h.controller->show();
        h.model.quickAccess = c.quickAccess;
        // As the model tells of a new screenshot: the copied notice comes with it.
        h.model.setCopiedNotice(true);
        h.model.setNotice(screenshot(QStringLiteral("A")));
        QWidget *toast = h.controller->screenshotToastPanel();
        EXPECT_EQ(toast && toast->isVisible(), c.toast) << c.what;
        const auto shown = [](QSizeF size) { return QStringLiteral("%1x%2").arg(size.width()).arg(size.height()).toStdString(); };
        EXPECT_EQ(shown(h.controller->drawnNotchSize()), shown(c.notch)) << c.what;
        EXPECT_EQ(h.controller->compactWidth(), c.notch.width()) << c.what;
        EXPECT_EQ(shown(h.panel().drawnRegion().boundingRect().size()), shown(c.notch)) << c.what << ": the window's outline";
        // The notch's notice holds it as it is; the stand-in at rest opens on hover as ever.
        h.moveTo(h.notchCentre());
        EXPECT_EQ(h.controller->isWidthExpanded(), h.panel().isVisible() && c.notch == restingNotch) << c.what;
        h.moveTo(QPoint(0, 500));
        if (!c.toast)
            continue;
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_EQ(toast->geometry(), QRect(area.right() + 1 - 340, area.top() + 20, 320, 124)) << c.what;
        int hides = 0;
        HideCounter counter(hides);
        toast->installEventFilter(&counter);
        h.model.setNotice(screenshot(QStringLiteral("B")));
        settle();
        EXPECT_EQ(h.controller->screenshotToastPanel(), toast) << c.what << ": the toast is reused";
        EXPECT_TRUE(toast->isVisible()) << c.what;
        EXPECT_EQ(hides, 0) << c.what << ": a newer screenshot takes over the toast without taking it off the screen";
        const auto *card = qobject_cast<ScreenshotAddedToast *>(static_cast<TarnelPanel *>(toast)->content());
        ASSERT_TRUE(card) << c.what;
        EXPECT_EQ(card->entry().id, QStringLiteral("B")) << c.what;
        EXPECT_TRUE(card->isVisible()) << c.what;
        toast->removeEventFilter(&counter);
        h.model.setNotice(std::nullopt);
        EXPECT_FALSE(toast->isVisible()) << c.what << ": the notice ending removes the toast";
    }
}


TEST(NotchPanelWindows, TheComposerFromTheToastTriesEveryImageSource)
{
    QTemporaryDir folder;
    const QString screenshotFile = folder.filePath(QStringLiteral("Snímka.png"));
    QFile file(screenshotFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(pngBytes(30, 20, Qt::blue));
    file.close();
    // Broken bytes and a stored file that is gone: only the screenshot file still reads.
    ClipboardEntry entry = screenshot(QStringLiteral("A"), QByteArray("not an image"));
    entry.imageFilePath = folder.filePath(QStringLiteral("gone.png"));
    entry.screenshotFileURL = screenshotFile;

    PanelHarness h;
    // The composer opens at once; the decode, held back here, brings the image later.
    testsupport::HeldThreadPool pool;
    h.controller->openScreenshotAction(entry, false);
    QWidget *window = h.controller->screenshotActionWindow();
    ASSERT_TRUE(window);
    auto *composer = window->findChild<ImageCanvasComposerSheet *>();
    ASSERT_TRUE(composer);
    EXPECT_TRUE(composer->isLoading());
    EXPECT_FALSE(composer->hasImage());
    pool.release();
    ASSERT_TRUE(testsupport::waitFor([composer] { return !composer->isLoading(); }));
    EXPECT_TRUE(composer->hasImage());
    window->close();
}

TEST(NotchPanelWindows, TheSettingsOpenAgainOnThePageLastChosen)
{
    // Closed with the page shown, the settings come back on it when the gear opens them again;
    // a page chosen and then left for another is not what returns.
    const struct {
        const char *what;
        std::vector<SettingsView::Tab> chosen;
        SettingsView::Tab reopened;
    } cases[] = {
        {"nothing chosen", {}, SettingsView::Tab::General},
        {"the shortcuts", {SettingsView::Tab::Shortcuts}, SettingsView::Tab::Shortcuts},
        {"the screenshots, then the clipboard", {SettingsView::Tab::Screenshots, SettingsView::Tab::Clipboard}, SettingsView::Tab::Clipboard},
        {"away and back to the general page", {SettingsView::Tab::Shortcuts, SettingsView::Tab::General}, SettingsView::Tab::General},
    };
    for (const auto &c : cases) {
        PanelHarness h;
        h.controller->show();
        auto *gear = h.panel().findChild<QAbstractButton *>(QStringLiteral("settings"));
        ASSERT_TRUE(gear) << c.what;
        const auto openedView = [&] {
            gear->click();
            QWidget *window = h.controller->settingsWindow();
            return window ? window->findChild<SettingsView *>() : nullptr;
        };
        SettingsView *view = openedView();
        ASSERT_TRUE(view) << c.what;
        EXPECT_EQ(view->tab(), SettingsView::Tab::General) << c.what << ": the first opening";
        for (SettingsView::Tab tab : c.chosen)
            view->tabButton(tab)->click();
        h.controller->settingsWindow()->close();
        settle();
        ASSERT_EQ(h.controller->settingsWindow(), nullptr) << c.what;
        view = openedView();
        ASSERT_TRUE(view) << c.what;
        EXPECT_EQ(view->tab(), c.reopened) << c.what;
        EXPECT_TRUE(view->tabButton(c.reopened)->isChecked()) << c.what << ": the page's tab is the one marked";
        h.controller->settingsWindow()->close();
        settle();
    }
}
