#pragma once

#include "platform/LoginItem.h"

// Start at login through an XDG autostart entry. The entry counts as enabled while the file
// exists and does not say Hidden=true (desktops treat a hidden entry as removed).
class LinuxLoginItem : public LoginItem
{
public:
    // entryPath defaults to $XDG_CONFIG_HOME/autostart/tarnel.desktop, executable to the
    // running program.
    explicit LinuxLoginItem(QString entryPath = defaultEntryPath(), QString executable = {});

    static QString defaultEntryPath();
    // The Exec= value that starts the executable, quoted as desktop entries require.
    static QString execLine(const QString &executable);

    bool isEnabled() const override;
    std::optional<QString> setEnabled(bool enabled) override;

private:
    QString m_entryPath;
    QString m_executable;
};
