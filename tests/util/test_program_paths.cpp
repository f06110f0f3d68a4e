#include "util/program_paths.h"

#include <gtest/gtest.h>

#include <unistd.h>

TEST(ProgramPaths, ExeDirectoryHoldsThisTestProgram) {
  const std::string& directory = GetExeDirectory();
  ASSERT_FALSE(directory.empty());
  EXPECT_EQ(directory.back(), '/');
  EXPECT_TRUE(std::filesystem::exists(directory + "test_program_paths"));
  EXPECT_EQ(&GetExeDirectory(), &directory);
}

TEST(ProgramPaths, ResourceBesideProgramWhenMissingEverywhere) {
  EXPECT_EQ(FindProgramResource("no-such-resource.ini"),
            std::filesystem::path(GetExeDirectory()) / "no-such-resource.ini");
}

TEST(ProgramPaths, VersionIsTheBuildVersion) { EXPECT_EQ(GetFileVersionText(), "1.0.0.0"); }
