// Pages: the compile runs while the operator waits (titles, chat, votes), and the Device
// conversion with its checksum is most of it. libswscale converting the same picture from
// 32-bit RGB to packed 4:2:2 is the yardstick for the conversion.
#include <benchmark/benchmark.h>

extern "C" {
#include <libswscale/swscale.h>
}

#include <memory>
#include <string>
#include <vector>

#include "bench_support.h"
#include "pages/device_picture.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "pages/page_image.h"
#include "pages/sample_pages.h"
#include "platform/files.h"

namespace {

// A Fonts folder with DejaVu Sans at 32 rows with a shadow, and the three typical pages.
struct Pages {
    std::string folder = platform::RuntimeDir() + "zx_bench_pages/";
    pages::CFontManager fonts;
    std::unique_ptr<pages::CPageDoc> text, lowerThird, picture;
    pages::CBitmap32 textPicture;  // the text page compiled: a typical page picture
    bool ok = false;

    Pages() {
        if (!zxbench::MakeSans32Folder(folder, fonts)) return;
        auto make = [&](pages::SamplePage kind) {
            auto page = std::make_unique<pages::CPageDoc>(fonts);
            pages::BuildSamplePage(*page, kind, "Sans32");
            return page;
        };
        text = make(pages::SamplePage::Text);
        lowerThird = make(pages::SamplePage::LowerThird);
        picture = make(pages::SamplePage::Picture);
        pages::CPageImage image;
        image.Compile(*text, pages::COMPILE_DEVICE);
        textPicture = image.picture;
        ok = true;
    }
    static Pages& get() {
        static Pages p;
        return p;
    }
};

bool ready(benchmark::State& state) {
    if (Pages::get().ok) return true;
    state.SkipWithError("DejaVu Sans is not installed (fonts-dejavu-core)");
    return false;
}

struct IsaScope {
    pages::PictureIsa saved = pages::ActivePictureIsa();
    bool ok;
    explicit IsaScope(pages::PictureIsa isa) : ok(pages::UsePictureIsa(isa)) {}
    ~IsaScope() { pages::UsePictureIsa(saved); }
};

// Conversion and checksum of the whole 720 × 576 page picture into one Device picture block.
void deviceConversion(benchmark::State& state, pages::PictureIsa isa) {
    if (!ready(state)) return;
    IsaScope scope(isa);
    if (!scope.ok) {
        state.SkipWithError("the processor lacks this instruction set");
        return;
    }
    const pages::CBitmap32& pic = Pages::get().textPicture;
    std::vector<uint8_t> block(pages::DEVICE_STILL_SIZE);
    for (auto _ : state) {
        pic.toDevice(block.data(), 0, 0, 720, 576, true);
        benchmark::DoNotOptimize(block.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(pic.byteSize()));
}
void BM_DeviceConversion(benchmark::State& state) { deviceConversion(state, pages::ActivePictureIsa()); }
void BM_DeviceConversion_Scalar(benchmark::State& state) { deviceConversion(state, pages::PictureIsa::Scalar); }
void BM_DeviceConversion_Avx2(benchmark::State& state) { deviceConversion(state, pages::PictureIsa::Avx2); }

// The yardstick: libswscale, 32-bit RGB (bytes blue, green, red, alpha) to packed YUYV 4:2:2.
void BM_SwscaleRgbToYuyv(benchmark::State& state) {
    if (!ready(state)) return;
    const pages::CBitmap32& pic = Pages::get().textPicture;
    SwsContext* sws =
        sws_getContext(720, 576, AV_PIX_FMT_BGRA, 720, 576, AV_PIX_FMT_YUYV422, SWS_POINT, nullptr, nullptr, nullptr);
    if (!sws) {
        state.SkipWithError("libswscale has no context for this conversion");
        return;
    }
    std::vector<uint8_t> out(720 * 576 * 2);
    const uint8_t* src[4] = {pic.bits(), nullptr, nullptr, nullptr};
    const int srcStride[4] = {720 * 4, 0, 0, 0};
    uint8_t* dst[4] = {out.data(), nullptr, nullptr, nullptr};
    const int dstStride[4] = {720 * 2, 0, 0, 0};
    for (auto _ : state) {
        sws_scale(sws, src, srcStride, 0, 576, dst, dstStride);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    sws_freeContext(sws);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(pic.byteSize()));
}

void BM_Checksum(benchmark::State& state) {
    if (!ready(state)) return;
    std::vector<uint8_t> block(pages::DEVICE_STILL_SIZE);
    Pages::get().textPicture.toDevice(block.data(), 0, 0, 720, 576, false);
    for (auto _ : state) benchmark::DoNotOptimize(pages::DeviceChecksum(block.data() + 2, block.size() - 2));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(block.size() - 2));
}

// The anti-flicker filter over a whole page picture of text (fresh for every pass).
void BM_VerticalFilter(benchmark::State& state) {
    if (!ready(state)) return;
    const pages::CBitmap32& original = Pages::get().textPicture;
    pages::CBitmap32 pic = original;
    for (auto _ : state) {
        state.PauseTiming();
        pic = original;
        state.ResumeTiming();
        pic.verticalFilter(0, 0, 0, 0);
        benchmark::ClobberMemory();
    }
}

// Layout of every frame of the full-screen text page.
void BM_Layout(benchmark::State& state) {
    if (!ready(state)) return;
    pages::CPageDoc& page = *Pages::get().text;
    for (auto _ : state) benchmark::DoNotOptimize(page.LayoutAll());
}

// A whole compile as the editor does it with its "Filter" preference: Device data, filter,
// thumbnail.
void compile(benchmark::State& state, pages::CPageDoc& page) {
    pages::CPageImage image;
    for (auto _ : state) {
        image.Compile(page, pages::COMPILE_DEVICE | pages::COMPILE_FILTER | pages::COMPILE_THUMBNAIL);
        benchmark::DoNotOptimize(image.data.data());
    }
}
void BM_Compile_Text(benchmark::State& state) {
    if (ready(state)) compile(state, *Pages::get().text);
}
void BM_Compile_LowerThirdScroller(benchmark::State& state) {
    if (ready(state)) compile(state, *Pages::get().lowerThird);
}
void BM_Compile_BackgroundPicture(benchmark::State& state) {
    if (ready(state)) compile(state, *Pages::get().picture);
}

}  // namespace

BENCHMARK(BM_DeviceConversion)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DeviceConversion_Scalar)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DeviceConversion_Avx2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SwscaleRgbToYuyv)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Checksum)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VerticalFilter)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Layout)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Compile_Text)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Compile_LowerThirdScroller)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Compile_BackgroundPicture)->Unit(benchmark::kMillisecond);
