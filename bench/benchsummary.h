// Shared by the benchmarks: each benchmark runs five times, interleaved
// with its references, and the program ends with one table of rows: ours
// beside a reference of the same kind (min and median of the runs, and
// their ratios), or ours alone where nothing does the same work. The table
// says what each side did, the cores, the load average before and after
// (the machine may be shared), and whether a row's goal is met; a control
// row (ours against a second registration of ours) shows the noise of the
// method. Benchmarks are named by their function and arguments ("BM_Read"
// or "BM_Read/0"); every figure is the wall time of one iteration (manual
// time where the benchmark sets it), or its CPU time for in-process rounds
// that ask for it.
//
// A ratio compares the same kind of thing: code in this process against a
// reference in this process over the same bytes, or a whole program
// against a whole program (runQuiet), never one against the other.
//
// With KS_BENCH_SUMMARY set to a file name, the table is appended to that
// file as well (scripts/bench prints every program's table at the end).
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <sched.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
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
// cannot be started or does not end with status 0. The program inherits
// this process's cores (taskset) and environment.
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

// A whole program as one iteration of a manual-time benchmark: the wall
// time from its start to its end.
inline void timeProgram(benchmark::State& state, const std::vector<std::string>& argv)
{
    for (auto _ : state) {
        bool ok = true;
        state.SetIterationTime(timed([&] { ok = runQuiet(argv); }));
        if (!ok) {
            state.SkipWithError(("could not run " + argv[0]).c_str());
            return;
        }
    }
}

// One timed iteration per run (manual time, milliseconds): for cases that
// take long enough to time alone, such as whole programs or passes over a
// large file.
inline benchmark::internal::Benchmark* timedOnce(benchmark::internal::Benchmark* b)
{
    return b->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(kRepetitions)->UseManualTime();
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

// The load averages of 1, 5 and 15 minutes, as uptime shows them.
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
    size_t end = 0;
    for (int field = 0; field < 3 && end != std::string::npos; ++field)
        end = s.find(' ', end + (field > 0 ? 1 : 0));
    return s.substr(0, end);
}

// One row of the table. Without a reference the row shows ours alone (no
// peer does the same work); a goal is either a ratio of medians or a time
// of ours (median, milliseconds) not to exceed.
struct Pair {
    const char* what;
    const char* ours;       // benchmark names, with arguments
    const char* reference;  // nullptr: no peer
    const char* oursDid = nullptr;   // what each side did, printed under the row
    const char* refDid = nullptr;
    double maxRatio = 0;    // goal: median ratio at most this (0: none)
    double maxMs = 0;       // goal: our median at most this many ms (0: none)
};

enum class Clock { Wall, Cpu };

// Registers a second copy of a benchmark under `name` ("BM_Read_again"),
// for a control row: ours against ours, interleaved like any reference.
inline benchmark::internal::Benchmark* registerControl(const char* name, void (*fn)(benchmark::State&))
{
    return benchmark::RegisterBenchmark(name, fn);
}

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

    // Seconds of the runs of a benchmark, as measured (empty if not run).
    std::vector<double> runsOf(const std::string& name) const
    {
        auto it = seconds_.find(name);
        return it == seconds_.end() ? std::vector<double>() : it->second;
    }

    // Runs measured elsewhere (another program's timing of one side).
    void addRuns(const std::string& name, const std::vector<double>& seconds)
    {
        auto& v = seconds_[name];
        v.insert(v.end(), seconds.begin(), seconds.end());
    }

    void printSummary(const std::string& program, const std::vector<Pair>& pairs, const std::string& loadBefore)
    {
        std::string out;
        add(out, "\n== %s: min and median of %d interleaved runs (%s time) on cores %s of %ld; load average "
                 "before: %s, after: %s\n",
            program.c_str(), kRepetitions, clock_ == Clock::Cpu ? "CPU" : "wall", allowedCores().c_str(),
            sysconf(_SC_NPROCESSORS_ONLN), loadBefore.c_str(), loadAverage().c_str());
        add(out, "%-56s %21s %21s %13s\n", "row", "ours min / median", "ref. min / median", "ratio min/med");
        const char* lastRefDid = nullptr;   // a reference described once for the rows that follow
        for (const auto& p : pairs) {
            double om, omed, rm, rmed;
            std::string goal;
            if (!stats(p.ours, &om, &omed)) {
                add(out, "%-56s (not run)\n", p.what);
                continue;
            }
            if (p.maxMs > 0)
                goal = omed * 1e3 <= p.maxMs ? "  goal met" : "  goal NOT met";
            if (!p.reference) {
                add(out, "%-56s %s %21s %13s%s%s\n", p.what, figure(om, omed).c_str(), "(no peer)", "",
                    p.maxMs > 0 ? (" aim under " + number(p.maxMs) + " ms:").c_str() : "", goal.c_str());
            } else if (!stats(p.reference, &rm, &rmed)) {
                add(out, "%-56s %s %21s\n", p.what, figure(om, omed).c_str(), "(reference not run)");
            } else {
                // Judged on the ratio as printed (two decimals).
                if (p.maxRatio > 0)
                    goal = std::round(omed / rmed * 100) / 100 <= p.maxRatio ? "  goal met" : "  goal NOT met";
                add(out, "%-56s %s %s %6s / %4s%s%s\n", p.what, figure(om, omed).c_str(),
                    figure(rm, rmed).c_str(), ratio(om / rm).c_str(), ratio(omed / rmed).c_str(),
                    p.maxRatio > 0 ? (" (aim: at most " + number(p.maxRatio) + "):").c_str()
                    : p.maxMs > 0  ? (" (aim: under " + number(p.maxMs) + " ms):").c_str()
                                   : "",
                    goal.c_str());
            }
            if (p.oursDid)
                add(out, "    ours: %s\n", p.oursDid);
            if (p.reference && p.refDid && (!lastRefDid || std::strcmp(lastRefDid, p.refDid) != 0))
                add(out, "    reference: %s\n", p.refDid);
            lastRefDid = p.reference ? p.refDid : nullptr;
        }
        std::fputs(out.c_str(), stdout);
        std::fflush(stdout);
        if (const char* file = std::getenv("KS_BENCH_SUMMARY")) {
            if (FILE* f = std::fopen(file, "a")) {
                std::fputs(out.c_str(), f);
                std::fclose(f);
            }
        }
    }

