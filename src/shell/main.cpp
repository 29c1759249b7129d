// Tarnel's entry: reads the command line, then runs the program over the X11 desktop's backends.
#include "core/HeapRelease.h"
#include "platform/linux/TerminationRequest.h"
#include "platform/x11/X11ScreenScale.h"
#include "platform/x11/X11Session.h"
#include "shell/CompositionRoot.h"
#include "shell/EndLimit.h"
#include "shell/X11Desktop.h"
#include "ui/style/PanelStyle.h"

#include <QApplication>
#include <QThreadPool>

#include <optional>

#include <chrono>
#include <vector>

namespace {

// Worker threads end this long after their last task. Left at Qt's half a minute, the threads
// that ran the start-up work (search folds, image reads) would each wake once more at rest, only
// to end.
constexpr std::chrono::milliseconds kIdleWorkerLifetime{2000};

} // namespace

int main(int argc, char *argv[])
{
    // Image conversions on workers would otherwise leave their heaps' freed memory held.
    HeapRelease::returnLargeBlocksPromptly();
    // Qt keeps the arguments for the life of the application object.
    QList<QByteArray> arguments = X11Session::qtArguments(argc, argv);
    std::vector<char *> argumentPointers;
    for (QByteArray &argument : arguments)
        argumentPointers.push_back(argument.data());
    argumentPointers.push_back(nullptr);
    int qtArgc = int(arguments.size());
    const std::optional<QByteArray> askedScale = X11ScreenScale::settleScaleFactor();
    QApplication app(qtArgc, argumentPointers.data());
    if (askedScale)
        qputenv("QT_SCALE_FACTOR", *askedScale);
    QApplication::setApplicationName(QStringLiteral("Tarnel"));
    QApplication::setApplicationVersion(QStringLiteral(TARNEL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("tarnel"));
    // An accessory: closing its windows never ends it; only a newer instance or the session does.
    QApplication::setQuitOnLastWindowClosed(false);
    QThreadPool::globalInstance()->setExpiryTimeout(int(kIdleWorkerLifetime.count()));
    PanelStyle::installApplicationFont();

    X11Desktop desktop;
    CompositionRoot root(desktop.services());
    QObject::connect(&root, &CompositionRoot::readyToQuit, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    // A logout quits as any other request does: the model's destruction at the end of main
    // lets the history writer commit what is still waiting.
    TerminationRequest termination;
    QObject::connect(&termination, &TerminationRequest::requested, &root, &CompositionRoot::quitOnceCopiesAreIn);
    root.start();
    const int status = app.exec();
    // The model, the store and the workers go after this, each waiting for its threads.
    EndLimit::start(status);
    return status;
}
