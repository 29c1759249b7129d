// The whole program put together over fakes: the roads from the desktop's backends to the
// panel that only a run of the real program reached before.
#include "core/AppShortcut.h"
#include "core/FormattedText.h"
#include "core/L10n.h"
#include "engine/ClipboardModel.h"
#include "engine/HistoryRows.h"
#include "platform/fake/FakeDesktopCompositor.h"
#include "platform/fake/FakeFolderWatcher.h"
#include "platform/fake/FakeHistoryStore.h"
#include "platform/fake/FakeHotKeyRegistry.h"
#include "platform/fake/FakeInstanceLock.h"
#include "platform/fake/FakeKeySender.h"
#include "platform/fake/FakeKeyTap.h"
#include "platform/fake/FakeLoginItem.h"
#include "platform/fake/FakePanelWindowTraits.h"
#include "platform/fake/FakePasteboard.h"
#include "platform/fake/FakePermissions.h"
#include "platform/fake/FakeScreenshotLocation.h"
#include "platform/fake/FakeSettingsStore.h"
#include "platform/fake/FakeUpdater.h"
#include "platform/fake/FakeWorkspace.h"
#include "shell/CompositionRoot.h"
#include "support/TestFiles.h"
#include "shell/NotchPanelController.h"
#include "shell/TarnelPanel.h"
#include "ui/library/EntryList.h"
#include "ui/library/EntryListModel.h"
#include "ui/quickaccess/QuickAccessListModel.h"
#include "ui/quickaccess/QuickAccessView.h"

#include <QApplication>
#include <QCursor>
#include <QJsonObject>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

const RunningApplication kEditor{11, 1100, QStringLiteral("Editor")};

QJsonObject completedGuide()
{
    return QJsonObject{{QStringLiteral("tarnel.onboardingComplete"), true}};
}

// A desktop of fakes, with an editor in front of it.
struct FakeDesktop {
    explicit FakeDesktop(QJsonObject settingsValues = completedGuide(), QJsonObject earlierValues = {})
        : settings(std::move(settingsValues))
        , earlierSettings(std::move(earlierValues))
    {
        workspace.setOwnPid(4242);
        workspace.setApplications({kEditor});
        workspace.setFrontmostApplication(kEditor);
        keySender.watchPasteboard(&pasteboard);
    }

    DesktopServices services()
    {
        return DesktopServices{
            .instanceLock = lock,
            .settings = settings,
            .history = history,
            .workspace = workspace,
            .keyTap = keyTap,
            .permissions = permissions,
            .hotKeys = hotKeys,
            .keySender = keySender,
            .windowTraits = windowTraits,
            .pasteboard = pasteboard,
            .loginItem = loginItem,
            .screenshotLocation = screenshotLocation,
            .compositor = &compositor,
            .openEarlierSettings = [this] { return std::make_unique<FakeSettingsStore>(earlierSettings); },
            .makeUpdater = [] { return std::make_unique<FakeUpdater>(); },
            .makeFolderWatcher = [] { return std::make_unique<FakeFolderWatcher>(); },
            .copyFetchDeadline = std::chrono::milliseconds(8000),
            .dataFolder = dataFolder.path(),
        };
    }

    FakeInstanceLock lock;
    FakeSettingsStore settings;
    QJsonObject earlierSettings;
    FakeHistoryStore history;
    FakeWorkspace workspace;
    FakeKeyTap keyTap;
    FakePermissions permissions;
    FakeHotKeyRegistry hotKeys;
    FakeKeySender keySender;
    FakePanelWindowTraits windowTraits;
    FakePasteboard pasteboard;
    FakeLoginItem loginItem;
    FakeScreenshotLocation screenshotLocation;
    FakeDesktopCompositor compositor;
    QTemporaryDir dataFolder;
};

QStringList historyTexts(const ClipboardModel &model)
{
    QStringList texts;
    for (const ClipboardEntry &entry : model.entries())
        texts.append(entry.text);
    return texts;
}

