#include "core/L10n.h"
#include "support/SeededModel.h"
#include "support/WidgetEvents.h"
#include "ui/onboarding/FolderPathLine.h"
#include "ui/onboarding/OnboardingProgressBar.h"
#include "ui/onboarding/OnboardingSidebar.h"
#include "ui/onboarding/OnboardingSidebarRow.h"
#include "ui/onboarding/OnboardingView.h"
#include "ui/settings/MenuPicker.h"
#include "ui/settings/PickerOption.h"
#include "ui/style/PanelButton.h"
#include "ui/tools/ToolText.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QScrollBar>
#include <QDir>
#include <QKeyEvent>
#include <QMenu>
#include <QSignalSpy>

#include <gtest/gtest.h>

using testsupport::SeededModel;
using Footer = OnboardingView::FooterButton;

namespace {

// Lets queued model news reach the guide and the old page go.
void settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

template <typename T = QAbstractButton>
T *part(const OnboardingView &view, const QString &name)
{
    return view.page() ? view.page()->findChild<T *>(name) : nullptr;
}

QString footerTitles(const OnboardingView &view)
{
    QStringList titles;
    for (Footer button : {Footer::Later, Footer::Back, Footer::Continue}) {
        if (QAbstractButton *shown = view.footerButton(button))
            titles << static_cast<PanelButton *>(shown)->look().title;
    }
    return titles.join(QLatin1Char('|'));
}

QString rowValue(const OnboardingView &view, const QString &row)
{
    QWidget *shown = part<QWidget>(view, row);
    return shown ? shown->findChild<ToolText *>(QStringLiteral("value"))->text() : QString();
}

void pressReturn(QWidget *widget)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
}

} // namespace

TEST(OnboardingView, StepsForwardAndBackWithCounterProgressSidebarAndFooter)
{
    SeededModel seed;
    OnboardingView view(seed.model().preferences(), ClipboardPresentationMode::Notch);
    view.show();

    EXPECT_EQ(view.step(), OnboardingStep::Welcome);
    EXPECT_EQ(view.footerButton(Footer::Back), nullptr) << "nothing to go back to on the first step";
    const struct {
        OnboardingStep step;
        const char *counter;
        const char *onward;
    } walk[] = {
        {OnboardingStep::Welcome, "Krok 1 z 5", "Pokračovať"},
        {OnboardingStep::Permissions, "Krok 2 z 5", "Pokračovať"},
        {OnboardingStep::Screenshots, "Krok 3 z 5", "Pokračovať"},
        {OnboardingStep::Preferences, "Krok 4 z 5", "Pokračovať"},
        {OnboardingStep::Ready, "Krok 5 z 5", "Začať používať"},
    };
    for (const auto &stop : walk) {
        SCOPED_TRACE(stop.counter);
        ASSERT_EQ(view.step(), stop.step);
        EXPECT_EQ(view.counterText(), QString::fromUtf8(stop.counter));
        EXPECT_DOUBLE_EQ(view.progressBar()->fraction(), (OnboardingSteps::rawValue(stop.step) + 1) / 5.0);
        EXPECT_EQ(footerTitles(view), stop.step == OnboardingStep::Welcome
                                          ? QStringLiteral("Dokončiť neskôr|") + QString::fromUtf8(stop.onward)
                                          : QStringLiteral("Dokončiť neskôr|Späť|") + QString::fromUtf8(stop.onward));
        EXPECT_EQ(view.page()->objectName(), QStringLiteral("page-") + OnboardingSteps::name(stop.step));
        for (OnboardingStep other : OnboardingSteps::all) {
            auto *row = static_cast<OnboardingSidebarRow *>(view.sidebar()->row(other));
            EXPECT_EQ(row->isChecked(), other == stop.step);
            const bool passed = OnboardingSteps::rawValue(other) < OnboardingSteps::rawValue(stop.step);
            EXPECT_EQ(row->shownSymbol(), passed ? QStringLiteral("checkmark.circle.fill") : OnboardingSteps::symbol(other));
        }
        if (stop.step != OnboardingStep::Ready)
            testsupport::click(view.footerButton(Footer::Continue));
        settle();
    }
    testsupport::click(view.footerButton(Footer::Back));
    settle();
    EXPECT_EQ(view.step(), OnboardingStep::Preferences);

    // Any row is reachable at once, backwards as well as forwards.
    testsupport::click(view.sidebar()->row(OnboardingStep::Welcome));
    settle();
    EXPECT_EQ(view.step(), OnboardingStep::Welcome);
    testsupport::click(view.sidebar()->row(OnboardingStep::Ready));
    settle();
    EXPECT_EQ(view.step(), OnboardingStep::Ready);
    EXPECT_EQ(view.counterText(), QStringLiteral("Krok 5 z 5"));
    EXPECT_DOUBLE_EQ(view.progressBar()->fraction(), 1.0);
}

