#pragma once

#include "platform/InstanceLock.h"
#include "shell/DesktopServices.h"
#include "shell/DesktopStartup.h"

#include <QObject>
#include <QPointer>

#include <chrono>
#include <memory>

class ClipboardModel;
class ClipboardModelPanelLink;
class GlobalPasteMonitor;
class NotchPanelController;
class QMessageBox;
class QuickAccessHost;
class TarnelUpdater;

// The one place where Tarnel is put together: over the desktop's backends it builds the model,
// the panel controller with the views it hosts and the keyboard monitor, and connects them.
// Nothing starts before start(), which first makes sure no other instance runs.
class CompositionRoot : public QObject {
    Q_OBJECT
public:
    // A quit waits this often to see whether the copies already made are in.
    static constexpr std::chrono::milliseconds kQuitSettleInterval{20};
    // How long a quit may wait for the model to finish the copies it took in: long texts are
    // classified and large images reduced on workers, in time linear in their size.
    static constexpr std::chrono::milliseconds kCopyFinishAllowance{5000};

    // The roles of the alerts that say the start gave way, and that the history is not locked.
    static constexpr char otherInstanceAlertRole[] = "tarnel-other-instance-alert";
    static constexpr char historyNotLockedAlertRole[] = "tarnel-history-not-locked-alert";

    // Shown when the start gives way to an instance that neither quits nor can be made to: its
    // process number, its executable, and the process number again (in the command).
    inline static const QString otherInstanceKeepsRunningNotice = QStringLiteral(
        "Tarnel sa nespustil: jeho históriu používa iný spustený Tarnel (proces %1$@, %2$@), ktorý na výzvu na "
        "ukončenie neodpovedá a Tarnel ho sám neukončí. Ukonči ho (napríklad príkazom „kill -9 %1$@“) a spusti "
        "Tarnel znova.");
    // Shown when the history's folder cannot be locked at all; the folder and the system's reason
    // in place of %@.
    inline static const QString historyNotLockedNotice = QStringLiteral(
        "Tarnel nemôže zamknúť priečinok so svojou históriou (%@). Aby dva spustené Tarnely neprepisovali jednu "
        "históriu, kópie z tohto spustenia zostávajú len v pamäti a po ukončení sa stratia. Presuň dáta na disk, "
        "ktorý zámky podporuje (nastav XDG_DATA_HOME na priečinok na lokálnom disku), alebo na tomto disku zámky "
        "zapni, a Tarnel spusti znova.");
    // The same, for the other reasons a folder is not held; each says what helps. Tarnel keeps
    // trying, and writes the copies as soon as it holds the folder.
    inline static const QString historyFolderNotWritableNotice = QStringLiteral(
        "Tarnel nemôže vytvoriť ani otvoriť priečinok so svojou históriou (%@). Kópie z tohto spustenia zatiaľ "
        "zostávajú len v pamäti. Tarnel ich zapíše hneď, ako sa do priečinka bude dať zapisovať: povoľ zápis na "
        "disk alebo do priečinka nad ním (alebo nastav XDG_DATA_HOME na priečinok, do ktorého môžeš zapisovať, a "
        "Tarnel spusti znova).");
    inline static const QString historyFolderNotAFolderNotice = QStringLiteral(
        "Na mieste priečinka s históriou Tarnela alebo priečinka nad ním je súbor (%@). Kópie z tohto spustenia "
        "zatiaľ zostávajú len v pamäti. Presuň alebo premenuj ten súbor a Tarnel ich zapíše hneď, ako priečinok "
        "vytvorí.");
    inline static const QString historyFolderNotHeldNotice = QStringLiteral(
        "Tarnel nemôže otvoriť ani zamknúť priečinok so svojou históriou (%@). Kópie z tohto spustenia zatiaľ "
        "zostávajú len v pamäti; Tarnel ich zapíše hneď, ako priečinok zamkne.");
    // The notice whose advice holds for the reason the folder is not held.
    static QString historyNotLockedNoticeFor(HistoryLockReason reason);

    explicit CompositionRoot(DesktopServices services, QObject *parent = nullptr);
    ~CompositionRoot() override;

    // The single-instance step, then the migration, the updater, the model and the panel.
    void start();
    // Asks for the end of the program once the copies already made are in: the clipboard has
    // handed over the copy it may be reading, and the model has finished every copy it took.
    // Announced by readyToQuit, once; a second request while waiting changes nothing.
    void quitOnceCopiesAreIn();

    // Null until start-up has run.
    ClipboardModel *model() const { return m_model.get(); }
    NotchPanelController *panelController() const { return m_startup.panelController(); }

Q_SIGNALS:
    // The copies are in (or the wait for them ran out): the program may end now.
    void readyToQuit();

private:
    void runMigration();
    void startUpdater();
    std::unique_ptr<NotchPanelController> createController();
    // What the notch panel and the menu-bar popup show: the panel's view, and Quick Access
    // while it is open.
    QuickAccessHost *makeHostedContent(NotchPanelController *controller);
    void showHistoryStorageIssue();
    void showSetAsideFiles();
    // The start gave way: says to whom, and ends once the user has read it.
    void showOtherInstanceKeepsRunning(qint64 pid, const QString &executable);
    void showHistoryNotLocked();
    // The last step of a quit: the history's last write, and the notice of what it lost.
    void quitOnceHistoryIsWritten();

    DesktopServices m_services;
    // Declared in the order of their making, so the controller goes first and the updater last.
    std::unique_ptr<TarnelUpdater> m_updater;
    std::unique_ptr<ClipboardModel> m_model;
    std::unique_ptr<ClipboardModelPanelLink> m_panelModel;
    std::unique_ptr<GlobalPasteMonitor> m_pasteMonitor;
    DesktopStartup m_startup;
    // One alert per spell of failed history writes.
    QPointer<QMessageBox> m_storageIssueAlert;
    // Names the stored files that were unreadable and set aside in this run.
    QPointer<QMessageBox> m_setAsideAlert;
    QPointer<QMessageBox> m_historyNotLockedAlert;
    bool m_quitting = false;
};
