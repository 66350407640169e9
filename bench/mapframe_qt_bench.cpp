// A whole map frame as the window draws it: 31 cities lettered by QPainter on the frame, without and with
// the Sun's shadow.
#include "mapframe_setup.h"
#include "platform/qt/qttextrenderer.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>

namespace {

BENCHMARK(FramesLetteredBy<QtTextRenderer, false>)->Name("BM_FrameNoShadow31CitiesQtLettering");
BENCHMARK(FramesLetteredBy<QtTextRenderer, true>)->Name("BM_FrameShadow31CitiesQtLettering");
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
