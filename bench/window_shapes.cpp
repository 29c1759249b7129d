// The notch's expand animation: main-thread time of one frame, from the animation's new width
// to the window's new shape handed to the window system (painting follows later, in its own
// pass). Run on an X display (DISPLAY set, for example under xvfb-run) to include the shape
// requests; offscreen, the shape is only computed. range(0): 0 a bare desktop (the outline is
// the bounding shape), 1 under a compositor (translucent, outline with its soft edge).
#include "BenchMain.h"
#include "shell/PanelHarness.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QJsonObject>
#include <QVariantAnimation>

namespace {

constexpr int kFramesPerAnimation = 11; // 0.18 s at 60 frames a second

void expandAnimationFrame(benchmark::State &state)
{
    PanelHarness h(QJsonObject{{QStringLiteral("tarnel.onboardingComplete"), true}}, NotchHoverTimings{});
    h.compositor.setRunning(state.range(0) == 1);
    h.controller->show();
    (void)QTest::qWaitForWindowExposed(&h.panel());
    auto *animation = h.controller->findChild<QVariantAnimation *>();
    h.controller->toggleExpanded(); // widens with its animation and opens the content
    animation->stop();
    const int duration = animation->duration();

    int frame = 0;
    for (auto _ : state) {
        // Each frame sets a new width: the shape changes every time, as on screen.
        animation->setCurrentTime(duration * (frame % kFramesPerAnimation + 1) / kFramesPerAnimation);
        ++frame;
    }
    state.SetLabel(state.range(0) ? "compositor" : "bare desktop");
    state.counters["shapeRects"] = h.panel().mask().rectCount();
    state.counters["translucent"] = h.panel().isTranslucent();
}
BENCHMARK(expandAnimationFrame)->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    benchmain::makeNamedFolders();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
