// The settings file operations on Windows. Paths arrive as UTF-8 and go to the wide-character
// API, so a program folder whose name lies outside the ANSI code page still works.
#include "settings/file_store_win32.hpp"

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/file_store.hpp"
#include "settings/platform_disk.hpp"
#include "util/wide_text.hpp"

namespace kestrune::file_store {
namespace {

// Closes the handle when it goes out of scope.
class Handle {
  public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { Close(); }
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool Close() {
        if (!valid()) return true;
        HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return ::CloseHandle(handle) != 0;
    }

  private:
    HANDLE handle_;
};

bool WriteEverything(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD chunk = bytes.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

std::atomic<unsigned> temp_counter{0};

// A settings file is a few hundred bytes; anything this large is not one, and is not read.
constexpr LONGLONG kMaxFileSize = 64 * 1024 * 1024;

// Room for the name of a temporary file beside the settings file (".<pid>-<n>-old.tmp").
constexpr std::size_t kTemporarySuffixRoom = 32;

// An error as the step it ended.
StepStatus Refusal(DWORD error) {
    switch (error) {
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
        case ERROR_PRIVILEGE_NOT_HELD:
            return StepStatus::kDenied;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE:
            return StepStatus::kInUse;
        default:
            return StepStatus::kFailed;
    }
}

StepStatus Refusal() {
    return Refusal(::GetLastError());
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The path that the system ends at for an open file: through symbolic links, junctions and
// (under Wine) Unix symbolic links, which show no reparse point. Empty when it cannot say.
std::string FinalPath(HANDLE file) {
    constexpr DWORD kFlags = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
    const DWORD needed = ::GetFinalPathNameByHandleW(file, nullptr, 0, kFlags);
    if (needed == 0) return {};
    std::wstring path(needed, L'\0');
    const DWORD length = ::GetFinalPathNameByHandleW(file, path.data(), needed, kFlags);
    if (length == 0 || length >= needed) return {};
    path.resize(length);
    // The plain form, as the program names its paths; SystemPath gives long ones the \\?\ form.
    if (path.starts_with(L"\\\\?\\UNC\\")) {
        path = L"\\\\" + path.substr(8);
    } else if (path.starts_with(L"\\\\?\\")) {
        path = path.substr(4);
    }
    return WideToUtf8(path);
}

bool ReadEverything(HANDLE file, std::string& bytes) {
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file, &size) || size.QuadPart < 0 || size.QuadPart > kMaxFileSize) {
        return false;
    }
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        DWORD got = 0;
        if (!::ReadFile(file, bytes.data() + filled, static_cast<DWORD>(bytes.size() - filled),
                        &got, nullptr)) {
            bytes.clear();
            return false;
        }
        if (got == 0) break;  // the file shrank since its size was taken
        filled += got;
    }
    bytes.resize(filled);
    return true;
}

}  // namespace

ReadResult PlatformDisk::ReadAll(std::string_view path) {
    ReadResult result;
    std::wstring wide = SystemPath(path);
    if (wide.empty()) return result;
    // Other programs may go on reading, writing or replacing the file while it is read here.
    Handle file(::CreateFileW(wide.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            result.status = ReadStatus::kMissing;
        }
        return result;  // a folder, a file locked by another process, ...: kError
    }
    if (!ReadEverything(file.get(), result.bytes)) return result;
    result.status = ReadStatus::kOk;
    return result;
}

// The read-only attribute is looked at here because Wine running as root does not enforce it.
// The file is opened (for its attributes only, which no share mode forbids) to learn where a
// symbolic link ends and how many names the file has.
Inspection PlatformDisk::Inspect(std::string_view path) {
    Inspection result;
    result.target = std::string(path);
    std::wstring wide = SystemPath(path);
    if (wide.empty()) return result;
    DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        if (::GetLastError() == ERROR_FILE_NOT_FOUND) result.kind = FileKind::kMissing;
        return result;
    }
    Handle file(::CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (file.valid()) {
        BY_HANDLE_FILE_INFORMATION info;
        if (::GetFileInformationByHandle(file.get(), &info)) {
            attributes = info.dwFileAttributes;  // the final target's, not a link's
            result.linked = info.nNumberOfLinks > 1;
        }
        std::string final_path = FinalPath(file.get());
        if (!final_path.empty()) result.target = std::move(final_path);
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        result.kind = FileKind::kNotAFile;
    } else if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        result.kind = FileKind::kReadOnly;
    } else {
        result.kind = FileKind::kWritable;
    }
    return result;
}

