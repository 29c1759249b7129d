#include "platform/linux/TerminationRequest.h"

#include "core/Logging.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The handler may only write to a descriptor; the main loop reads the other end.
int s_pair[2] = {-1, -1};

} // namespace

void TerminationRequest::onSignal(int signal)
{
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(s_pair[0], &byte, 1);
    errno = saved;
}

TerminationRequest::TerminationRequest(QObject *parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, s_pair) != 0) {
        qCWarning(lcPlatform) << "termination signals cannot be handled; a logout or Ctrl+C ends Tarnel at once";
        return;
    }
    m_notifier = new QSocketNotifier(s_pair[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        unsigned char byte = 0;
        int signal = 0;
        while (::read(s_pair[1], &byte, 1) > 0)
            signal = byte;
        const char *name = ::sigabbrev_np(signal);
        qCInfo(lcPlatform).noquote() << QStringLiteral("SIG%1 received: quitting").arg(QLatin1String(name ? name : "?"));
        Q_EMIT requested();
    });
    struct sigaction action {};
    action.sa_handler = &TerminationRequest::onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals) {
        // A signal ignored from the start stays ignored: started with nohup, Tarnel is meant to
        // outlive its terminal.
        struct sigaction inherited {};
        if (::sigaction(signal, nullptr, &inherited) == 0 && inherited.sa_handler == SIG_IGN)
            continue;
        ::sigaction(signal, &action, nullptr);
    }
}

TerminationRequest::~TerminationRequest()
{
    for (const int signal : kSignals)
        ::signal(signal, SIG_DFL);
    delete m_notifier;
    m_notifier = nullptr;
    for (int &fd : s_pair) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}
