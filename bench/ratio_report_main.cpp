// Runs the benchmarks, then prints for each Kestrova/OpenSSL pair the median
// CPU time of each side in this same run and their ratio. CPU time rather than
// real time: on a shared machine a descheduled run inflates only the latter.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench/des_pairs.h"

namespace {

class MedianTimeReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) {
                continue;
            }
            const std::string name = run.run_name.str();
            if (run.run_type == Run::RT_Iteration) {
                times_[name].push_back(run.GetAdjustedCPUTime());
            } else if (run.aggregate_name == "median") {
                // Only aggregates reach the reporter with
                // --benchmark_report_aggregates_only.
                aggregateMedians_[name] = run.GetAdjustedCPUTime();
                aggregateRepetitions_[name] = static_cast<std::size_t>(run.repetitions);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // Median CPU time per iteration in nanoseconds, or 0 when not measured.
    double MedianOf(const std::string& name) const {
        if (const auto found = times_.find(name); found != times_.end()) {
            std::vector<double> times = found->second;
            std::sort(times.begin(), times.end());
            const std::size_t middle = times.size() / 2;
            return times.size() % 2 != 0 ? times[middle] : (times[middle - 1] + times[middle]) / 2;
        }
        const auto found = aggregateMedians_.find(name);
        return found == aggregateMedians_.end() ? 0.0 : found->second;
    }

    std::size_t RepetitionsOf(const std::string& name) const {
        if (const auto found = times_.find(name); found != times_.end()) {
            return found->second.size();
        }
        const auto found = aggregateRepetitions_.find(name);
        return found == aggregateRepetitions_.end() ? 0 : found->second;
    }

  private:
    std::map<std::string, std::vector<double>> times_;
    std::map<std::string, double> aggregateMedians_;
    std::map<std::string, std::size_t> aggregateRepetitions_;
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<kestrova::bench::BenchPair> pairs;
    if (!kestrova::bench::RegisterDesPairs(pairs)) {
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    MedianTimeReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\n%-32s %14s %14s %7s %5s\n", "case (median CPU time)", "kestrova ns",
                "openssl ns", "ratio", "runs");
    for (const auto& pair : pairs) {
        const double ours = reporter.MedianOf(pair.kestrova);
        const double theirs = reporter.MedianOf(pair.openssl);
        if (ours > 0 && theirs > 0) {
            std::printf("%-32s %14.1f %14.1f %7.2f %5zu\n", pair.label.c_str(), ours, theirs,
                        ours / theirs, reporter.RepetitionsOf(pair.kestrova));
        }
    }
    return 0;
}