// The Quick Access view the notch panel hosts (the menu-bar popup hosts one of its own).
QuickAccessView *panelQuickAccess(const CompositionRoot &root)
{
    return root.panelController()->panel()->findChild<QuickAccessView *>();
}

QStringList quickAccessTitles(const QuickAccessView &view)
{
    QStringList titles;
    for (int row = 0; row < view.listModel()->rowCount(); ++row)
        titles.append(view.listModel()->index(row).data(QuickAccessListModel::TitleRole).toString());
    return titles;
}

// Whether one of the notch panel's own entry lists (one per section) holds these texts, in the
// order its section ranks them.
bool panelListShows(const CompositionRoot &root, QStringList texts)
{
    texts.sort();
    for (EntryList *list : root.panelController()->panel()->findChildren<EntryList *>()) {
        QStringList shown;
        for (int row = 0; row < list->listModel()->rowCount(); ++row)
            shown.append(list->listModel()->entryAt(row)->text);
        shown.sort();
        if (shown == texts)
            return true;
    }
    return false;
}

QList<QMessageBox *> shownAlerts()
{
    QList<QMessageBox *> alerts;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (auto *box = qobject_cast<QMessageBox *>(window); box && box->isVisible())
            alerts.append(box);
    }
    return alerts;
}

} // namespace

TEST(CompositionRoot, TheHistoryShortcutOpensThePanelOverTheCopiesAndReturnPastesIntoTheEditor)
{
    FakeDesktop desktop;
    CompositionRoot root(desktop.services());
    EXPECT_EQ(root.model(), nullptr) << "nothing is built before the start";
    root.start();
    ASSERT_NE(root.model(), nullptr);
    ASSERT_NE(root.panelController(), nullptr);
    EXPECT_TRUE(root.panelController()->panel()->isVisible());

    // Copies made in other applications reach the model, the stored history and the panel's list.
    desktop.pasteboard.copyText(QStringLiteral("alpha"));
    desktop.pasteboard.copyText(QStringLiteral("beta"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return historyTexts(*root.model()).size() == 2; }));
    EXPECT_EQ(historyTexts(*root.model()), (QStringList{QStringLiteral("beta"), QStringLiteral("alpha")}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return desktop.history.rows().size() == 2; }));
    // The pointer resting on the notch opens the panel over them.
    const QRect notch = root.panelController()->panel()->frame();
    QCursor::setPos(notch.center().x(), notch.top() + 5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return root.panelController()->isContentExpanded(); }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return panelListShows(root, {QStringLiteral("beta"), QStringLiteral("alpha")}); }));
    QCursor::setPos(notch.center().x(), notch.bottom() + 400);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !root.panelController()->isContentExpanded(); }));

    // The shortcut the keyboard monitor registered opens Quick Access in the panel, over the editor.
    ASSERT_TRUE(desktop.hotKeys.fire(AppShortcut::history));
    EXPECT_TRUE(root.panelController()->isAtCursor());
    EXPECT_TRUE(root.panelController()->panel()->isVisible());
    QuickAccessView *quickAccess = panelQuickAccess(root);
    ASSERT_NE(quickAccess, nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return quickAccess->isVisible(); }));
    EXPECT_EQ(quickAccessTitles(*quickAccess), (QStringList{QStringLiteral("beta"), QStringLiteral("alpha")}));

    // Return pastes the selected entry into the editor, and the panel goes back under the notch.
    const std::optional<QString> selected = root.model()->selectedEntryID();
    ASSERT_TRUE(selected.has_value());
    const auto selectedEntry = std::find_if(root.model()->entries().begin(), root.model()->entries().end(),
                                            [&](const ClipboardEntry &entry) { return entry.id == *selected; });
    ASSERT_NE(selectedEntry, root.model()->entries().end());
    const QString selectedText = selectedEntry->text;
    QKeyEvent returnKey(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QCoreApplication::sendEvent(root.panelController()->panel()->windowHandle(), &returnKey);
    ASSERT_TRUE(QTest::qWaitFor([&] { return desktop.keySender.count(KeyChord::Paste) == 1; }));
    EXPECT_EQ(desktop.keySender.sentChords().last().targetPid, std::optional<qint64>(kEditor.pid));
    EXPECT_EQ(desktop.keySender.clipboardWhenSent().last().text, selectedText);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !root.panelController()->isAtCursor(); }));
    EXPECT_FALSE(root.model()->isQuickAccessPresented());
}

