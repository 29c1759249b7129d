#pragma once

#include "platform/ScreenshotLocation.h"

class FakeScreenshotLocation : public ScreenshotLocation
{
public:
    explicit FakeScreenshotLocation(QString initialFolder = QString()) : folder(std::move(initialFolder)) {}

    QString screenshotFolder() const override { return folder; }
    bool makeScreenshotFolder() const override
    {
        ++madeCount;
        return makes;
    }

    QString folder;
    bool makes = true;
    mutable int madeCount = 0;
};
