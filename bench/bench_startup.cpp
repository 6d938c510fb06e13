// Time from a process's start to its first shown window, and the peak
// resident memory it reached by then: the program's own start-up against the
// least a Qt widget program does (the baseline), both built by this project.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

struct RunResult
{
    double seconds = 0;
    long peakKiB = 0;
    bool ok = false;
};

std::vector<std::string> childEnvironment()
{
    // No display or sound card is needed, and the user's settings stay
    // untouched: the program's configuration goes to a scratch folder.
    static const std::string configHome = [] {
        char pattern[] = "/tmp/parlowen-bench-XXXXXX";
        const char *dir = mkdtemp(pattern);
        return std::string(dir ? dir : "/tmp");
    }();
    std::vector<std::string> env;
    for (char **e = environ; *e; ++e) {
        const std::string entry(*e);
        if (entry.rfind("QT_QPA_PLATFORM=", 0) == 0 || entry.rfind("XDG_CONFIG_HOME=", 0) == 0
            || entry.rfind("SDL_AUDIODRIVER=", 0) == 0)
            continue;
        env.push_back(entry);
    }
    env.push_back("QT_QPA_PLATFORM=offscreen");
    env.push_back("SDL_AUDIODRIVER=dummy");
    env.push_back("XDG_CONFIG_HOME=" + configHome);
    return env;
}

RunResult runOnce(const std::string &program)
{
    static const std::vector<std::string> env = childEnvironment();
    std::vector<char *> envp;
    for (const std::string &entry : env)
        envp.push_back(const_cast<char *>(entry.c_str()));
    envp.push_back(nullptr);
    char *argv[] = {const_cast<char *>(program.c_str()), nullptr};

    RunResult result;
    const auto start = std::chrono::steady_clock::now();
    // The probes' own warnings would only clutter the benchmark's output.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return result;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return result;
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.peakKiB = usage.ru_maxrss;
    result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return result;
}

void startUp(benchmark::State &state, const std::string &program)
{
    long peak = 0;
    for (auto _ : state) {
        const RunResult run = runOnce(program);
        if (!run.ok) {
            state.SkipWithError(("could not run " + program).c_str());
            break;
        }
        state.SetIterationTime(run.seconds);
        peak = std::max(peak, run.peakKiB);
    }
    state.counters["peak_rss_KiB"] = double(peak);
}

void BM_StartUpToFirstWindow(benchmark::State &state)
{
    startUp(state, PARLOWEN_PROBE);
}

void BM_StartUpToFirstWindow_MinimalQtBaseline(benchmark::State &state)
{
    startUp(state, MINIMAL_PROBE);
}

} // namespace

BENCHMARK(BM_StartUpToFirstWindow_MinimalQtBaseline)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_StartUpToFirstWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

BENCHMARK_MAIN();