TEST(CompositionRoot, TheEarlierProductsSettingsAreMigratedBeforeThePanelReadsThem)
{
    // Only the earlier product knows the guide was completed: migrated first, no guide opens.
    const struct {
        const char *what;
        QJsonObject earlier;
        bool guideShown;
    } cases[] = {
        {"guide completed in the earlier product", QJsonObject{{QStringLiteral("quorvel.onboardingComplete"), true}},
         false},
        {"nothing earlier", QJsonObject{}, true},
    };
    for (const auto &c : cases) {
        FakeDesktop desktop({}, c.earlier);
        CompositionRoot root(desktop.services());
        root.start();
        ASSERT_NE(root.panelController(), nullptr) << c.what;
        EXPECT_EQ(desktop.settings.values().value(QStringLiteral("tarnel.migrationComplete")).toBool(), true) << c.what;
        const QWidget *guide = root.panelController()->onboardingWindow();
        EXPECT_EQ(guide != nullptr && guide->isVisible(), c.guideShown) << c.what;
    }
}

TEST(CompositionRoot, AQuitWaitsForTheCopyTheClipboardIsStillReading)
{
    // Each road to a quit, on a root of its own: each of them quits once, whichever came first.
    const struct {
        const char *what;
        std::function<void(FakeDesktop &, CompositionRoot &)> ask;
    } cases[] = {
        {"the session ends", [](FakeDesktop &, CompositionRoot &root) { root.quitOnceCopiesAreIn(); }},
        {"a newer instance asks", [](FakeDesktop &desktop, CompositionRoot &) { desktop.lock.simulateQuitRequest(); }},
    };
    for (const auto &c : cases) {
        FakeDesktop desktop;
        CompositionRoot root(desktop.services());
        root.start();
        QSignalSpy ready(&root, &CompositionRoot::readyToQuit);
        desktop.pasteboard.setFetching(true);
        const int checksBefore = desktop.pasteboard.fetchingChecks();
        c.ask(desktop, root);
        // Several checks find the copy still coming: no quit yet.
        ASSERT_TRUE(QTest::qWaitFor([&] { return desktop.pasteboard.fetchingChecks() >= checksBefore + 5; }))
            << c.what;
        EXPECT_EQ(ready.count(), 0) << c.what;

        desktop.pasteboard.setFetching(false);
        desktop.pasteboard.copyText(QStringLiteral("last words"));
        ASSERT_TRUE(ready.wait()) << c.what;
        EXPECT_EQ(historyTexts(*root.model()), QStringList{QStringLiteral("last words")}) << c.what;
    }
}

TEST(CompositionRoot, FailedHistoryWritesShowAnAlertThatALaterWriteCloses)
{
    FakeDesktop desktop;
    CompositionRoot root(desktop.services());
    root.start();
    ASSERT_NE(root.model(), nullptr);
    // Two spells of failed writes, each ended by a write that succeeds: an alert for each.
    const QStringList copies{QStringLiteral("first"), QStringLiteral("second")};
    for (qsizetype spell = 0; spell < copies.size(); ++spell) {
        const QString &copy = copies.at(spell);
        desktop.history.setFailsWrites(true);
        desktop.pasteboard.copyText(copy);
        ASSERT_TRUE(QTest::qWaitFor([] { return shownAlerts().size() == 1; })) << copy.toStdString();
        const QPointer<QMessageBox> alert = shownAlerts().first();
        ASSERT_TRUE(root.model()->historyStorageIssue().has_value());
        EXPECT_EQ(alert->text(), L10n::text(*root.model()->historyStorageIssue()));

        desktop.history.setFailsWrites(false);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !alert || !alert->isVisible(); })) << copy.toStdString();
        EXPECT_TRUE(shownAlerts().isEmpty());
        // The retried write stored what the failed one could not.
        EXPECT_TRUE(QTest::qWaitFor([&] { return desktop.history.rows().size() == spell + 1; })) << copy.toStdString();
    }
}

