// Reading text from the screen through the controller: Tarnel's windows step aside while the
// user picks a region, and every outcome brings them back with its own message.
#include "shell/PanelHarness.h"
#include "support/ScopedLanguage.h"

#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

TEST(NotchPanelScreenText, EveryOutcomeBringsTheWindowsBackWithItsOwnMessage)
{
    const ScopedLanguage slovak(QStringLiteral("sk"));
    const QString failed = QStringLiteral("Text sa nepodarilo rozpoznať. Skús znova.");
    struct Case {
        const char *name;
        RegionCaptureOutcome capture;
        std::optional<QString> recognized; // none: the recogniser fails
        QStringList alerts;
        QStringList stored;
    };
    const Case cases[] = {
        {"text keeps its spaces and lines", RegionCaptureOutcome::Saved, QStringLiteral("  Faktúra\n2024\n"), {},
         {QStringLiteral("  Faktúra\n2024\n")}},
        {"only white space", RegionCaptureOutcome::Saved, QStringLiteral(" \n\t"),
         {QStringLiteral("V oblasti sa nenašiel text.")}, {}},
        {"selection cancelled", RegionCaptureOutcome::Cancelled, QString(), {}, {}},
        {"capture failed", RegionCaptureOutcome::Failed, QString(), {failed}, {}},
        {"recognition failed", RegionCaptureOutcome::Saved, std::nullopt, {failed}, {}},
    };
    for (const Case &c : cases) {
        PanelHarness h(QJsonObject{{QStringLiteral("tarnel.onboardingComplete"), true}});
        h.controller->show();
        h.controller->openQuickAccess(false);
        h.model.setNotice(ClipboardEntry{});
        h.recognizer.result = {c.recognized, c.recognized ? QString() : QStringLiteral("no language data")};

        h.controller->readTextFromScreen();
        h.controller->readTextFromScreen();
        EXPECT_FALSE(h.panel().isVisible() || h.model.quickAccess || h.model.notice) << c.name;
        // The capture starts only once the hidden windows had time to leave the screen.
        EXPECT_EQ(h.regionCapture.requestCount(), 0) << c.name;
        ASSERT_TRUE(QTest::qWaitFor([&] { return h.regionCapture.isPending(); })) << c.name;
        h.regionCapture.finish(c.capture, QImage(8, 8, QImage::Format_RGB32), QStringLiteral("grab failed"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !h.controller->isReadingScreenText(); })) << c.name;

        EXPECT_EQ(h.regionCapture.requestCount(), 1) << c.name << ": a second read while one runs is ignored";
        EXPECT_EQ(h.alerts, c.alerts) << c.name;
        EXPECT_EQ(h.model.recognized, c.stored) << c.name;
        EXPECT_TRUE(h.panel().isVisible()) << c.name;
    }

    // Without access to the screen nothing starts; the first button offers the explanation.
    PanelHarness h(QJsonObject{{QStringLiteral("tarnel.onboardingComplete"), true}});
    h.permissions.setScreenRecording(false);
    QList<Permissions::Kind> explained;
    QObject::connect(&h.permissions, &Permissions::explanationRequested,
                     [&](Permissions::Kind kind) { explained.append(kind); });
    for (const int choice : {1, 0}) {
        h.alertChoice = choice;
        h.controller->readTextFromScreen();
    }
    EXPECT_EQ(h.alerts, QStringList(2, QStringLiteral("Povoľ nahrávanie obrazovky")));
    EXPECT_EQ(explained, QList<Permissions::Kind>{Permissions::Kind::ScreenRecording});
    EXPECT_FALSE(h.controller->isReadingScreenText());
}

} // namespace
