// A whole map frame as the window draws it: no shadow, 31 cities lettered by QPainter on the frame.
#include "mapframe_setup.h"
#include "platform/qt/qttextrenderer.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>

namespace {

void BM_FrameNoShadow31CitiesQtLettering(benchmark::State& state)
{
    QtTextRenderer text;
    DrawFrames(state, text);
}
BENCHMARK(BM_FrameNoShadow31CitiesQtLettering);
BENCHMARK(BM_BareFrameCopy);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
