// Path text shared by the program and its tests.
#pragma once

#include <string>
#include <string_view>

namespace kestrune {

// A path cut at its last separator ('\' or '/'). `folder` is the text before it, without the
// separator, except where that would leave a root without it ("C:\kestrune.exe" gives "C:\",
// "/kestrune" gives "/"); `name` is the text after it. A path without a separator is all name,
// with an empty folder.
struct PathParts {
    std::string_view folder;
    std::string_view name;
};
PathParts SplitPath(std::string_view path);

// The folder part of a program's full path, as the program folder is reported: without a
// trailing separator ("C:\Tools\kestrune.exe" gives "C:\Tools"), except in the root of a drive
// ("C:\kestrune.exe" gives "C:\"). Both '\' and '/' separate folders.
std::string FolderOfPath(std::string_view program_path);

// A path as the system gives a file's final path ("\\?\C:\Tools\kestrune.exe",
// "\\?\UNC\server\share\kestrune.exe") in its usual form ("C:\Tools\kestrune.exe",
// "\\server\share\kestrune.exe"); a path without the prefix is returned as it is. Empty for
// a form that names no drive or share (a volume's GUID path, a device).
std::string PlainPathOf(std::string_view final_path);

}  // namespace kestrune
