// The long soak: the soak tests' series, each scaled up by the first argument (default 10), run
// one after the other on fresh copies of pelmora.exe. Further arguments pick series by name
// (moves, passthrough, readings, copies; all by default). Prints the time and memory of each
// series; exits with 1 when any check fails.
//
//   pelmora_soak_long.exe [scale [series...]]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "soak.h"

namespace {

using namespace pelmora;

struct Series {
  const char* name;
  soak::RunReport (*run)(const e2e::Pelmora&, int, int);
  int count;  // at scale 1, as in the soak tests
};

constexpr Series kSeries[] = {
    {"moves", soak::soakMoves, 100000},
    {"passthrough", soak::soakPassThrough, 10000},
    {"readings", soak::soakReadings, 20000},
    {"copies", soak::soakCopies, 10000},
};

}  // namespace

int main(int argc, char** argv) {
  const double scale = argc > 1 ? std::atof(argv[1]) : 10.0;
  if (!(scale > 0)) {
    std::fprintf(stderr, "usage: pelmora_soak_long.exe [scale > 0 [series...]]\n");
    return 2;
  }
  const auto chosen = [&](const char* name) {
    if (argc <= 2) return true;
    for (int i = 2; i < argc; ++i) {
      if (std::strcmp(argv[i], name) == 0) return true;
    }
    return false;
  };
  bool healthy = true;
  for (const Series& series : kSeries) {
    if (!chosen(series.name)) continue;
    const int count = std::max(1, static_cast<int>(series.count * scale));
    std::printf("%s: %d ...\n", series.name, count);
    std::fflush(stdout);
    e2e::Pelmora app;
    int linuxPid = 0;
    std::string failure;
    if (!soak::startTraced(app, linuxPid, failure)) {
      std::printf("%s: FAILED: %s\n", series.name, failure.c_str());
      healthy = false;
      continue;
    }
    const soak::RunReport report = series.run(app, linuxPid, count);
    if (!report.ok()) {
      std::printf("%s: FAILED: %s\n", series.name, report.failure.c_str());
      healthy = false;
    } else {
      std::printf("%s: %s\n", series.name, soak::describe(report).c_str());
      if (report.growthKiB() > soak::kGrowthAllowanceKiB) {
        std::printf("%s: FAILED: gained %lld KiB after the warm-up, more than %lld KiB\n",
                    series.name, report.growthKiB(), soak::kGrowthAllowanceKiB);
        healthy = false;
      }
    }
    if (app.close() != std::optional<DWORD>(0)) {
      std::printf("%s: FAILED: the program did not close with exit code 0\n", series.name);
      healthy = false;
    }
    std::fflush(stdout);
  }
  std::printf(healthy ? "soak: all series healthy\n" : "soak: FAILED\n");
  return healthy ? 0 : 1;
}
