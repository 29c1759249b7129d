#pragma once

#include <QObject>

#include <csignal>

class QSocketNotifier;

// The signals that ask a program to end turned into an ordinary event of the main loop, so the
// program quits as it does on any other request: pending history writes finish and nothing is
// left half written. SIGTERM comes from a logout or a service manager, SIGINT from Ctrl+C in
// the terminal that started it, SIGHUP from closing that terminal; by default the last two end
// the process on the spot. Only one instance per process.
class TerminationRequest : public QObject
{
    Q_OBJECT
public:
    static constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

    explicit TerminationRequest(QObject *parent = nullptr);
    ~TerminationRequest() override;

Q_SIGNALS:
    void requested();

private:
    static void onSignal(int signal);
    QSocketNotifier *m_notifier = nullptr;
};