TEST(CompositionRoot, StoredFilesSetAsideAtStartAreNamedInAnAlert)
{
    FakeDesktop desktop;
    const QString settingsAside = QStringLiteral("/home/user/.config/Tarnel/defaults.json.unreadable-1");
    desktop.settings.setSetAsidePath(settingsAside);
    desktop.history.seedDamage({}, QStringLiteral("file is not a database"));
    CompositionRoot root(desktop.services());
    root.start();
    ASSERT_TRUE(QTest::qWaitFor([] { return shownAlerts().size() == 1; }));
    const QString text = shownAlerts().first()->text();
    EXPECT_TRUE(text.contains(settingsAside)) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("history.sqlite3.unreadable-1"))) << text.toStdString();
    shownAlerts().first()->close();
}

// What was found at the history's path while Tarnel held it is named for what it was: another
// history (a backup restored over it) as a history, anything else as data that could not be read.
TEST(CompositionRoot, FilesSetAsideWhileRunningAreNamedForWhatTheyWere)
{
    const QString database = QStringLiteral("/data/Tarnel/history.sqlite3.unreadable-2");
    const QString log = database + QStringLiteral("-wal");
    const auto paragraph = [](const QString &notice, const QStringList &paths) {
        return FormattedText::substitute(L10n::text(notice), {paths.join(u'\n')});
    };
    const QString images = L10n::text(ClipboardModel::setAsideFilesKeepImagesNotice);
    struct Case {
        const char *name;
        QStringList setAside;
        QStringList histories;
        QStringList paragraphs;
    };
    const Case cases[] = {
        {"another history with its log", {database, log}, {database, log}, {paragraph(ClipboardModel::otherHistorySetAsideNotice, {database, log}), images}},
        {"a file no history can be read from", {database}, {}, {paragraph(ClipboardModel::storedFilesSetAsideNotice, {database}), images}},
        {"another program's log beside the history kept", {log}, {}, {paragraph(ClipboardModel::storedFilesSetAsideNotice, {log}), images}},
    };
    for (const Case &c : cases) {
        FakeDesktop desktop;
        CompositionRoot root(desktop.services());
        root.start();
        ASSERT_NE(root.model(), nullptr);
        desktop.pasteboard.copyText(QStringLiteral("before"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return desktop.history.rows().size() == 1; })) << c.name;
        EXPECT_TRUE(shownAlerts().isEmpty()) << c.name;
        desktop.history.seedFilesChange({true, c.setAside, c.histories, QStringLiteral("replaced")});
        desktop.pasteboard.copyText(QStringLiteral("after"));
        ASSERT_TRUE(QTest::qWaitFor([] { return shownAlerts().size() == 1; })) << c.name;
        EXPECT_EQ(shownAlerts().first()->text(), c.paragraphs.join(QStringLiteral("\n\n"))) << c.name;
        shownAlerts().first()->close();
    }
}

