// Bitmap fonts: drawing runs for every text line of every page compile, so its cost per glyph
// matters; measuring runs even more often (every character of the layout).
#include <benchmark/benchmark.h>

#include <string>

#include "pages/font_manager.h"
#include "pages/scalable_font.h"
#include "platform/files.h"

namespace {

const char* kFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const std::string kLine = "Breaking news: the 40-character line 123";  // 40 characters

// A page-sized target and a font made from DejaVu Sans, set current with a colour.
struct Setup {
    pages::CBitmapFont font;
    pages::CFontManager fonts;
    pages::CBitmap32 page{720, 576};
    bool ok = false;

    Setup(int height, bool colour, bool effects) {
        pages::ScalableFontOptions opt;
        opt.fontFile = kFontFile;
        opt.height = height;
        opt.colour = colour;
        opt.fill = 0x00FFFF;
        opt.shadow = effects;
        opt.outline = effects ? 2 : 0;
        std::string error;
        ok = platform::FileExists(kFontFile) && pages::MakeFontFromScalable(opt, font, error);
        fonts.SetCurrent(&font);
        fonts.SetColour(0x00FFFFFF);
        page.fillAll(0x807F0000);
    }
};

void drawLine(benchmark::State& state, bool colour, bool effects, pages::FontLayer layer, bool inverted) {
    Setup s(int(state.range(0)), colour, effects);
    if (!s.ok) {
        state.SkipWithError("DejaVu Sans is not installed (fonts-dejavu-core)");
        return;
    }
    const pages::Rect clip{40, 100, 680, 500};
    for (auto _ : state) {
        s.fonts.Draw(kLine, 0, 10, clip, s.page, layer, inverted);
        benchmark::ClobberMemory();
    }
    // Seconds per glyph, printed with an SI prefix ("25n" is 25 ns a glyph).
    state.counters["per_glyph"] = benchmark::Counter(double(state.iterations()) * double(kLine.size()),
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kLine.size()));
}

void BM_DrawLine40_Mono(benchmark::State& state) { drawLine(state, false, false, pages::LAYER_GLYPHS, false); }
void BM_DrawLine40_MonoShadowLayer(benchmark::State& state) {
    drawLine(state, false, true, pages::LAYER_SHADOWS, false);
}
void BM_DrawLine40_Colour(benchmark::State& state) { drawLine(state, true, true, pages::LAYER_GLYPHS, false); }
void BM_DrawLine40_MonoInverted(benchmark::State& state) { drawLine(state, false, false, pages::LAYER_GLYPHS, true); }

void BM_TextWidth40(benchmark::State& state) {
    Setup s(32, false, false);
    if (!s.ok) {
        state.SkipWithError("DejaVu Sans is not installed (fonts-dejavu-core)");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(s.fonts.TextWidth(kLine));
}

}  // namespace

BENCHMARK(BM_DrawLine40_Mono)->Arg(32)->Arg(64);
BENCHMARK(BM_DrawLine40_MonoShadowLayer)->Arg(32);
BENCHMARK(BM_DrawLine40_Colour)->Arg(32)->Arg(64);
BENCHMARK(BM_DrawLine40_MonoInverted)->Arg(32);
BENCHMARK(BM_TextWidth40);
