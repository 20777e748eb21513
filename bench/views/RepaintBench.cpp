// Full repaints of the editing canvas (an all-black 128 x 64 picture: 194 grid lines and 8192
// squares) and of the preview (a 4096 x 4096 picture), each widget rendered offscreen into an
// image through its own paint routine.
// Run: views_repaint_bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>

#include <QApplication>
#include <QImage>

#include "BmpPreview.h"
#include "PictomaView.h"

namespace pictoma {
namespace {

// A document host for a document that never shows a dialog.
class NoDialogs : public DocumentHost {
public:
    MsgAnswer Message(std::string_view, MsgIcon, MsgButtons) override { return MsgAnswer::Ok; }
    std::optional<Size> AskSize(Size) override { return std::nullopt; }
    std::optional<ThresholdChoice> AskThreshold(int) override { return std::nullopt; }
    std::optional<SaveChoice> AskSaveFile(const SaveDialogSettings&) override {
        return std::nullopt;
    }
    bool ShowExport(const ExportRequest&) override { return false; }
    void CopyToClipboard(const Picture&, const std::string&) override {}
    std::optional<ImportOptions> AskImport(std::shared_ptr<const PictureSource>,
                                           const ImportOptions&) override {
        return std::nullopt;
    }
};

template <class View>
void RenderRepeatedly(benchmark::State& state, View& view, CPictomaDoc& doc, QPoint blackAt) {
    // Laid out as on the screen (the preview places its viewport), without a window.
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.show();
    doc.SendInitialUpdate();
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    view.render(&image);
    if ((image.pixel(blackAt) & 0xFFFFFF) != 0) {
        state.SkipWithError("the view did not draw the picture");
        for (auto _ : state) {
        }
        return;
    }
    for (auto _ : state) {
        view.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_CanvasFullRepaint(benchmark::State& state) {
    NoDialogs host;
    CPictomaDoc doc(host);
    doc.ReplacePicture(
        Picture(SCREEN_WIDTH, SCREEN_HEIGHT,
                std::vector<std::uint8_t>(mono::ByteCount(SCREEN_WIDTH, SCREEN_HEIGHT), 0xFF)));
    CPictomaView canvas(doc);
    canvas.resize(5 * SCREEN_WIDTH + 8, 5 * SCREEN_HEIGHT + 8);
    RenderRepeatedly(state, canvas, doc, {5 * 127 + 7, 5 * 63 + 7});
}

void BM_PreviewFullRepaint(benchmark::State& state) {
    const int side = int(state.range(0));
    NoDialogs host;
    CPictomaDoc doc(host);
    // Random pixels, mostly black at the far corner's byte so the check below finds black.
    std::mt19937 rng(11);
    Picture picture(side, side);
    for (auto& b : picture.bytes)
        b = std::uint8_t(rng());
    picture.bytes.back() = 0xFF;
    doc.ReplacePicture(std::move(picture));
    CBmpPreview preview(doc);
    preview.resize(side + 7, side + 7);
    RenderRepeatedly(state, preview, doc, {side + 5, side + 5});
}

BENCHMARK(BM_CanvasFullRepaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PreviewFullRepaint)->Arg(4096)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pictoma

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