// A damaged history set aside at start: the alert says how many of its entries are kept and how
// many were lost, a row this build cannot read among them.
TEST(CompositionRoot, ADamagedHistorySetAsideAtStartSaysHowManyEntriesWereSavedAndLost)
{
    ClipboardEntry text;
    text.id = QStringLiteral("T");
    text.text = QStringLiteral("kept");
    QList<StoredHistoryRow> rows = HistoryRows::rowsFor({text});
    rows.append({QStringLiteral("BAD"), 1, R"({"id":"BAD","kind":"bogus"})"});
    struct Case {
        const char *name;
        QList<StoredHistoryRow> readable;
        qint64 lostRows;
        bool lostCountExact;
        QString expected;
    };
    const Case cases[] = {
        {"counted", rows, 5, true,
         FormattedText::substitute(L10n::text(ClipboardModel::damagedHistoryRowsNotice), {"1", "6"})},
        {"counted in part", rows, 5, false,
         FormattedText::substitute(L10n::text(ClipboardModel::damagedHistoryLeastRowsNotice), {"1", "6"})},
        {"every row read, damage elsewhere", rows.mid(0, 1), 0, true,
         FormattedText::substitute(L10n::text(ClipboardModel::damagedHistoryRowsNotice), {"1", "0"})},
        {"nothing read", {}, 0, false, L10n::text(ClipboardModel::damagedHistoryNothingReadNotice)},
    };
    for (const Case &c : cases) {
        FakeDesktop desktop;
        desktop.history.seedDamage(c.readable, QStringLiteral("database disk image is malformed"), c.lostRows,
                                   c.lostCountExact);
        CompositionRoot root(desktop.services());
        root.start();
        ASSERT_TRUE(QTest::qWaitFor([] { return shownAlerts().size() == 1; })) << c.name;
        const QString shown = shownAlerts().first()->text();
        EXPECT_TRUE(shown.contains(QStringLiteral("history.sqlite3.unreadable-1"))) << c.name;
        EXPECT_TRUE(shown.contains(c.expected)) << c.name << ": " << shown.toStdString();
        shownAlerts().first()->close();
    }
}

// A copy set aside in an earlier run keeps the images of deleted entries on disk for as long as
// it lies there; every start says so and names it, until the user removes it.
TEST(CompositionRoot, AFileSetAsideInAnEarlierRunIsNamedAtEveryStartWhileItStays)
{
    FakeDesktop desktop;
    QDir().mkpath(desktop.dataFolder.filePath(QStringLiteral("Tarnel")));
    const QString aside = desktop.dataFolder.filePath(QStringLiteral("Tarnel/history.sqlite3.unreadable-20261201-101010-000"));
    ASSERT_TRUE(writeFile(aside, "a history set aside by an earlier run"));
    for (int start = 1; start <= 2; ++start) {
        CompositionRoot root(desktop.services());
        root.start();
        ASSERT_TRUE(QTest::qWaitFor([] { return shownAlerts().size() == 1; })) << "start " << start;
        const QString text = shownAlerts().first()->text();
        EXPECT_EQ(text, FormattedText::substitute(L10n::text(ClipboardModel::earlierSetAsideFilesNotice), {aside}))
            << text.toStdString();
        shownAlerts().first()->close();
    }
    ASSERT_TRUE(QFile::remove(aside));
    CompositionRoot root(desktop.services());
    root.start();
    ASSERT_NE(root.model(), nullptr);
    QCoreApplication::processEvents();
    EXPECT_TRUE(shownAlerts().isEmpty());
}

