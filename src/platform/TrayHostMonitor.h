#pragma once

#include <QObject>

// Event source on the desktop's tray host, the notification area that shows tray icons: tells
// when one may have started, been replaced or gone away, so that whoever shows a tray icon asks
// again whether it can be seen then, rather than on a clock. A desktop that cannot tell never
// announces anything; the base class is that silent source.
class TrayHostMonitor : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~TrayHostMonitor() override = default;

Q_SIGNALS:
    void hostChanged();
};
