// A disk held in memory, for tests that read and save the settings file many thousand times:
// ten thousand saves flushed to a real disk take seconds, here milliseconds, and what the core
// keeps or leaks is the same. While it lives, the settings routines go through it.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "settings/file_store.hpp"

namespace kestrune::fakes {

class MemoryDisk final : public file_store::Disk {
  public:
    MemoryDisk() : previous_(file_store::Use(this)) {}
    ~MemoryDisk() override { file_store::Use(previous_); }
    MemoryDisk(const MemoryDisk&) = delete;
    MemoryDisk& operator=(const MemoryDisk&) = delete;

    std::map<std::string, std::string, std::less<>> files;  // path: bytes

    file_store::ReadResult ReadAll(std::string_view path) override {
        const auto file = files.find(path);
        if (file == files.end()) return {FileResult::kMissing, {}};
        return {FileResult::kOk, file->second};
    }
    file_store::Inspection Inspect(std::string_view path) override {
        const auto kind =
            files.count(path) ? file_store::FileKind::kWritable : file_store::FileKind::kMissing;
        return {kind, std::string(path), false};
    }
    FileResult WriteTemporary(std::string_view target, std::string_view bytes,
                              std::string& temporary) override {
        temporary = file_store::TemporaryPath(target, 1, next_++);
        files[temporary] = bytes;
        return FileResult::kOk;
    }
    FileResult Replace(std::string_view temporary, std::string_view target,
                       bool target_exists) override {
        if (!target_exists && files.count(target)) return FileResult::kAppeared;
        const auto file = files.find(temporary);
        if (file == files.end()) return FileResult::kFailed;
        files[std::string(target)] = std::move(file->second);
        files.erase(file);
        return FileResult::kOk;
    }
    FileResult WriteInPlace(std::string_view target, std::string_view bytes) override {
        files[std::string(target)] = bytes;
        return FileResult::kOk;
    }
    FileResult Remove(std::string_view path) override {
        if (const auto file = files.find(path); file != files.end()) files.erase(file);
        return FileResult::kOk;
    }
    void Pause(int) override {}
    std::vector<file_store::Leftover> Leftovers(std::string_view) override { return {}; }
    bool MatchesOrdinaryFile(std::string_view pattern) override { return files.count(pattern); }

  private:
    file_store::Disk* previous_;
    unsigned next_ = 0;
};

}  // namespace kestrune::fakes
