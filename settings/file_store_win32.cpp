// The settings file operations on Windows. Paths arrive as UTF-8 and go to the wide-character
// API, so a program folder whose name lies outside the ANSI code page still works.
#include <windows.h>

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>

#include "settings/file_store.hpp"
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

}  // namespace

ReadResult ReadAll(std::string_view path) {
    ReadResult result;
    std::wstring wide = Utf8ToWide(path);
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
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 || size.QuadPart > kMaxFileSize) {
        return result;
    }
    result.bytes.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t filled = 0;
    while (filled < result.bytes.size()) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), result.bytes.data() + filled,
                        static_cast<DWORD>(result.bytes.size() - filled), &got, nullptr)) {
            result.bytes.clear();
            return result;
        }
        if (got == 0) break;  // the file shrank since its size was taken
        filled += got;
    }
    result.bytes.resize(filled);
    result.status = ReadStatus::kOk;
    return result;
}

bool ReplaceAll(std::string_view path, std::string_view bytes) {
    std::wstring target = Utf8ToWide(path);
    if (target.empty()) return false;
    // The read-only attribute is checked here because Wine running as root does not enforce it.
    DWORD old_attributes = ::GetFileAttributesW(target.c_str());
    bool exists = old_attributes != INVALID_FILE_ATTRIBUTES;
    if (!exists && ::GetLastError() != ERROR_FILE_NOT_FOUND) return false;
    if (exists && (old_attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        return false;
    }

    std::wstring temp;
    HANDLE created = INVALID_HANDLE_VALUE;
    const std::wstring pid = std::to_wstring(::GetCurrentProcessId());
    for (int attempt = 0; attempt < 100 && created == INVALID_HANDLE_VALUE; ++attempt) {
        temp = target + L"." + pid + L"-" + std::to_wstring(temp_counter.fetch_add(1)) + L".tmp";
        created = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
        if (created == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    if (created == INVALID_HANDLE_VALUE) return false;

    Handle file(created);
    bool ok = WriteEverything(file.get(), bytes) && ::FlushFileBuffers(file.get());
    ok = file.Close() && ok;
    if (ok && exists) {
        DWORD kept = old_attributes &
                     (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
        ok = ::SetFileAttributesW(temp.c_str(), kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL) != 0;
    }
    ok = ok && ::MoveFileExW(temp.c_str(), target.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok) {
        ::DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

bool MatchesOrdinaryFile(std::string_view pattern) {
    std::wstring wide = Utf8ToWide(pattern);
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

}  // namespace kestrune::file_store
