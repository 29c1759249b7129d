#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM (a logout, a service manager) turned into an ordinary event of the main loop, so the
// program quits as it does on any other request: pending history writes finish and nothing is
// left half written. Only one instance per process.
class TerminationRequest : public QObject
{
    Q_OBJECT
public:
    explicit TerminationRequest(QObject *parent = nullptr);
    ~TerminationRequest() override;

Q_SIGNALS:
    void requested();

private:
    static void onSignal(int);
    QSocketNotifier *m_notifier = nullptr;
};
