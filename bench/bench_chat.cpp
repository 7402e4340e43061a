// SMS chat: every received message goes through the word filter on the GUI thread, so a long
// message against a large list must take no noticeable time; and showing a message (its text into
// the template's frame, the page compiled with its Device data) holds up the air frame's timer.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <string>
#include <vector>

#include "air/titr_model.h"
#include "app/zentrix_app.h"
#include "demo/demo_chat.h"
#include "demo/demo_root.h"
#include "pages/font_manager.h"
#include "pages/page_doc.h"
#include "pages/page_frame.h"
#include "pages/page_image.h"
#include "platform/code_page.h"
#include "sms/chat_filter.h"

namespace {

// 1,000 filter words of 4 to 9 letters, Latin and Cyrillic, none of them in the message but a few.
std::vector<std::string> FilterWords() {
    std::vector<std::string> words;
    uint32_t seed = 12345;
    for (int i = 0; i < 1000; ++i) {
        std::string w;
        const int n = 4 + i % 6;
        for (int k = 0; k < n; ++k) {
            seed = seed * 1103515245u + 12345u;
            const int r = int((seed >> 16) % 26);
            w += i % 2 ? char('a' + r) : char(0xE0 + r);  // а-щ
        }
        words.push_back(w);
    }
    words[500] = "spam";
    words[777] = "\xE4\xF3\xF0\xE0\xEA";  // "дурак"
    return words;
}

// 160 characters: words of the list inside longer words, Cyrillic and punctuation.
std::string Message() {
    std::string m = "Hello studio! This is a spamming test, \xC4\xD3\xD0\xC0\xCA and more text: ";
    while (m.size() < 160) m += "words, numbers 123 and \xEF\xF0\xE8\xE2\xE5\xF2 ";
    return m.substr(0, 160);
}

}  // namespace

static void BM_ChatFilter(benchmark::State& state) {
    sms::CChatFilter f;
    f.setWords(FilterWords());
    f.partial = true;
    const std::string text = Message();
    for (auto _ : state) benchmark::DoNotOptimize(f.Filter(text));
    state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(BM_ChatFilter)->Unit(benchmark::kMicrosecond);

static void BM_ChatShowMessage(benchmark::State& state) {
    char name[] = "/tmp/zx-bench-chat-XXXXXX";
    const char* d = ::mkdtemp(name);
    const std::string root = std::string(d ? d : "/tmp") + "/";
    demo::DemoResult made;
    std::string error;
    if (!demo::MakeDemoRoot(root, {}, made, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    app::CZentrixApp theApp;
    theApp.InitSettingsOnly(app::CommandLine::Parse(std::vector<std::string>{"--home", root}));
    pages::CFontManager fonts;
    fonts.setFolder(theApp.GetPath(app::FOLDER_FONTS));
    fonts.Enumerate();
    pages::CPageDoc page(fonts);
    pages::CPageImage image;
    if (page.Load(pages::LOAD_FRAMES | pages::LOAD_THUMBNAIL, root + demo::kChatPage, image) != 0) {
        state.SkipWithError("the demo's chat page does not load");
        return;
    }
    const platform::CodePage cp(1251);
    const std::string texts[] = {cp.fromUtf8("Привет из Москвы! Смотрим каждый вечер, спасибо за передачу."),
                                 "Good evening, studio! Greetings from Belgrade, and a happy new year to all."};
    size_t i = 0;
    for (auto _ : state) {
        air::CTitrModel::ReplaceFrameText(*page.frame(1), texts[i++ % 2]);
        image.Compile(page, air::TitleCompileOptions(true, false));
        benchmark::DoNotOptimize(image.data.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(BM_ChatShowMessage)->Unit(benchmark::kMillisecond);
