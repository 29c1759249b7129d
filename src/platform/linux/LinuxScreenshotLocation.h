#pragma once

#include "platform/ScreenshotLocation.h"

#include <QProcessEnvironment>

// The pictures folder of the XDG user directories: its "Screenshots" subfolder when that
// exists (where desktop screenshot tools save), else the pictures folder itself when it exists,
// else the "Screenshots" subfolder still to be made. The pictures folder comes from
// $XDG_PICTURES_DIR, else from $XDG_CONFIG_HOME/user-dirs.dirs, else it is ~/Pictures.
class LinuxScreenshotLocation : public ScreenshotLocation
{
public:
    // Reads the given environment; the process's own when none is given.
    explicit LinuxScreenshotLocation(QProcessEnvironment environment = QProcessEnvironment::systemEnvironment());

    QString screenshotFolder() const override;
    bool makeScreenshotFolder() const override;

    // The configured pictures folder, or empty when none is configured (or it is the home
    // folder, which the user-dirs file uses to switch a folder off).
    QString picturesFolder() const;

private:
    QString home() const;

    QProcessEnvironment m_environment;
};