private:
    static std::string nameOf(const Run& r)
    {
        return r.run_name.args.empty() ? r.run_name.function_name
                                       : r.run_name.function_name + "/" + r.run_name.args;
    }

    static void add(std::string& out, const char* format, ...)
    {
        char line[2048];
        va_list args;
        va_start(args, format);
        std::vsnprintf(line, sizeof line, format, args);
        va_end(args);
        out += line;
    }

    static std::string number(double v)
    {
        char t[32];
        std::snprintf(t, sizeof t, "%g", v);
        return t;
    }

    // Two decimals; small ratios with four, so that they do not read 0.00.
    static std::string ratio(double r)
    {
        char t[32];
        std::snprintf(t, sizeof t, r < 0.1 ? "%.4f" : "%.2f", r);
        return t;
    }

    // "min / median unit", 21 characters, in the unit that suits the median.
    static std::string figure(double min, double median)
    {
        const char* unit = "s";
        double scale = 1;
        if (median < 1e-6) {
            unit = "ns";
            scale = 1e9;
        } else if (median < 1e-3) {
            unit = "us";
            scale = 1e6;
        } else if (median < 1) {
            unit = "ms";
            scale = 1e3;
        }
        char t[64];
        std::snprintf(t, sizeof t, "%8.*f / %7.*f %-2s", median * scale < 10 ? 3 : 1, min * scale,
                      median * scale < 10 ? 3 : 1, median * scale, unit);
        return t;
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

// Initialises the benchmark library for a program with a summary: every
// benchmark runs kRepetitions times (unless it says otherwise) and the
// repetitions of all benchmarks are interleaved, unless the command line
// says otherwise. False on arguments it does not know.
inline bool initialize(int argc, char** argv)
{
    std::vector<char*> args(argv, argv + argc);
    bool interleaveGiven = false, repetitionsGiven = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--benchmark_enable_random_interleaving", 38) == 0)
            interleaveGiven = true;
        if (std::strncmp(argv[i], "--benchmark_repetitions", 23) == 0)
            repetitionsGiven = true;
    }
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    static char repetitions[] = "--benchmark_repetitions=5";
    static_assert(kRepetitions == 5, "the flag above says the same");
    if (!interleaveGiven)
        args.insert(args.begin() + 1, interleave);
    if (!repetitionsGiven)
        args.insert(args.begin() + 1, repetitions);
    int n = int(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&n, args.data());
    return !benchmark::ReportUnrecognizedArguments(n, args.data());
}

inline std::string programName(const char* argv0)
{
    const char* slash = std::strrchr(argv0, '/');
    return slash ? slash + 1 : argv0;
}

// main() of a benchmark program with a summary.
inline int runWithSummary(int argc, char** argv, const std::vector<Pair>& pairs, Clock clock = Clock::Wall)
{
    if (!initialize(argc, argv))
        return 1;
    const std::string before = loadAverage();
    SummaryReporter reporter(clock);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printSummary(programName(argv[0]), pairs, before);
    benchmark::Shutdown();
    return 0;
}

}  // namespace ksbench