TEST(OnboardingView, ReturnContinuesAndFinishesWithTheChosenModeWhileLaterDropsIt)
{
    SeededModel seed;
    OnboardingView view(seed.model().preferences(), ClipboardPresentationMode::Notch);
    view.show();
    QSignalSpy finished(&view, &OnboardingView::finished);

    // Return works wherever the keyboard is: here on a page's own button.
    testsupport::click(view.sidebar()->row(OnboardingStep::Preferences));
    settle();
    testsupport::click(part(view, QStringLiteral("mode-menuBar")));
    settle();
    EXPECT_EQ(view.selectedMode(), ClipboardPresentationMode::MenuBar);
    EXPECT_TRUE(part<PickerOption>(view, QStringLiteral("mode-menuBar"))->isSelected());
    EXPECT_FALSE(part<PickerOption>(view, QStringLiteral("mode-notch"))->isSelected());
    pressReturn(part(view, QStringLiteral("mode-menuBar")));
    settle();
    ASSERT_EQ(view.step(), OnboardingStep::Ready);
    EXPECT_EQ(rowValue(view, QStringLiteral("summary-mode")), QStringLiteral("Ponuka v lište"))
        << "the summary shows the choice that finishing applies";
    EXPECT_TRUE(finished.isEmpty());

    pressReturn(view.footerButton(Footer::Later));
    settle();
    ASSERT_EQ(finished.size(), 1) << "Return on the last step finishes";
    EXPECT_EQ(finished.at(0).at(0).toBool(), true);
    EXPECT_EQ(finished.at(0).at(1).value<ClipboardPresentationMode>(), ClipboardPresentationMode::MenuBar);

    testsupport::click(view.footerButton(Footer::Later));
    ASSERT_EQ(finished.size(), 2);
    EXPECT_EQ(finished.at(1).at(0).toBool(), false) << "later never completes the guide";
}

