// Soak tests of pelmora.exe: long series of movements, readings and copies, after which the
// program still does its job, passes every mouse event on unchanged, and holds no more memory
// than its heap's normal growth.
#include "soak.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace pelmora::soak {
namespace {

// The program with its Linux process found, closed at the end of the test.
class Soak : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string failure;
    ASSERT_TRUE(startTraced(app_, linuxPid_, failure)) << failure;
  }

  void TearDown() override {
    if (app_.running()) {
      EXPECT_EQ(app_.close(), 0u);
    }
  }

  // Checks the run and the memory it gained after its warm-up.
  void expectHealthy(const RunReport& report) {
    ASSERT_TRUE(report.ok()) << report.failure;
    std::printf("%s\n", describe(report).c_str());
    EXPECT_LE(report.growthKiB(), kGrowthAllowanceKiB) << describe(report);
    EXPECT_EQ(app_.close(), 0u);
  }

  e2e::Pelmora app_;
  int linuxPid_ = 0;
};

TEST_F(Soak, HundredThousandMovesKeepTheHook) { expectHealthy(soakMoves(app_, linuxPid_, 100000)); }

TEST_F(Soak, EveryMovePassesThroughUnchanged) {
  expectHealthy(soakPassThrough(app_, linuxPid_, 10000));
}

TEST_F(Soak, TwentyThousandReadingsStayRight) {
  expectHealthy(soakReadings(app_, linuxPid_, 20000));
}

TEST_F(Soak, TenThousandCopiesStayRight) { expectHealthy(soakCopies(app_, linuxPid_, 10000)); }

}  // namespace
}  // namespace pelmora::soak
