// A disk in front of the system's that refuses or breaks chosen steps of a save, for the faults
// that the tests cannot make for real (root writes everywhere, and so does Wine as root). While
// it lives, the settings routines go through it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/file_store.hpp"

namespace kestrune::fakes {

class FaultyDisk final : public file_store::Disk {
  public:
    FaultyDisk() : previous_(file_store::Use(this)) {}
    ~FaultyDisk() override { file_store::Use(previous_); }
    FaultyDisk(const FaultyDisk&) = delete;
    FaultyDisk& operator=(const FaultyDisk&) = delete;

    bool unreadable = false;  // a file that exists cannot be read now (held by another)
    // The next reads find no file: another program saves it by renaming the old one away and
    // then writing the new one.
    int missing_reads = 0;
    bool folder_takes_no_new_file = false;
    bool replace_refused = false;      // the folder refuses the rename over the old file
    bool file_refuses_writes = false;  // the file itself may not be written
    // Another program holds the file without delete sharing (a sharing violation): this many
    // replaces fail that way before one goes through; -1 for all of them.
    int replace_held = 0;
    // The same for a hold on the new file (a virus scanner looking at it).
    int new_file_held = 0;
    // The files that another program (a scanner) holds open without delete sharing, for as
    // long as this says so: a replace from one is kNewFileHeld, a removal kInUse.
    std::function<bool(std::string_view path)> holds;
    // Writes in place meet a sharing violation too.
    bool in_place_held = false;
    // Saves of these bytes fail (a full disk), whichever way they go.
    std::function<bool(std::string_view bytes)> fails_on;

    int in_place_writes = 0;
    int replaces = 0;
    int pauses = 0;
    int paused_ms = 0;
    int reads = 0;

    file_store::ReadResult ReadAll(std::string_view path) override {
        ++reads;
        if (missing_reads > 0) {
            --missing_reads;
            return {FileResult::kMissing, {}};
        }
        file_store::ReadResult read = system().ReadAll(path);
        if (unreadable && read.status == FileResult::kOk) {
            return {FileResult::kInUse, {}};
        }
        return read;
    }
    file_store::Inspection Inspect(std::string_view path) override {
        return system().Inspect(path);
    }
    FileResult WriteTemporary(std::string_view target, std::string_view bytes,
                              std::string& temporary) override {
        if (folder_takes_no_new_file) return FileResult::kNotAllowed;
        if (fails_on && fails_on(bytes)) return FileResult::kFailed;
        return system().WriteTemporary(target, bytes, temporary);
    }
    FileResult Replace(std::string_view temporary, std::string_view target,
                       bool target_exists) override {
        ++replaces;
        if (holds && holds(temporary)) return FileResult::kNewFileHeld;
        if (replace_refused) return FileResult::kNotAllowed;
        if (replace_held != 0) {
            if (replace_held > 0) --replace_held;
            return FileResult::kInUse;
        }
        if (new_file_held != 0) {
            if (new_file_held > 0) --new_file_held;
            return FileResult::kNewFileHeld;
        }
        return system().Replace(temporary, target, target_exists);
    }
    FileResult WriteInPlace(std::string_view target, std::string_view bytes) override {
        if (file_refuses_writes) return FileResult::kNotAllowed;
        if (in_place_held) return FileResult::kInUse;
        if (fails_on && fails_on(bytes)) return FileResult::kFailed;
        ++in_place_writes;
        return system().WriteInPlace(target, bytes);
    }
    FileResult Remove(std::string_view temporary) override {
        if (holds && holds(temporary)) return FileResult::kInUse;
        return system().Remove(temporary);
    }
    // No real wait: the tests count the pauses and what they add up to.
    void Pause(int milliseconds) override {
        ++pauses;
        paused_ms += milliseconds;
    }
    std::vector<file_store::Leftover> Leftovers(std::string_view target) override {
        return system().Leftovers(target);
    }
    bool MatchesOrdinaryFile(std::string_view pattern) override {
        return system().MatchesOrdinaryFile(pattern);
    }

  private:
    static file_store::Disk& system() { return file_store::SystemDisk(); }

    file_store::Disk* previous_;
};

}  // namespace kestrune::fakes