TEST(OnboardingView, PreferencesWriteTheModelAtOnceAndTheGuideFollowsLookAndLanguage)
{
    SeededModel seed(testsupport::SeedCounts{80, 6});
    ClipboardModel &model = seed.model();
    // The interface language is the model's, as in the program.
    L10n::setLanguageReader([&model] { return std::optional<QString>(rawValue(model.language())); });
    OnboardingView view(model.preferences(), ClipboardPresentationMode::Notch);
    view.show();
    view.setStep(OnboardingStep::Preferences);

    testsupport::click(part(view, QStringLiteral("appearance-light")));
    EXPECT_EQ(model.appearance(), ClipboardAppearance::Light);
    ASSERT_TRUE(testsupport::waitFor([&] { return PanelStyle::schemeOf(&view) == PanelStyle::Scheme::Light; }))
        << "the guide restyles at once";
    EXPECT_TRUE(testsupport::waitFor([&] { return part<PickerOption>(view, QStringLiteral("appearance-light"))->isSelected(); }));

    testsupport::click(part(view, QStringLiteral("language-en")));
    EXPECT_EQ(model.language(), AppLanguage::En);
    ASSERT_TRUE(testsupport::waitFor([&] { return view.counterText() == QStringLiteral("Step 4 of 5"); }));
    EXPECT_EQ(view.step(), OnboardingStep::Preferences) << "a new language keeps the step";
    EXPECT_EQ(part(view, QStringLiteral("language-sk"))->accessibleName(), QStringLiteral("Slovenčina"));
    EXPECT_EQ(footerTitles(view), QStringLiteral("Finish later|Back|Continue"));

    testsupport::click(part(view, QStringLiteral("recording")));
    EXPECT_FALSE(model.isRecording());
    testsupport::click(part(view, QStringLiteral("repeatsPasteStack")));
    EXPECT_TRUE(model.repeatsPasteStack());
    settle();
    EXPECT_FALSE(part(view, QStringLiteral("recording"))->isChecked()) << "the rebuilt page shows the model";

    auto *limit = part<MenuPicker>(view, QStringLiteral("historyLimit"));
    ASSERT_NE(limit, nullptr);
    QMenu *menu = limit->buildMenu();
    for (QAction *action : menu->actions()) {
        if (action->text() == QStringLiteral("50 items"))
            action->trigger();
    }
    delete menu;
    EXPECT_EQ(model.historyLimit(), 50);
    EXPECT_LE(model.entries().size(), 55) << "a smaller history is trimmed at once";

    EXPECT_EQ(part<QWidget>(view, QStringLiteral("launchIssue")), nullptr);
    model.setLaunchAtLoginIssue(QStringLiteral("autostart folder is read-only"));
    ASSERT_TRUE(testsupport::waitFor([&] { return part<ToolText>(view, QStringLiteral("launchIssue")) != nullptr; }));
    EXPECT_EQ(part<ToolText>(view, QStringLiteral("launchIssue"))->text(), QStringLiteral("autostart folder is read-only"));

    // The mode is only the guide's until it finishes.
    testsupport::click(part(view, QStringLiteral("mode-menuBar")));
    EXPECT_EQ(seed.model().language(), AppLanguage::En);
    view.setStep(OnboardingStep::Ready);
    EXPECT_EQ(rowValue(view, QStringLiteral("summary-stack")), QStringLiteral("Repeat"));
    EXPECT_EQ(rowValue(view, QStringLiteral("summary-mode")), QStringLiteral("Menu Bar"));
    L10n::setLanguageReader({});
}

TEST(OnboardingView, ARebuiltPageKeepsItsScrollPositionAndANewStepStartsAtTheTop)
{
    SeededModel seed;
    ClipboardModel &model = seed.model();
    OnboardingView view(model.preferences(), ClipboardPresentationMode::Notch);
    view.show();
    view.setStep(OnboardingStep::Preferences);
    auto *scroll = view.page()->parentWidget()->parentWidget()->parentWidget();
    auto *area = qobject_cast<QAbstractScrollArea *>(scroll);
    ASSERT_NE(area, nullptr);
    ASSERT_GT(area->verticalScrollBar()->maximum(), 0) << "the preferences page is taller than the window";
    area->verticalScrollBar()->setValue(area->verticalScrollBar()->maximum());
    const int bottom = area->verticalScrollBar()->value();

    // A switch near the bottom: the page is made anew from the model, where the user was.
    const QWidget *before = view.page();
    testsupport::click(part(view, QStringLiteral("repeatsPasteStack")));
    ASSERT_TRUE(testsupport::waitFor([&] { return view.page() != before; }));
    EXPECT_TRUE(part(view, QStringLiteral("repeatsPasteStack"))->isChecked());
    auto *rebuilt = qobject_cast<QAbstractScrollArea *>(view.page()->parentWidget()->parentWidget()->parentWidget());
    EXPECT_EQ(rebuilt->verticalScrollBar()->value(), bottom);

    testsupport::click(view.footerButton(Footer::Continue));
    settle();
    auto *next = qobject_cast<QAbstractScrollArea *>(view.page()->parentWidget()->parentWidget()->parentWidget());
    EXPECT_EQ(next->verticalScrollBar()->value(), 0);
}

