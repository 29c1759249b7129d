#pragma once

#include <QObject>
#include <QString>

#include <optional>

// The one object through which the program offers updates: whether a check can start, whether
// checks run by themselves, a user-started check, and the version label of the settings.
class TarnelUpdater : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool canCheckForUpdates READ canCheckForUpdates NOTIFY canCheckForUpdatesChanged)
    Q_PROPERTY(bool automaticallyChecks READ automaticallyChecks NOTIFY automaticallyChecksChanged)
public:
    static const QString kNotConfiguredMessage;
    static const QString kNotConfiguredInformativeText;

    using QObject::QObject;
    ~TarnelUpdater() override = default;

    bool canCheckForUpdates() const { return m_canCheckForUpdates; }
    bool automaticallyChecks() const { return m_automaticallyChecks; }

    // True when an update service stands behind this updater.
    virtual bool isConfigured() const = 0;
    // A user-started check; without an update service it explains why there are no updates.
    virtual void checkForUpdates() = 0;

    // "Tarnel <version> (<build>)" of this build.
    virtual QString versionLabel() const;
    // The label for the given version and build; a missing value shows as an em dash.
    static QString versionLabelFor(const std::optional<QString> &version, const std::optional<QString> &build);

Q_SIGNALS:
    void canCheckForUpdatesChanged(bool canCheck);
    void automaticallyChecksChanged(bool automatic);
    // Asks for a modal alert; the receiver shows it and returns when it is dismissed. Both texts
    // are Slovak base texts, which the shell translates before showing.
    void alertRequested(const QString &message, const QString &informativeText);

protected:
    void setCanCheckForUpdates(bool canCheck);
    void setAutomaticallyChecks(bool automatic);
    // Shows the alert that no update server is set up.
    void showNotConfiguredAlert();

private:
    bool m_canCheckForUpdates = true;
    bool m_automaticallyChecks = false;
};
