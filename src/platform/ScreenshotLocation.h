#pragma once

#include <QString>

// Where the desktop saves screenshot files by default.
class ScreenshotLocation
{
public:
    virtual ~ScreenshotLocation() = default;

    // An absolute, cleaned folder path. Always gives a path, even when no such folder exists
    // yet: the folder monitor reports a folder it cannot open.
    virtual QString screenshotFolder() const = 0;
    // Makes the folder that screenshotFolder() names, with its parents, when it is missing
    // (desktop tools make it only with their first screenshot). True when it exists then.
    virtual bool makeScreenshotFolder() const = 0;
};