TEST(OnboardingView, PermissionCardsFollowTheModelAndTheirButtonsAskForHelp)
{
    SeededModel seed;
    ClipboardModel &model = seed.model();
    OnboardingView view(model.preferences(), ClipboardPresentationMode::Notch);
    view.show();
    view.setStep(OnboardingStep::Permissions);
    QSignalSpy keySending(&view, &OnboardingView::keySendingHelpRequested);
    QSignalSpy keyWatch(&view, &OnboardingView::keyWatchHelpRequested);

    testsupport::click(part(view, QStringLiteral("keyWatch")));
    EXPECT_EQ(keyWatch.size(), 1);
    EXPECT_EQ(keySending.size(), 0);
    testsupport::click(part(view, QStringLiteral("keySending")));
    EXPECT_EQ(keySending.size(), 1);
    EXPECT_EQ(part<ToolText>(view, QStringLiteral("keySending-status"))->text(), QStringLiteral("Čaká na povolenie"));

    // Granted: the status alone, no button; revoked: the button is back.
    model.setAccessibilityPermissionEnabled(true);
    ASSERT_TRUE(testsupport::waitFor([&] { return part(view, QStringLiteral("keySending")) == nullptr; }));
    EXPECT_EQ(part<ToolText>(view, QStringLiteral("keySending-status"))->text(), QStringLiteral("Povolené"));
    EXPECT_NE(part(view, QStringLiteral("keyWatch")), nullptr);
    model.setAccessibilityPermissionEnabled(false);
    EXPECT_TRUE(testsupport::waitFor([&] { return part(view, QStringLiteral("keySending")) != nullptr; }));

    view.setStep(OnboardingStep::Ready);
    model.setInputMonitoringPermissionEnabled(true);
    settle();
    EXPECT_EQ(rowValue(view, QStringLiteral("summary-keySending")), QStringLiteral("Neskôr"));
    EXPECT_EQ(rowValue(view, QStringLiteral("summary-keyWatch")), QStringLiteral("Aktívne"));
}

TEST(OnboardingView, PermissionsPageSaysWhatAWaylandSessionLimits)
{
    SeededModel seed;
    seed.permissions().setWaylandSession(true);
    OnboardingView view(seed.model().preferences(), ClipboardPresentationMode::Notch);
    view.show();
    view.setStep(OnboardingStep::Permissions);
    QWidget *note = part<QWidget>(view, QStringLiteral("sessionNote"));
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->findChild<ToolText *>(QStringLiteral("noteText"))->text(), ClipboardModel::waylandSessionLimitsNotice);
}

TEST(OnboardingView, ScreenshotsPageSwitchesTheImportAndShowsFolderAndProblem)
{
    SeededModel seed;
    ClipboardModel &model = seed.model();
    model.setScreenshotFolderPath(std::nullopt);
    OnboardingView view(model.preferences(), ClipboardPresentationMode::Notch);
    view.show();
    view.setStep(OnboardingStep::Screenshots);
    QSignalSpy folderRequests(&view, &OnboardingView::screenshotFolderRequested);

    EXPECT_EQ(part<ToolText>(view, QStringLiteral("folderLine"))->text(), QStringLiteral("Priečinok nie je vybraný"));
    const bool wasOn = model.automaticScreenshotCapture();
    testsupport::click(part(view, QStringLiteral("automaticScreenshots-switch")));
    EXPECT_EQ(model.automaticScreenshotCapture(), !wasOn);
    testsupport::click(part(view, QStringLiteral("chooseFolder")));
    EXPECT_EQ(folderRequests.size(), 1);

    const QString folder = QDir::tempPath();
    model.setScreenshotFolder(folder);
    ASSERT_TRUE(testsupport::waitFor([&] { return part<FolderPathLine>(view, QStringLiteral("folderLine")) != nullptr; }));
    EXPECT_EQ(part<FolderPathLine>(view, QStringLiteral("folderLine"))->path(), QDir(folder).absolutePath());
    settle();
    EXPECT_EQ(part<QWidget>(view, QStringLiteral("captureIssue")) != nullptr, model.screenshotCaptureIssue().has_value());

    model.setScreenshotCaptureIssue(QStringLiteral("Najprv vyber priečinok, kam sa ukladajú screenshoty."));
    ASSERT_TRUE(testsupport::waitFor([&] { return part<QWidget>(view, QStringLiteral("captureIssue")) != nullptr; }));
    EXPECT_EQ(part<QWidget>(view, QStringLiteral("captureIssue"))->findChild<ToolText *>(QStringLiteral("noteText"))->text(),
              QStringLiteral("Najprv vyber priečinok, kam sa ukladajú screenshoty."));
}

