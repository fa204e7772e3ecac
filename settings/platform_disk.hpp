// The disk of the platform the program runs on, as `SystemDisk()` gives it: declared once here,
// its steps defined in file_store_posix.cpp or file_store_win32.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/disk.hpp"

namespace kestrune::file_store {

class PlatformDisk final : public Disk {
  public:
    ReadResult ReadAll(std::string_view path) override;
    Inspection Inspect(std::string_view path) override;
    FileResult WriteTemporary(std::string_view target, std::string_view bytes,
                              std::string& temporary) override;
    FileResult Replace(std::string_view temporary, std::string_view target,
                       bool target_exists) override;
    FileResult WriteInPlace(std::string_view target, std::string_view bytes) override;
    FileResult Remove(std::string_view temporary) override;
    void Pause(int milliseconds) override;
    std::vector<Leftover> Leftovers(std::string_view target) override;
    bool MatchesOrdinaryFile(std::string_view pattern) override;
};

}  // namespace kestrune::file_store
