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
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                Mean& mean = means_[run.benchmark_name()];
                mean.total += run.GetAdjustedRealTime();
                mean.count += 1;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // Mean real time per iteration in the benchmark's unit, or 0 when absent.
    double MeanOf(const std::string& name) const {
        const auto found = means_.find(name);
        return found == means_.end() ? 0.0 : found->second.total / found->second.count;
    }

  private:
    struct Mean {
        double total = 0;
        int count = 0;
    };
    std::map<std::string, Mean> means_;
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