TEST(FolderPathLine, TakesTwoLinesAtMostAndKeepsBothEnds)
{
    const QString path = QStringLiteral("/home/zuzana/Obrázky/Snímky obrazovky/") + QString(200, QLatin1Char('x'))
        + QStringLiteral("/koniec");
    FolderPathLine line(path, 10);
    EXPECT_EQ(line.lines(10000), QStringList{path});
    const QStringList shown = line.lines(200);
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(path.startsWith(shown[0]));
    EXPECT_TRUE(shown[1].endsWith(QStringLiteral("koniec"))) << "the folder's own name stays in sight";
    EXPECT_TRUE(shown[1].contains(QChar(0x2026)));
    EXPECT_EQ(line.heightForWidth(200), 2 * line.heightForWidth(10000));
}

namespace {

// The rows of a painted picture, within a column of it, that hold ink (a pixel that differs
// clearly from the picture's background at the column's first pixel).
QList<int> inkRows(const QImage &picture, int left, int right)
{
    const QRgb background = picture.pixel(left, 0);
    QList<int> rows;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = left; x < right; ++x) {
            if (std::abs(qGray(picture.pixel(x, y)) - qGray(background)) > 60) {
                rows.append(y);
                break;
            }
        }
    }
    return rows;
}

// The first run of inked rows, as its middle.
std::optional<double> firstInkMiddle(const QList<int> &rows)
{
    if (rows.isEmpty())
        return std::nullopt;
    int end = 0;
    while (end + 1 < rows.size() && rows.at(end + 1) <= rows.at(end) + 1)
        ++end;
    return (rows.first() + rows.at(end)) / 2.0;
}

} // namespace

// A hint's symbol stands centred beside its text's first line: beside the whole of a one-line
// hint, and beside the top line of one that wraps.
TEST(OnboardingView, EveryHintsSymbolIsCentredBesideItsFirstLine)
{
    SeededModel seed;
    ClipboardModel &model = seed.model();
    model.setAppearance(ClipboardAppearance::Light);
    model.setScreenshotCaptureIssue(QStringLiteral("Najprv vyber priečinok."));
    OnboardingView view(model.preferences(), ClipboardPresentationMode::Notch);
    view.show();
    for (OnboardingStep step : {OnboardingStep::Permissions, OnboardingStep::Screenshots, OnboardingStep::Ready}) {
        view.setStep(step);
        settle();
        const QList<ToolText *> texts = view.page()->findChildren<ToolText *>(QStringLiteral("noteText"));
        ASSERT_FALSE(texts.isEmpty()) << OnboardingSteps::rawValue(step);
        for (ToolText *text : texts) {
            QWidget *line = text->parentWidget();
            ToolText *symbol = nullptr;
            for (ToolText *candidate : line->findChildren<ToolText *>()) {
                if (candidate != text)
                    symbol = candidate;
            }
            ASSERT_TRUE(symbol);
            const QImage picture = line->grab().toImage();
            const std::optional<double> symbolMiddle = firstInkMiddle(inkRows(picture, symbol->x(), symbol->geometry().right()));
            const std::optional<double> textMiddle = firstInkMiddle(inkRows(picture, text->x(), text->geometry().right()));
            ASSERT_TRUE(symbolMiddle && textMiddle) << text->text().toStdString();
            EXPECT_NEAR(*symbolMiddle, *textMiddle, 1.5) << text->text().toStdString();
        }
    }
}
