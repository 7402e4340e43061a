// The event log: a call while the log is off must cost next to nothing (it is left in every
// hot path); with the log on, each line is an open, append and close.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "app/log/event_log.h"
#include "platform/files.h"

static void BM_LogOff(benchmark::State& state) {
    app::ResetEventLog();
    for (auto _ : state) LogMessage("CEngine::Reply %02X", 0x42);
}
BENCHMARK(BM_LogOff);

static void BM_LogOn(benchmark::State& state) {
    std::string dir = platform::RuntimeDir() + "zx_bench_log/";
    platform::MakeDirectories(dir);
    platform::WriteFileAtomic(dir + "ZENTRIX.INI", std::string("[Debug]\nLog=1\n"));
    app::ConfigureEventLog(dir + "ZENTRIX.INI", dir);
    for (auto _ : state) LogMessage("CEngine::Reply %02X", 0x42);
    app::ResetEventLog();
    std::remove((dir + "logfile.txt").c_str());
}
BENCHMARK(BM_LogOn);
