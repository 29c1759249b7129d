#pragma once

#include "platform/LoginItem.h"

// Start at login through an XDG autostart entry. The entry counts as enabled while the file
// exists and does not say Hidden=true (desktops treat a hidden entry as removed).
class LinuxLoginItem : public LoginItem
{
public:
    // entryPath defaults to $XDG_CONFIG_HOME/autostart/tarnel.desktop, executable to an
    // installed Tarnel, else the running program (InstalledProgram::choose).
    explicit LinuxLoginItem(QString entryPath = defaultEntryPath(), QString executable = {});

    static QString defaultEntryPath();
    // The Exec= value that starts the executable, quoted as desktop entries require.
    static QString execLine(const QString &executable);
    // The program that an Exec= value starts (its first argument, unquoted); empty when there is none.
    static QString execProgram(const QString &exec);

    QString executable() const { return m_executable; }
    bool isEnabled() const override;
    std::optional<QString> setEnabled(bool enabled) override;
    // A program gone from a removed build folder or an uninstalled prefix; the log says when
    // the entry was written again.
    bool rewriteIfStale() override;

private:
    QString m_entryPath;
    QString m_executable;
};
