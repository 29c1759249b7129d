// Reading text from the screen: Tarnel's windows step aside, the user drags over the text,
// and what was read goes into the history and onto the clipboard.
#include "shell/NotchPanelController.h"

#include "core/L10n.h"
#include "core/Logging.h"
#include "platform/Permissions.h"
#include "platform/ScreenTextCapture.h"
#include "shell/MenuBarPopover.h"
#include "shell/TarnelPanel.h"

#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

void NotchPanelController::readTextFromScreen()
{
    if (m_isReadingScreenText)
        return;
    if (!m_services.permissions.screenRecording() || !m_services.screenTextCapture) {
        const int chosen = alert(L10n::text(QStringLiteral("Povoľ nahrávanie obrazovky")),
                                 L10n::text(QStringLiteral("Na čítanie textu potrebuje Tarnel vidieť obrazovku, čo "
                                                           "umožňuje relácia X11. Prihlás sa do relácie X11 a skús znova.")),
                                 {L10n::text(QStringLiteral("Otvoriť nastavenia")), L10n::text(QStringLiteral("Zrušiť"))});
        if (chosen == 0)
            m_services.permissions.showExplanation(Permissions::Kind::ScreenRecording);
        return;
    }
    setReadingScreenText(true);

    // Nothing of Tarnel may stand over the text the user wants to read.
    m_model.dismissScreenshotNotice();
    dismissQuickAccess();
    if (m_popover->isShown())
        m_popover->performClose();
    const bool toastWasShown = m_screenshotToastPanel && m_screenshotToastPanel->isVisible();
    m_panel->hide();
    if (m_screenshotToastPanel)
        m_screenshotToastPanel->hide();
    if (m_screenshotActionWindow)
        m_screenshotActionWindow->hide();

    QPointer<NotchPanelController> self(this);
    QTimer::singleShot(PanelTimings::screenReadHideDelay, this, [self, toastWasShown] {
        if (!self || !self->m_services.screenTextCapture)
            return;
        self->m_services.screenTextCapture->readSelection([self, toastWasShown](const ScreenTextResult &result) {
            if (self)
                self->finishScreenRead(result, toastWasShown);
        });
    });
}

void NotchPanelController::finishScreenRead(const ScreenTextResult &result, bool toastWasShown)
{
    switch (result.outcome) {
    case ScreenTextResult::Outcome::Failed:
        qCWarning(lcShell).noquote() << "Reading text from the screen failed:" << result.error;
        alert(L10n::text(QStringLiteral("Text sa nepodarilo rozpoznať. Skús znova.")), QString(), {});
        break;
    case ScreenTextResult::Outcome::Nothing:
        break;
    case ScreenTextResult::Outcome::Text:
        if (result.text.trimmed().isEmpty())
            alert(L10n::text(QStringLiteral("V oblasti sa nenašiel text.")), QString(), {});
        else
            m_model.copyScreenRecognition(result.text);
        break;
    }
    setReadingScreenText(false);
    show();
    if (toastWasShown && m_screenshotToastPanel)
        m_screenshotToastPanel->show();
    if (QWidget *window = m_screenshotActionWindow) {
        window->show();
        window->raise();
        window->activateWindow();
    }
}

int NotchPanelController::alert(const QString &message, const QString &informativeText, const QStringList &buttons)
{
    if (m_services.alert)
        return m_services.alert(message, informativeText, buttons);
    QMessageBox box(QMessageBox::Information, QStringLiteral("Tarnel"), message);
    box.setInformativeText(informativeText);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    QList<QAbstractButton *> added;
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        QPushButton *button = box.addButton(buttons.at(i), i == 0 ? QMessageBox::AcceptRole : QMessageBox::RejectRole);
        if (i == 0)
            box.setDefaultButton(button);
        added.append(button);
    }
    box.exec();
    return added.isEmpty() ? 0 : int(added.indexOf(box.clickedButton()));
}
