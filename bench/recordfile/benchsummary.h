// Shared by the record-file benchmarks: each benchmark runs five times,
// interleaved with its references, and the program ends with one table of
// ours beside the reference (min and median of the runs, and their ratio),
// with the load average before and after, since the machine may be shared.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace zbench {

constexpr int kRepetitions = 5;

inline std::string benchPath(const char* name)
{
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/" + name;
}

// Seconds taken by fn().
template <class Fn>
double timed(Fn fn)
{
    auto t0 = std::chrono::steady_clock::now();
    fn();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Runs a program to its end with its output thrown away; false when it
// cannot be started or does not end with status 0.
inline bool runQuiet(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, args[0], &fa, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    if (rc != 0)
        return false;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

inline std::string loadAverage()
{
    char buf[128] = {};
    FILE* f = std::fopen("/proc/loadavg", "r");
    if (f) {
        if (!std::fgets(buf, sizeof buf, f))
            buf[0] = '\0';
        std::fclose(f);
    }
    std::string s(buf);
    while (!s.empty() && (s.back() == '\n' || s.back() == ' '))
        s.pop_back();
    return s;
}

struct Pair {
    const char* what;
    const char* ours;        // benchmark function names
    const char* reference;
};

// The console output as usual, plus the seconds of every run by function.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& r : runs)
            if (r.run_type == Run::RT_Iteration && !r.error_occurred && r.iterations > 0)
                seconds_[r.run_name.function_name].push_back(r.real_accumulated_time /
                                                             double(r.iterations));
    }

    void printSummary(const std::vector<Pair>& pairs, const std::string& loadBefore)
    {
        std::printf("\nMin and median of %d interleaved runs; load average before: %s, after: %s "
                    "(8 cores: above 8 the figures are slowed by other work)\n",
                    kRepetitions, loadBefore.c_str(), loadAverage().c_str());
        std::printf("%-44s %19s %19s %15s\n", "", "ours min / median", "ref. min / median",
                    "ratio min / med");
        for (const auto& p : pairs) {
            double om, omed, rm, rmed;
            if (!stats(p.ours, &om, &omed)) {
                std::printf("%-44s (not run)\n", p.what);
                continue;
            }
            if (!stats(p.reference, &rm, &rmed)) {
                std::printf("%-44s %8.3f / %6.3f s (reference not run)\n", p.what, om, omed);
                continue;
            }
            std::printf("%-44s %8.3f / %6.3f s %8.3f / %6.3f s %6.2f / %5.2f\n", p.what, om, omed, rm,
                        rmed, om / rm, omed / rmed);
        }
    }

private:
    bool stats(const std::string& name, double* min, double* median)
    {
        auto it = seconds_.find(name);
        if (it == seconds_.end() || it->second.empty())
            return false;
        std::vector<double> v = it->second;
        std::sort(v.begin(), v.end());
        *min = v.front();
        *median = v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
        return true;
    }

    std::map<std::string, std::vector<double>> seconds_;
};

// main() of a benchmark program with a summary: the repetitions of all
// benchmarks are interleaved unless the command line says otherwise.
inline int runWithSummary(int argc, char** argv, const std::vector<Pair>& pairs)
{
    std::vector<char*> args(argv, argv + argc);
    bool interleaveGiven = false;
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--benchmark_enable_random_interleaving", 38) == 0)
            interleaveGiven = true;
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    if (!interleaveGiven)
        args.insert(args.begin() + 1, interleave);
    int n = int(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&n, args.data());
    if (benchmark::ReportUnrecognizedArguments(n, args.data()))
        return 1;
    const std::string before = loadAverage();
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printSummary(pairs, before);
    benchmark::Shutdown();
    return 0;
}

}  // namespace zbench
