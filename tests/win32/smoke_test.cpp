#include <gtest/gtest.h>

#include "testing.h"
#include "window/main_window.h"

namespace pelmora {
namespace {

TEST(Smoke, StartsAndClosesWithExitCodeZero) {
  static int created = 0;
  static const EventBindings bindings{[] { ++created; }, nullptr, {}, {}};
  ASSERT_TRUE(testing::startMainWindow(bindings));
  EXPECT_EQ(created, 1);
  EXPECT_TRUE(IsWindowVisible(mainWindow()));
  EXPECT_EQ(testing::closeMainWindow(), 0);
}

}  // namespace
}  // namespace pelmora
