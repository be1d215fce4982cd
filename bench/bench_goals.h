#pragma once
// The closing table of a comparison benchmark: for each pair of benchmarks, ours
// and a peer's measured in the same run, the best rate of each side (MB/s, or
// another rate counter such as items per second), the ratio and whether the goal
// is met. On a shared machine the fastest repetition is the one least disturbed
// by other work, so the best one counts.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace bench {

struct Goal {
    const char* ours;
    const char* theirs;
    double minimumRatio; // ours / theirs; 0: shown for information
};

class GoalReporter : public benchmark::ConsoleReporter {
public:
    // `counter` is the rate counter compared, shown divided by `divisor` in `unit`.
    explicit GoalReporter(const char* counter = "bytes_per_second", const char* unit = "MB/s", double divisor = 1e6)
        : counter_(counter), unit_(unit), divisor_(divisor) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto rate = run.counters.find(counter_);
            if (run.error_occurred || rate == run.counters.end() || run.run_type != Run::RT_Iteration) {
                continue;
            }
            double& best = rates_[run.run_name.function_name];
            best = std::max(best, rate->second.value / divisor_);
        }
    }

    // Best rate of a benchmark, 0 when it did not run.
    double Rate(const std::string& name) const { return rates_.contains(name) ? rates_.at(name) : 0; }

    void PrintGoals(std::span<const Goal> goals) const {
        std::printf("\n%-28s %10s   %-30s %10s   %7s  %s\n", "ours", unit_, "theirs", unit_, "ratio", "goal");
        for (const Goal& goal : goals) {
            const double ours = Rate(goal.ours);
            const double theirs = Rate(goal.theirs);
            if (ours <= 0 || theirs <= 0) {
                continue;
            }
            std::printf("%-28s %10.1f   %-30s %10.1f   %6.2fx  %s\n", goal.ours, ours, goal.theirs, theirs,
                        ours / theirs, Verdict(goal.minimumRatio, ours / theirs, "x").c_str());
        }
    }

    static std::string Verdict(double minimum, double value, const char* unit) {
        if (minimum <= 0) {
            return "-";
        }
        char text[48];
        std::snprintf(text, sizeof text, ">= %.1f%s %s", minimum, unit, value >= minimum ? "met" : "MISSED");
        return text;
    }

private:
    const char* counter_;
    const char* unit_;
    double divisor_;
    std::map<std::string, double> rates_;
};

// Runs the registered benchmarks into `reporter`: `repetitions` of each in shuffled
// order, unless the command line gives arguments of its own.
inline void RunShuffled(int argc, char** argv, int repetitions, GoalReporter& reporter) {
    std::vector<char*> arguments(argv, argv + argc);
    std::string repeat = "--benchmark_repetitions=" + std::to_string(repetitions);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    if (argc == 1) {
        arguments.push_back(repeat.data());
        arguments.push_back(interleave);
    }
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    benchmark::RunSpecifiedBenchmarks(&reporter);
}

} // namespace bench
