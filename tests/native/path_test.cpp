#include "util/path.hpp"

#include <gtest/gtest.h>

#include "settings/settings.hpp"

namespace kestrune {
namespace {

TEST(ProgramFolder, FolderOfTheProgramPath) {
    EXPECT_EQ(FolderOfPath("C:\\Tools\\Kestrune\\kestrune.exe"), "C:\\Tools\\Kestrune");
    EXPECT_EQ(FolderOfPath("C:\\kestrune.exe"), "C:\\") << "a drive root keeps its separator";
    EXPECT_EQ(FolderOfPath("\\\\server\\share\\kestrune.exe"), "\\\\server\\share");
    EXPECT_EQ(FolderOfPath("/opt/kestrune/kestrune"), "/opt/kestrune");
    EXPECT_EQ(FolderOfPath("/kestrune"), "/");
    EXPECT_EQ(FolderOfPath("kestrune.exe"), "");
}

TEST(ProgramFolder, SettingsPathIsAPlainJoin) {
    EXPECT_EQ(SettingsPath(FolderOfPath("C:\\Tools\\kestrune.exe")), "C:\\Tools\\settings.ini");
    // In a drive root the join holds two backslashes, which still name the file in the root.
    EXPECT_EQ(SettingsPath(FolderOfPath("C:\\kestrune.exe")), "C:\\\\settings.ini");
}

}  // namespace
}  // namespace kestrune
