// A disk in front of the system's that refuses or breaks chosen steps of a save, for the faults
// that the tests cannot make for real (root writes everywhere, and so does Wine as root). While
// it lives, the settings routines go through it.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "settings/file_store.hpp"

namespace kestrune::fakes {

class FaultyDisk final : public file_store::Disk {
  public:
    FaultyDisk() : previous_(file_store::Use(this)) {}
    ~FaultyDisk() override { file_store::Use(previous_); }
    FaultyDisk(const FaultyDisk&) = delete;
    FaultyDisk& operator=(const FaultyDisk&) = delete;

    bool unreadable = false;  // a file that exists cannot be read now (held by another)
    bool folder_takes_no_new_file = false;
    bool replace_refused = false;      // the folder refuses the rename over the old file
    bool file_refuses_writes = false;  // the file itself may not be written
    // Saves of these bytes fail (a full disk), whichever way they go.
    std::function<bool(std::string_view bytes)> fails_on;

    int in_place_writes = 0;

    file_store::ReadResult ReadAll(std::string_view path) override {
        file_store::ReadResult read = system().ReadAll(path);
        if (unreadable && read.status == file_store::ReadStatus::kOk) return {};
        return read;
    }
    file_store::FileKind Inspect(std::string_view path, std::string& target) override {
        return system().Inspect(path, target);
    }
    file_store::StepStatus WriteTemporary(std::string_view target, std::string_view bytes,
                                          std::string& temporary) override {
        if (folder_takes_no_new_file) return file_store::StepStatus::kDenied;
        if (fails_on && fails_on(bytes)) return file_store::StepStatus::kFailed;
        return system().WriteTemporary(target, bytes, temporary);
    }
    file_store::StepStatus Replace(std::string_view temporary, std::string_view target,
                                   bool target_exists) override {
        if (replace_refused) return file_store::StepStatus::kDenied;
        return system().Replace(temporary, target, target_exists);
    }
    file_store::StepStatus WriteInPlace(std::string_view target, std::string_view bytes) override {
        if (file_refuses_writes) return file_store::StepStatus::kDenied;
        if (fails_on && fails_on(bytes)) return file_store::StepStatus::kFailed;
        ++in_place_writes;
        return system().WriteInPlace(target, bytes);
    }
    void Remove(std::string_view temporary) override { system().Remove(temporary); }
    bool MatchesOrdinaryFile(std::string_view pattern) override {
        return system().MatchesOrdinaryFile(pattern);
    }

  private:
    static file_store::Disk& system() { return file_store::SystemDisk(); }

    file_store::Disk* previous_;
};

}  // namespace kestrune::fakes