// What an earlier run set aside is named at each start for what it is: another history found in
// place of the history, with its log, as a history; anything else as data that could not be read.
TEST(CompositionRoot, FilesSetAsideInAnEarlierRunAreNamedForWhatTheyWere)
{
    const QString history = QStringLiteral("Tarnel/history.sqlite3.unreadable-20261201-101010-000");
    const QString log = history + QStringLiteral("-wal");
    const QString garbage = QStringLiteral("Tarnel/history.sqlite3.unreadable-20261202-101010-000");
    struct Case {
        const char *name;
        QStringList files;
        QStringList histories;
        // Each notice with the files it names.
        QList<std::pair<QString, QStringList>> paragraphs;
    };
    const Case cases[] = {
        {"another history with its log", {history, log}, {history}, {{ClipboardModel::earlierOtherHistorySetAsideNotice, {history, log}}}},
        {"data that could not be read", {garbage}, {}, {{ClipboardModel::earlierSetAsideFilesNotice, {garbage}}}},
        {"both", {history, garbage}, {history}, {{ClipboardModel::earlierOtherHistorySetAsideNotice, {history}}, {ClipboardModel::earlierSetAsideFilesNotice, {garbage}}}},
    };
    for (const Case &c : cases) {
        FakeDesktop desktop;
        QDir().mkpath(desktop.dataFolder.filePath(QStringLiteral("Tarnel")));
        QStringList histories;
        for (const QString &file : c.files)
            ASSERT_TRUE(writeFile(desktop.dataFolder.filePath(file), "set aside by an earlier run")) << c.name;
        for (const QString &file : c.histories)
            histories.append(desktop.dataFolder.filePath(file));
        desktop.history.seedHistoriesAside(histories);
        QStringList expected;
        for (const auto &[notice, files] : c.paragraphs) {
            QStringList paths;
            for (const QString &file : files)
                paths.append(desktop.dataFolder.filePath(file));
            expected.append(FormattedText::substitute(L10n::text(notice), {paths.join(u'\n')}));
        }
        CompositionRoot root(desktop.services());
        root.start();
        ASSERT_TRUE(QTest::qWaitFor([] { return shownAlerts().size() == 1; })) << c.name;
        // The files are told apart a moment after the alert first shows.
        EXPECT_TRUE(QTest::qWaitFor([&] { return shownAlerts().first()->text() == expected.join(QStringLiteral("\n\n")); }))
            << c.name << ": " << shownAlerts().first()->text().toStdString();
        shownAlerts().first()->close();
    }
}

TEST(CompositionRoot, AQuitWhileTheHistoryCannotBeWrittenSaysSoBeforeTheEnd)
{
    // The user reads the alert and closes it; or the disk takes the writes again meanwhile; or
    // nobody is there to read it (a logout), and it closes by itself.
    enum class Then {
        UserCloses,
        RoomComesBack,
        NobodyAnswers,
    };
    for (const Then then : {Then::UserCloses, Then::RoomComesBack, Then::NobodyAnswers}) {
        const int c = int(then);
        FakeDesktop desktop;
        DesktopServices services = desktop.services();
        services.unsavedHistoryNoticeLimit = then == Then::NobodyAnswers ? std::chrono::milliseconds(300)
                                                                         : std::chrono::hours(1);
        CompositionRoot root(services);
        root.start();
        ASSERT_NE(root.model(), nullptr);
        desktop.history.setFailsWrites(true);
        desktop.pasteboard.copyText(QStringLiteral("copied on a full disk"));
        ASSERT_TRUE(QTest::qWaitFor([] { return shownAlerts().size() == 1; }));

        QSignalSpy ready(&root, &CompositionRoot::readyToQuit);
        root.quitOnceCopiesAreIn();
        const QString lost =
            FormattedText::substitute(L10n::text(ClipboardModel::historyUnsavedAtQuitNotice), {QStringLiteral("—")});
        ASSERT_TRUE(QTest::qWaitFor([&] { return shownAlerts().size() == 1 && shownAlerts().first()->text() == lost; }))
            << c;
        EXPECT_EQ(ready.count(), 0) << "the end waits for the alert";
        if (then == Then::RoomComesBack)
            desktop.history.setFailsWrites(false);
        else if (then == Then::UserCloses)
            shownAlerts().first()->accept();
        EXPECT_TRUE(QTest::qWaitFor([&] { return ready.count() == 1; })) << c;
        EXPECT_EQ(desktop.history.rows().size(), then == Then::RoomComesBack ? 1 : 0) << c;
        EXPECT_TRUE(QTest::qWaitFor([] { return shownAlerts().isEmpty(); })) << c;
    }
}

