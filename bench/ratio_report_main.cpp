// Runs the benchmarks, then prints for each Kestrova/OpenSSL pair the ratio
// of their mean real times in this same run.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

struct Pair {
    const char* label;
    const char* kestrova;
    const char* openssl;
};

// The operations include hex decoding and encoding on Kestrova's side only.
constexpr Pair kPairs[] = {
    {"MAC-2048-3DES (operation, hex text)", "KestrovaMacOperation", "OpenSslMac"},
    {"CBC-2048-3DES (engine)", "KestrovaCbcEngine", "OpenSslCbcEngine"},
    {"DES-block (operation, hex text)", "KestrovaDesOperation", "OpenSslDesBlock"},
    {"DES-block (engine)", "KestrovaDesBlock", "OpenSslDesBlock"},
};

class MeanTimeReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) {
                continue;
            }
            const std::string name = run.run_name.str();
            if (run.run_type == Run::RT_Iteration) {
                Mean& mean = iterationMeans_[name];
                mean.total += run.GetAdjustedRealTime();
                mean.count += 1;
            } else if (run.aggregate_name == "mean") {
                // Only aggregates reach the reporter with
                // --benchmark_report_aggregates_only.
                aggregateMeans_[name] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // Mean real time per iteration in the benchmark's unit, or 0 when absent.
    double MeanOf(const std::string& name) const {
        if (const auto found = iterationMeans_.find(name); found != iterationMeans_.end()) {
            return found->second.total / found->second.count;
        }
        const auto found = aggregateMeans_.find(name);
        return found == aggregateMeans_.end() ? 0.0 : found->second;
    }

  private:
    struct Mean {
        double total = 0;
        int count = 0;
    };
    std::map<std::string, Mean> iterationMeans_;
    std::map<std::string, double> aggregateMeans_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    MeanTimeReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\n");
    for (const Pair& pair : kPairs) {
        const double ours = reporter.MeanOf(pair.kestrova);
        const double theirs = reporter.MeanOf(pair.openssl);
        if (ours > 0 && theirs > 0) {
            std::printf("ratio kestrova/openssl %s: %.2f\n", pair.label, ours / theirs);
        } else {
            std::printf("ratio kestrova/openssl %s: not measured in this run\n", pair.label);
        }
    }
    return 0;
}
