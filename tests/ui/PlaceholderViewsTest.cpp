#include "shell/PanelHarness.h"
#include "ui/onboarding/OnboardingView.h"
#include "ui/panel/ClipboardPanelView.h"
#include "support/ScopedLanguage.h"

#include <QJsonObject>
#include <QLabel>
#include <QRadioButton>

#include <gtest/gtest.h>

TEST(PlaceholderViews, SettingsViewSwitchesThePresentationMode)
{
    PanelHarness h;
    h.controller->show();
    ClipboardPanelView view(h.model, *h.controller, true);
    auto *menuBar = view.findChild<QRadioButton *>(QStringLiteral("presentationMode-menuBar"));
    auto *notch = view.findChild<QRadioButton *>(QStringLiteral("presentationMode-notch"));
    ASSERT_TRUE(menuBar && notch);
    EXPECT_TRUE(notch->isChecked()) << "shows the current mode";

    menuBar->click();
    EXPECT_EQ(h.controller->presentationMode(), ClipboardPresentationMode::MenuBar);
    EXPECT_EQ(h.settings.textValue(QStringLiteral("tarnel.presentationMode")), QStringLiteral("menuBar"));

    h.controller->setPresentationMode(ClipboardPresentationMode::Notch);
    EXPECT_TRUE(notch->isChecked()) << "follows a change made elsewhere";
}

TEST(PlaceholderViews, PanelViewSaysWhatItShowsInTheInterfaceLanguage)
{
    const struct {
        const char *language;
        const char *entries;
        const char *items;
    } languages[] = {
        {"sk", "Záznamy v histórii: 7", "Položky: 3"},
        {"en", "Entries in the history: 7", "Items: 3"},
    };
    for (const auto &l : languages) {
        ScopedLanguage language(QString::fromLatin1(l.language));
        PanelHarness h;
        h.controller->show();
        h.model.entries = 7;
        h.model.items = 3;
        ClipboardPanelView view(h.model, *h.controller, false);
        const struct {
            const char *state;
            std::function<void()> apply;
            QString contains;
        } cases[] = {
            {"collapsed", [] {}, QString()},
            {"expanded", [&] { h.controller->toggleExpanded(); }, QString::fromUtf8(l.entries)},
            {"quick access", [&] { h.model.setQuickAccessPresented(true); }, QString::fromUtf8(l.items)},
        };
        for (const auto &c : cases) {
            c.apply();
            if (c.contains.isEmpty())
                EXPECT_TRUE(view.statusText().isEmpty()) << l.language << ", " << c.state;
            else
                EXPECT_TRUE(view.statusText().contains(c.contains))
                    << l.language << ", " << c.state << ": " << view.statusText().toStdString();
        }
    }
}

TEST(PlaceholderViews, SettingsSayWhyThePanelStaysWithoutATray)
{
    const QString note = QStringLiteral("Systémová lišta nie je dostupná");
    const struct {
        const char *what;
        const char *mode;
        bool tray;
        bool noted;
    } cases[] = {
        {"menu bar without a tray", "menuBar", false, true},
        {"menu bar with a tray", "menuBar", true, false},
        {"notch without a tray", "notch", false, false},
    };
    for (const auto &c : cases) {
        PanelHarness h(QJsonObject{{QStringLiteral("tarnel.presentationMode"), QString::fromLatin1(c.mode)}},
                       shortHoverTimings(), c.tray);
        ClipboardPanelView view(h.model, *h.controller, true);
        EXPECT_EQ(view.statusText().contains(note), c.noted) << c.what;
    }

    // The note follows a tray host that comes later, and the mode.
    PanelHarness h(QJsonObject{{QStringLiteral("tarnel.presentationMode"), QStringLiteral("menuBar")}},
                   shortHoverTimings(), false);
    ClipboardPanelView view(h.model, *h.controller, true);
    auto *label = view.findChild<QLabel *>();
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->text().contains(note));
    h.trayAvailable = true;
    h.controller->checkTrayAvailability();
    EXPECT_FALSE(label->text().contains(note)) << "a tray host appeared";
    h.trayAvailable = false;
    h.controller->checkTrayAvailability();
    EXPECT_TRUE(label->text().contains(note)) << "the tray host went away";
    h.controller->setPresentationMode(ClipboardPresentationMode::Notch);
    EXPECT_FALSE(label->text().contains(note)) << "notch mode needs no tray";
}

TEST(PlaceholderViews, GuideStartsFromTheSavedModeAndFinishesWithTheChosenOne)
{
    const struct {
        ClipboardPresentationMode saved;
        std::optional<ClipboardPresentationMode> choice;
        ClipboardPresentationMode finished;
    } cases[] = {
        {ClipboardPresentationMode::Notch, std::nullopt, ClipboardPresentationMode::Notch},
        {ClipboardPresentationMode::MenuBar, std::nullopt, ClipboardPresentationMode::MenuBar},
        {ClipboardPresentationMode::Notch, ClipboardPresentationMode::MenuBar, ClipboardPresentationMode::MenuBar},
    };
    for (const auto &c : cases) {
        PanelHarness h;
        h.model.savedMode = c.saved;
        std::optional<std::pair<bool, ClipboardPresentationMode>> result;
        int callbacks = 0;
        OnboardingView guide(h.model, [&] { ++callbacks; }, [&] { ++callbacks; }, [&] { ++callbacks; },
                             [&](bool completed, ClipboardPresentationMode mode) { result = {completed, mode}; });
        EXPECT_EQ(guide.selectedMode(), c.saved);
        if (c.choice)
            guide.selectMode(*c.choice);
        for (const char *name : {"openAccessibility", "openInputMonitoring", "chooseScreenshotFolder"})
            QMetaObject::invokeMethod(guide.findChild<QObject *>(QString::fromLatin1(name)), "click");
        EXPECT_EQ(callbacks, 3);
        QMetaObject::invokeMethod(guide.findChild<QObject *>(QStringLiteral("finish")), "click");
        ASSERT_TRUE(result.has_value());
        EXPECT_TRUE(result->first);
        EXPECT_EQ(result->second, c.finished);
    }
}