StepStatus PlatformDisk::WriteTemporary(std::string_view target, std::string_view bytes,
                                        std::string& temporary) {
    std::wstring wide;
    HANDLE created = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && created == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = TemporaryPath(target, ::GetCurrentProcessId(), temp_counter.fetch_add(1));
        wide = SystemPath(temporary);
        if (wide.empty()) return StepStatus::kFailed;
        created = ::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
        if (created == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS) {
            return Refusal();
        }
    }
    if (created == INVALID_HANDLE_VALUE) return StepStatus::kFailed;

    Handle file(created);
    bool ok = WriteEverything(file.get(), bytes) && ::FlushFileBuffers(file.get());
    ok = file.Close() && ok;
    if (!ok) {
        ::DeleteFileW(wide.c_str());
        return StepStatus::kFailed;
    }
    return StepStatus::kDone;
}

// An existing file is replaced with ReplaceFileW, which keeps its security (and on Windows its
// attributes; Wine's does not, so the attributes that matter are given to the new file first).
// It is given a backup name of the program's own, removed afterwards: without one, Wine's moves
// the old file to an "rfXXXX.tmp" of its own that it leaves behind when it fails, and both
// leave no trace of the old file when the new one cannot be moved in. Where ReplaceFileW
// cannot be used, a rename takes its place.
StepStatus PlatformDisk::Replace(std::string_view temporary, std::string_view target,
                                 bool target_exists) {
    const std::wstring from = SystemPath(temporary);
    const std::wstring to = SystemPath(target);
    if (!target_exists) {
        if (!::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) return Refusal();
        return StepStatus::kDone;
    }
    DWORD old_attributes = ::GetFileAttributesW(to.c_str());
    if (old_attributes == INVALID_FILE_ATTRIBUTES) return StepStatus::kFailed;
    DWORD kept =
        old_attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    if (kept != 0 && !::SetFileAttributesW(from.c_str(), kept)) return StepStatus::kFailed;

    const std::wstring backup =
        SystemPath(BackupPath(target, ::GetCurrentProcessId(), temp_counter.fetch_add(1)));
    if (::ReplaceFileW(to.c_str(), from.c_str(), backup.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS,
                       nullptr, nullptr)) {
        ::DeleteFileW(backup.c_str());
        return StepStatus::kDone;
    }
    const DWORD error = ::GetLastError();
    if (Exists(to)) {
        // The old file (or the new one) stands at the target: a backup that was made is not
        // the only copy of anything.
        ::DeleteFileW(backup.c_str());
    } else if (Exists(backup)) {
        // Broken part way (ERROR_UNABLE_TO_MOVE_REPLACEMENT_2): the old file has the backup
        // name. The new one goes in, or else the old one goes back.
        if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) {
            ::DeleteFileW(backup.c_str());
            return StepStatus::kDone;
        }
        const DWORD move_error = ::GetLastError();
        if (::MoveFileExW(backup.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) {
            return Refusal(move_error) == StepStatus::kInUse ? StepStatus::kInUse
                                                             : StepStatus::kFailed;
        }
        // Neither: the new file and the old one both stay where they are, and the target is
        // gone. The caller finds that out.
        return StepStatus::kFailed;
    } else {
        return StepStatus::kFailed;  // gone, and not by this replace: the caller looks
    }
    switch (error) {
        case ERROR_ACCESS_DENIED:
            return StepStatus::kDenied;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE:
        // Both files keep their names: one of them is held by another program.
        case ERROR_UNABLE_TO_REMOVE_REPLACED:
        case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
            return StepStatus::kInUse;
        default:
            break;
    }
    if (!::MoveFileExW(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return Refusal();
    }
    return StepStatus::kDone;
}

StepStatus PlatformDisk::MoveIntoPlace(std::string_view temporary, std::string_view target) {
    if (!::MoveFileExW(SystemPath(temporary).c_str(), SystemPath(target).c_str(),
                       MOVEFILE_WRITE_THROUGH)) {
        return Refusal();
    }
    return StepStatus::kDone;
}

// Other programs that hold the file with read and write sharing keep their handles: the file is
// shared for writing too.
StepStatus PlatformDisk::WriteInPlace(std::string_view target, std::string_view bytes) {
    const std::wstring wide = SystemPath(target);
    Handle file(::CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return Refusal();
    std::string old;
    if (!ReadEverything(file.get(), old)) return Refusal();
    auto write_all = [&](std::string_view text) {
        LARGE_INTEGER start{};
        return ::SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN) &&
               WriteEverything(file.get(), text) && ::SetEndOfFile(file.get()) &&
               ::FlushFileBuffers(file.get());
    };
    if (write_all(bytes)) return StepStatus::kDone;
    const DWORD error = ::GetLastError();
    write_all(old);
    // A part of the file locked by another program: nothing of it was written.
    return Refusal(error) == StepStatus::kInUse ? StepStatus::kInUse : StepStatus::kFailed;
}

bool PlatformDisk::MatchesOrdinaryFile(std::string_view pattern) {
    std::wstring wide = SystemPath(pattern);
    if (wide.empty()) return false;
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileExW(wide.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                       nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) return false;
    constexpr DWORD kNotOrdinary =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    bool matched = false;
    do {
        matched = (found.dwFileAttributes & kNotOrdinary) == 0;
    } while (!matched && ::FindNextFileW(search, &found));
    ::FindClose(search);
    return matched;
}

void PlatformDisk::Remove(std::string_view temporary) {
    ::DeleteFileW(SystemPath(temporary).c_str());
}

void PlatformDisk::Pause(int milliseconds) {
    ::Sleep(static_cast<DWORD>(milliseconds));
}

std::vector<Leftover> PlatformDisk::Leftovers(std::string_view target) {
    std::vector<Leftover> found;
    const std::size_t slash = target.find_last_of("\\/");
    const std::string_view folder =
        slash == std::string_view::npos ? std::string_view(".") : target.substr(0, slash);
    const std::string_view name =
        slash == std::string_view::npos ? target : target.substr(slash + 1);
    const std::wstring pattern = SystemPath(std::string(target) + ".*.tmp");
    if (pattern.empty()) return found;
    WIN32_FIND_DATAW entry;
    HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry,
                                       FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) return found;
    do {
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
        const std::string entry_name = WideToUtf8(entry.cFileName);
        LeftoverName parsed;
        if (!ParseLeftoverName(entry_name, name, parsed)) continue;
        const std::int64_t modified =
            (static_cast<std::int64_t>(entry.ftLastWriteTime.dwHighDateTime) << 32) |
            entry.ftLastWriteTime.dwLowDateTime;
        found.push_back({std::string(folder) + "\\" + entry_name, modified});
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
    return found;
}

bool PlatformDisk::IsRunning(std::uint32_t process_id) {
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id);
    if (process == nullptr) return ::GetLastError() != ERROR_INVALID_PARAMETER;
    DWORD code = 0;
    const bool running = !::GetExitCodeProcess(process, &code) || code == STILL_ACTIVE;
    ::CloseHandle(process);
    return running;
}

// The \\?\ form is taken literally, so the path is made full first (which also folds the
// double backslash of a program in the root of a drive).
std::wstring SystemPath(std::string_view path) {
    std::wstring wide = Utf8ToWide(path);
    if (wide.empty() || wide.size() + kTemporarySuffixRoom < MAX_PATH) return wide;
    for (wchar_t& c : wide) {
        if (c == L'/') c = L'\\';
    }
    if (wide.starts_with(L"\\\\?\\")) return wide;
    DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return wide;
    std::wstring full(needed, L'\0');
    DWORD length = ::GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return wide;
    full.resize(length);
    if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

Disk& SystemDisk() {
    static PlatformDisk disk;
    return disk;
}

}  // namespace kestrune::file_store
