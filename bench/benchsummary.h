// Shared by the benchmarks that measure ours beside a reference: each
// benchmark runs five times, interleaved with its references, and the
// program ends with one table of ours beside the reference (min and median
// of the runs, and their ratio), with the load average before and after,
// since the machine may be shared. Benchmarks are named by their function
// and arguments ("BM_Read" or "BM_Read/0"); every figure is the wall time
// of one iteration (manual time where the benchmark sets it), or its CPU
// time for in-process rounds that ask for it.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <sched.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace ksbench {

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

// The cores this process may run on, as "2-7" or "0,2,4".
inline std::string allowedCores()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) != 0)
        return "?";
    std::string out;
    for (int c = 0; c < CPU_SETSIZE; ++c) {
        if (!CPU_ISSET(c, &set) || (c > 0 && CPU_ISSET(c - 1, &set)))
            continue;
        int last = c;
        while (last + 1 < CPU_SETSIZE && CPU_ISSET(last + 1, &set))
            ++last;
        if (!out.empty())
            out += ",";
        out += std::to_string(c) + (last > c ? "-" + std::to_string(last) : "");
    }
    return out;
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
    // The three averages (1, 5 and 15 minutes) of the line.
    std::string s(buf);
    size_t end = 0;
    for (int field = 0; field < 3 && end != std::string::npos; ++field)
        end = s.find(' ', end + (field > 0 ? 1 : 0));
    return s.substr(0, end);
}

struct Pair {
    const char* what;
    const char* ours;  // benchmark names, with arguments
    const char* reference;
};

enum class Clock { Wall, Cpu };

// The console output as usual, plus the seconds of every run by function.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    explicit SummaryReporter(Clock clock = Clock::Wall) : clock_(clock) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& r : runs)
            if (r.run_type == Run::RT_Iteration && !r.error_occurred && r.iterations > 0)
                seconds_[nameOf(r)].push_back(
                    (clock_ == Clock::Cpu ? r.cpu_accumulated_time : r.real_accumulated_time) /
                    double(r.iterations));
    }

    void printSummary(const std::vector<Pair>& pairs, const std::string& loadBefore)
    {
        std::printf("\nMin and median of %d interleaved runs (%s time) on cores %s of %ld; load average "
                    "before: %s, after: %s (a load above the core count slows every figure)\n",
                    kRepetitions, clock_ == Clock::Cpu ? "CPU" : "wall", allowedCores().c_str(),
                    sysconf(_SC_NPROCESSORS_ONLN), loadBefore.c_str(), loadAverage().c_str());
        std::printf("%-50s %23s %23s %15s\n", "", "ours min / median", "ref. min / median",
                    "ratio min / med");
        for (const auto& p : pairs) {
            double om, omed, rm, rmed;
            if (!stats(p.ours, &om, &omed)) {
                std::printf("%-50s (not run)\n", p.what);
                continue;
            }
            if (!stats(p.reference, &rm, &rmed)) {
                std::printf("%-50s %9.2f / %8.2f ms (reference not run)\n", p.what, om * 1e3, omed * 1e3);
                continue;
            }
            std::printf("%-50s %9.2f / %8.2f ms %9.2f / %8.2f ms %6.2f / %5.2f\n", p.what, om * 1e3,
                        omed * 1e3, rm * 1e3, rmed * 1e3, om / rm, omed / rmed);
        }
    }

private:
    static std::string nameOf(const Run& r)
    {
        return r.run_name.args.empty() ? r.run_name.function_name
                                       : r.run_name.function_name + "/" + r.run_name.args;
    }

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

    Clock clock_;
    std::map<std::string, std::vector<double>> seconds_;
};

// main() of a benchmark program with a summary: the repetitions of all
// benchmarks are interleaved unless the command line says otherwise.
inline int runWithSummary(int argc, char** argv, const std::vector<Pair>& pairs, Clock clock = Clock::Wall)
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
    SummaryReporter reporter(clock);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printSummary(pairs, before);
    benchmark::Shutdown();
    return 0;
}

}  // namespace ksbench