namespace {

// Every message the program logs while one lives.
class LoggedLines {
public:
    LoggedLines()
    {
        s_lines.clear();
        m_previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &message) {
            s_lines.append(message);
        });
    }
    ~LoggedLines() { qInstallMessageHandler(m_previous); }
    qsizetype count(const QString &part) const
    {
        return std::count_if(s_lines.cbegin(), s_lines.cend(), [&](const QString &line) { return line.contains(part); });
    }

private:
    inline static QStringList s_lines;
    QtMessageHandler m_previous = nullptr;
};

} // namespace

// A start that finds the history kept by an instance that neither quits nor can be made to: the
// user is told which process it is, and the program ends once the alert is read, never unseen.
TEST(CompositionRoot, AStartThatGivesWayNamesTheInstanceItGaveWayTo)
{
    FakeDesktop desktop;
    desktop.lock.setOthersRunning(true);
    CompositionRoot root(desktop.services());
    QSignalSpy ready(&root, &CompositionRoot::readyToQuit);
    root.start();
    desktop.lock.simulateGivingWay(4711, QStringLiteral("/opt/tarnel-2/bin/tarnel"));
    ASSERT_TRUE(QTest::qWaitFor([] { return shownAlerts().size() == 1; }));
    const QString text = shownAlerts().first()->text();
    EXPECT_EQ(text, FormattedText::substitute(L10n::text(CompositionRoot::otherInstanceKeepsRunningNotice), {QStringLiteral("4711"), QStringLiteral("/opt/tarnel-2/bin/tarnel")}));
    EXPECT_TRUE(text.contains(QStringLiteral("4711"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("/opt/tarnel-2/bin/tarnel"))) << text.toStdString();
    EXPECT_EQ(root.model(), nullptr) << "nothing runs beside it";
    QTest::qWait(50);
    EXPECT_EQ(ready.count(), 0) << "the end waits for the user";
    shownAlerts().first()->accept();
    EXPECT_TRUE(QTest::qWaitFor([&] { return ready.count() == 1; }));
}

// Without any lock on the history (a file system without locks) the program runs, says so, and
// writes nothing of the history: another writer could not be ruled out. It still shows what is
// stored.
TEST(CompositionRoot, WithoutAHistoryLockTheProgramRunsSaysSoAndKeepsItsCopiesInMemory)
{
    FakeDesktop desktop(completedGuide(), QJsonObject{{QStringLiteral("quorvel.onboardingComplete"), true}});
    ClipboardEntry stored;
    stored.id = QStringLiteral("S1");
    stored.text = QStringLiteral("stored before");
    stored.copiedAt = QDateTime::currentDateTimeUtc().addSecs(-60);
    stored.kind = ClipboardKind::Text;
    desktop.history.seedRows(HistoryRows::rowsFor({stored}));
    const QString problem = QStringLiteral("/home/user/.local/share/Tarnel: No locks available");
    desktop.lock.setHistoryLockProblem(problem);
    CompositionRoot root(desktop.services());
    root.start();
    ASSERT_NE(root.model(), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([] { return shownAlerts().size() == 1; }));
    EXPECT_EQ(shownAlerts().first()->text(),
              FormattedText::substitute(L10n::text(CompositionRoot::historyNotLockedNotice), {problem}));

    desktop.pasteboard.copyText(QStringLiteral("copied without a lock"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return historyTexts(*root.model()).size() == 2; }));
    EXPECT_EQ(historyTexts(*root.model()), (QStringList{"copied without a lock", "stored before"}));
    EXPECT_TRUE(root.model()->flushHistory(std::chrono::milliseconds(2000)));
    EXPECT_EQ(desktop.history.transactionCount(), 0);
    EXPECT_EQ(desktop.history.rows().size(), 1);
    EXPECT_FALSE(desktop.settings.values().contains(QStringLiteral("tarnel.migrationComplete")))
        << "the migration writes the history: it waits for a start that holds it";
    shownAlerts().first()->close();
}

