#pragma once

#include "platform/ScreenshotLocation.h"

class FakeScreenshotLocation : public ScreenshotLocation
{
public:
    explicit FakeScreenshotLocation(QString folder = QString()) : folder(std::move(folder)) {}

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
