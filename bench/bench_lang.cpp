// Translation: loading the Russian language file, looking texts up, and a language switch with
// the main frame's menu rebuilt and translated (which must stay well under 20 ms).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "i18n/builtin_languages.h"
#include "i18n/resources.h"
#include "i18n/translation.h"
#include "platform/files.h"

#ifdef ZX_BENCH_QT
#include <QApplication>

#include "app/zentrix_app.h"
#include "ui/mainframe/main_frame.h"
#include "ui/translate.h"
#endif

namespace {

// A folder with the base file and the program's languages, made once.
const std::string& LangFolder() {
    static const std::string dir = [] {
        std::string d = platform::RuntimeDir() + "zx_bench_lang_" + std::to_string(::getpid()) + "/";
        std::filesystem::remove_all(d);
        platform::MakeDirectories(d);
        std::vector<std::string> files;
        std::string error;
        i18n::WriteTranslationFiles(d, "zentrix", files, error);
        return d;
    }();
    return dir;
}

void BM_LangLoad(benchmark::State& state) {
    const std::string path = LangFolder() + "Russian.zxl";
    for (auto _ : state) {
        i18n::LangTable t;
        benchmark::DoNotOptimize(t.load(path));
    }
    state.SetLabel("Russian.zxl, " + std::to_string(platform::FileSize(path)) + " bytes");
}
BENCHMARK(BM_LangLoad)->Unit(benchmark::kMicrosecond);

void BM_Lookup(benchmark::State& state) {
    i18n::Translation tr;
    tr.start(LangFolder(), "zentrix", nullptr);
    tr.selectLanguage(1);
    std::vector<uint32_t> keys;
    for (const i18n::KeyedText& t : i18n::BaseTexts()) keys.push_back(t.first);
    std::mt19937 rng(7);
    std::shuffle(keys.begin(), keys.end(), rng);
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tr.lookUp(keys[i]));
        if (++i == keys.size()) i = 0;
    }
}
BENCHMARK(BM_Lookup);

#ifdef ZX_BENCH_QT
// Settings > Language: the file loaded, the menu rebuilt (modes, languages) and translated.
void BM_TranslateMenu(benchmark::State& state) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "zx_bench";
    static char* argv[] = {name, nullptr};
    static QApplication* qapp = QApplication::instance() ? nullptr : new QApplication(argc, argv);
    (void)qapp;
    app::CZentrixApp theApp;
    theApp.InitSettingsOnly(app::CommandLine::Parse(std::vector<std::string>{"--home", LangFolder()}));
    i18n::Translation tr;
    tr.start(LangFolder(), "zentrix", &theApp.profile());
    ui::UseTranslation(&tr);
    {
        ui::CMainFrame frame(theApp);
        int n = 0;
        for (auto _ : state) {
            n = 1 - n;
            frame.SelectLanguage(n);
        }
    }
    ui::UseTranslation(nullptr);
    tr.uninstall();
}
BENCHMARK(BM_TranslateMenu)->Unit(benchmark::kMillisecond);
#else
// Without the front end: the language switch and every menu of the table rebuilt and translated.
void BM_TranslateMenu(benchmark::State& state) {
    i18n::Translation tr;
    tr.start(LangFolder(), "zentrix", nullptr);
    int n = 0;
    for (auto _ : state) {
        n = 1 - n;
        tr.selectLanguage(n);
        for (int id : i18n::BuiltinMenuIds()) {
            std::vector<i18n::MenuEntry> menu = i18n::BuiltinMenu(id);
            tr.translateMenu(id, menu);
            benchmark::DoNotOptimize(menu);
        }
    }
}
BENCHMARK(BM_TranslateMenu)->Unit(benchmark::kMillisecond);
#endif

}  // namespace
