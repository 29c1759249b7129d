#include "shell/EndLimit.h"

#include "core/Logging.h"

#include <cstdlib>
#include <thread>

void EndLimit::start(int status)
{
    // The event loop is gone: a thread of its own keeps the time. A process that ends sooner
    // takes it along.
    std::thread([status] {
        std::this_thread::sleep_for(kLimit);
        qCWarning(lcShell) << "The end waited" << kLimit.count()
                           << "ms for a disk that does not answer; it ends now with what is on disk";
        std::_Exit(status);
    }).detach();
}
