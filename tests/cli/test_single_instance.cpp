#include <gtest/gtest.h>
#include <stdlib.h>

#include "tests/util/temp_directory.h"
#include "util/single_instance.h"

namespace {

class SingleInstance : public ::testing::Test {
 protected:
  void SetUp() override { setenv("XDG_RUNTIME_DIR", dir_.path().c_str(), 1); }
  void TearDown() override { unsetenv("XDG_RUNTIME_DIR"); }
  TempDirectory dir_;
};

TEST_F(SingleInstance, SecondHolderIsRefusedUntilTheFirstLetsGo) {
  EXPECT_EQ(CSingleInstanceLock::LockPath(), dir_.path() / "Zorva_Linvoro");
  {
    CSingleInstanceLock first;
    ASSERT_TRUE(first.IsHeld());
    CSingleInstanceLock second;
    EXPECT_EQ(second.state(), CSingleInstanceLock::State::kHeldElsewhere);
  }
  CSingleInstanceLock again;
  EXPECT_TRUE(again.IsHeld());
}

TEST_F(SingleInstance, WithoutARuntimeDirectoryAPrivateFolderIsUsed) {
  unsetenv("XDG_RUNTIME_DIR");
  const auto path = CSingleInstanceLock::LockPath("engine-test-lock");
  CSingleInstanceLock lock("engine-test-lock");
  ASSERT_TRUE(lock.IsHeld());
  EXPECT_TRUE(std::filesystem::exists(path));
  const auto permissions = std::filesystem::status(path.parent_path()).permissions();
  EXPECT_EQ(permissions & std::filesystem::perms::group_all, std::filesystem::perms::none);
  EXPECT_EQ(permissions & std::filesystem::perms::others_all, std::filesystem::perms::none);
  std::filesystem::remove(path);
}

}  // namespace
