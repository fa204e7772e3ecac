// The settings file operations on Windows. Paths arrive as UTF-8 and go to the wide-character
// API, so a program folder whose name lies outside the ANSI code page still works.
#include "settings/file_store_win32.hpp"

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>

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

// Room for the name of a temporary file beside the settings file (".<pid>-<n>.tmp").
constexpr std::size_t kTemporarySuffixRoom = 32;

// The last error as the step it ended.
StepStatus Refusal() {
    switch (::GetLastError()) {
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
        case ERROR_PRIVILEGE_NOT_HELD:
            return StepStatus::kDenied;
        default:
            return StepStatus::kFailed;
    }
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
FileKind PlatformDisk::Inspect(std::string_view path, std::string& target) {
    target = std::string(path);
    std::wstring wide = SystemPath(path);
    if (wide.empty()) return FileKind::kUnknown;
    DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return ::GetLastError() == ERROR_FILE_NOT_FOUND ? FileKind::kMissing : FileKind::kUnknown;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return FileKind::kNotAFile;
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return FileKind::kReadOnly;
    return FileKind::kWritable;
}

StepStatus PlatformDisk::WriteTemporary(std::string_view target, std::string_view bytes,
                                        std::string& temporary) {
    const std::string pid = std::to_string(::GetCurrentProcessId());
    std::wstring wide;
    HANDLE created = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && created == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = std::string(target) + "." + pid + "-" +
                    std::to_string(temp_counter.fetch_add(1)) + ".tmp";
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
// Where ReplaceFileW cannot be used, a rename takes its place.
StepStatus PlatformDisk::Replace(std::string_view temporary, std::string_view target,
                                 bool target_exists) {
    const std::wstring from = SystemPath(temporary);
    const std::wstring to = SystemPath(target);
    if (target_exists) {
        DWORD old_attributes = ::GetFileAttributesW(to.c_str());
        if (old_attributes == INVALID_FILE_ATTRIBUTES) return StepStatus::kFailed;
        DWORD kept = old_attributes &
                     (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
        if (kept != 0 && !::SetFileAttributesW(from.c_str(), kept)) return StepStatus::kFailed;
        if (::ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                           nullptr, nullptr)) {
            return StepStatus::kDone;
        }
        if (::GetLastError() == ERROR_ACCESS_DENIED) return StepStatus::kDenied;
    }
    if (!::MoveFileExW(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return Refusal();
    }
    return StepStatus::kDone;
}

StepStatus PlatformDisk::WriteInPlace(std::string_view target, std::string_view bytes) {
    const std::wstring wide = SystemPath(target);
    Handle file(::CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return Refusal();
    std::string old;
    if (!ReadEverything(file.get(), old)) return StepStatus::kFailed;
    auto write_all = [&](std::string_view text) {
        LARGE_INTEGER start{};
        return ::SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN) &&
               WriteEverything(file.get(), text) && ::SetEndOfFile(file.get()) &&
               ::FlushFileBuffers(file.get());
    };
    if (write_all(bytes)) return StepStatus::kDone;
    write_all(old);
    return StepStatus::kFailed;
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
