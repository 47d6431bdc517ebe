// Start-up cost of the class records. Each iteration starts a probe (two builds of
// one program) and reads its clock readings:
// - StartToMain: from the start request to main(), with the 56 class records and
//   without them; the counter StaticInitMs is the part spent in the program's own
//   static constructors, the records' construction among them.
// - StartToFirstStep: with the records, on the player's entry, to the first step of
//   the main routine, where the player calls ForceLinkClassRegistrations.
// The counter Classes is the number of registered classes the probe saw.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

extern char** environ;

namespace {

int64_t NowNs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

struct ProbeRun {
    int64_t startNs = 0;
    long long firstConstructorNs = 0;
    long long mainNs = 0;
    long long firstStepNs = 0;
    size_t classes = 0;
};

// Starts the probe and reads what it prints; false when it did not end well.
bool StartProbe(const char* path, ProbeRun& run) {
    int output[2];
    if (pipe(output) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    posix_spawn_file_actions_addclose(&actions, output[0]);
    char* arguments[] = {const_cast<char*>(path), nullptr};
    pid_t child = 0;
    run.startNs = NowNs();
    const int spawned = posix_spawn(&child, path, &actions, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(output[1]);
    std::string text;
    char buffer[256];
    for (ssize_t got; spawned == 0 && (got = read(output[0], buffer, sizeof(buffer))) > 0;)
        text.append(buffer, static_cast<size_t>(got));
    close(output[0]);
    int status = 0;
    if (spawned != 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return false;
    return std::sscanf(text.c_str(), "%lld %lld %lld %zu", &run.firstConstructorNs, &run.mainNs, &run.firstStepNs,
                       &run.classes) == 4;
}

void Measure(benchmark::State& state, const char* probe, bool toFirstStep) {
    double staticInitMs = 0.0;
    size_t classes = 0;
    for (auto _ : state) {
        ProbeRun run;
        if (!StartProbe(probe, run)) {
            state.SkipWithError("the probe did not report its start");
            return;
        }
        const long long endNs = toFirstStep ? run.firstStepNs : run.mainNs;
        state.SetIterationTime(static_cast<double>(endNs - run.startNs) * 1e-9);
        staticInitMs += static_cast<double>(run.mainNs - run.firstConstructorNs) * 1e-6;
        classes = run.classes;
    }
    state.counters["StaticInitMs"] = staticInitMs / static_cast<double>(state.iterations());
    state.counters["Classes"] = static_cast<double>(classes);
}

void StartToMain(benchmark::State& state, const char* probe) {
    Measure(state, probe, false);
}

void StartToFirstStep(benchmark::State& state, const char* probe) {
    Measure(state, probe, true);
}

BENCHMARK_CAPTURE(StartToMain, WithClassRecords, STARTUP_PROBE_PATH)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(StartToMain, WithoutClassRecords, STARTUP_PROBE_WITHOUT_CLASSES_PATH)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(StartToFirstStep, WithClassRecords, STARTUP_PROBE_PATH)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
