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

TEST(ProgramFolder, FinalPathInItsUsualForm) {
    EXPECT_EQ(PlainPathOf("\\\\?\\C:\\Tools\\kestrune.exe"), "C:\\Tools\\kestrune.exe");
    EXPECT_EQ(PlainPathOf("\\\\?\\UNC\\server\\share\\kestrune.exe"),
              "\\\\server\\share\\kestrune.exe");
    EXPECT_EQ(PlainPathOf("D:\\kestrune.exe"), "D:\\kestrune.exe") << "no prefix: as it is";
    EXPECT_EQ(PlainPathOf("\\\\?\\Volume{0b1c2d3e-0000-0000-0000-100000000000}\\k.exe"), "")
        << "a volume without a drive letter names no folder to use";
    EXPECT_EQ(PlainPathOf("\\\\?\\"), "");
}

}  // namespace
}  // namespace kestrune