// A run that could not hold the history's folder says why with advice that holds for that reason
// (locks only when the disk has none), keeps its copies, and writes them all once the folder is
// taken after all; the notice then goes.
TEST(CompositionRoot, AHistoryFolderTakenAfterTheStartGetsTheKeptCopiesAndTheNoticeAdvisesForItsReason)
{
    const struct {
        const char *name;
        HistoryLockReason reason;
        QString notice;
    } cases[] = {
        {"a disk without locks", HistoryLockReason::NoLocks, CompositionRoot::historyNotLockedNotice},
        {"a read-only disk", HistoryLockReason::NotWritable, CompositionRoot::historyFolderNotWritableNotice},
        {"a file in the folder's place", HistoryLockReason::NotAFolder, CompositionRoot::historyFolderNotAFolderNotice},
        {"another reason", HistoryLockReason::Other, CompositionRoot::historyFolderNotHeldNotice},
    };
    for (const auto &c : cases) {
        FakeDesktop desktop(completedGuide(), QJsonObject{{QStringLiteral("quorvel.onboardingComplete"), true}});
        ClipboardEntry stored;
        stored.id = QStringLiteral("S1");
        stored.text = QStringLiteral("stored before");
        stored.copiedAt = QDateTime::currentDateTimeUtc().addSecs(-60);
        stored.kind = ClipboardKind::Text;
        desktop.history.seedRows(HistoryRows::rowsFor({stored}));
        const QString problem = QStringLiteral("/home/user/.local/share/Tarnel: %1").arg(QString::fromLatin1(c.name));
        desktop.lock.setHistoryLockProblem(problem, c.reason);
        CompositionRoot root(desktop.services());
        root.start();
        ASSERT_NE(root.model(), nullptr) << c.name;
        ASSERT_TRUE(QTest::qWaitFor([] { return shownAlerts().size() == 1; })) << c.name;
        const QPointer<QMessageBox> alert = shownAlerts().first();
        const QString text = alert->text();
        EXPECT_EQ(text, FormattedText::substitute(L10n::text(c.notice), {problem})) << c.name;
        // "zámky" (locks) is advice for a disk without them only.
        EXPECT_EQ(text.contains(QStringLiteral("zámk")), c.reason == HistoryLockReason::NoLocks)
            << c.name << ": " << text.toStdString();

        desktop.pasteboard.copyText(QStringLiteral("copied before the folder was held"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return historyTexts(*root.model()).size() == 2; })) << c.name;
        EXPECT_TRUE(root.model()->flushHistory(std::chrono::milliseconds(2000)));
        EXPECT_EQ(desktop.history.transactionCount(), 0) << c.name;

        desktop.lock.simulateHistoryTaken();
        EXPECT_TRUE(QTest::qWaitFor([&] { return desktop.history.rows().size() == 2; }, 2000))
            << c.name << ": " << desktop.history.rows().size() << " rows";
        desktop.pasteboard.copyText(QStringLiteral("copied once it was held"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return desktop.history.rows().size() == 3; }, 2000)) << c.name;
        EXPECT_TRUE(QTest::qWaitFor([&] { return alert.isNull() || !alert->isVisible(); })) << c.name;
        if (alert)
            alert->close();
    }
}

// A newer start asks again every second while it waits; the answer is logged once.
TEST(CompositionRoot, AQuitAskedForAgainAndAgainIsLoggedOnce)
{
    FakeDesktop desktop;
    CompositionRoot root(desktop.services());
    root.start();
    ASSERT_NE(root.model(), nullptr);
    LoggedLines logged;
    QSignalSpy ready(&root, &CompositionRoot::readyToQuit);
    for (int i = 0; i < 10; ++i) {
        desktop.lock.simulateQuitRequest();
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return ready.count() == 1; }));
    EXPECT_EQ(logged.count(QStringLiteral("A newer Tarnel started")), 1);
}
