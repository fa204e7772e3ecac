// Path text shared by the program and its tests.
#pragma once

#include <string>
#include <string_view>

namespace kestrune {

// The folder part of a program's full path, as the program folder is reported: without a
// trailing separator ("C:\Tools\kestrune.exe" gives "C:\Tools"), except in the root of a drive
// ("C:\kestrune.exe" gives "C:\"). Both '\' and '/' separate folders.
std::string FolderOfPath(std::string_view program_path);

}  // namespace kestrune
