#include "shell/UnwiredPanelModel.h"

#include "core/Logging.h"
#include "platform/SettingsStore.h"

UnwiredPanelModel::UnwiredPanelModel(SettingsStore &settings, QObject *parent)
    : PanelModelLink(parent)
    , m_settings(settings)
{
}

ClipboardAppearance UnwiredPanelModel::appearance() const
{
    return savedAppearance(m_settings.textValue(QString::fromLatin1(kAppearanceSettingKey)));
}

ClipboardPresentationMode UnwiredPanelModel::savedPresentationMode() const
{
    return ::savedPresentationMode(m_settings.textValue(QString::fromLatin1(kPresentationModeSettingKey)));
}

void UnwiredPanelModel::setQuickAccessPresented(bool presented)
{
    if (presented == m_quickAccess)
        return;
    m_quickAccess = presented;
    emit quickAccessChanged();
}

void UnwiredPanelModel::beginQuickAccess(const std::optional<RunningApplication> &target)
{
    m_target = target;
    m_context = target ? target->name : QString();
    m_options = false;
    setQuickAccessPresented(true);
}

void UnwiredPanelModel::startMonitoring()
{
    qCWarning(lcShell) << "No clipboard engine is wired into this build: copies are not recorded";
}
