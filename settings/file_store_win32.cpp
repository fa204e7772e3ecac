// The settings file operations on Windows. Paths arrive as UTF-8 and go to the wide-character
// API, so a program folder whose name lies outside the ANSI code page still works.
#include "settings/file_store_win32.hpp"

#include <windows.h>
// After windows.h:
#include <aclapi.h>
#include <winioctl.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "settings/file_store.hpp"
#include "settings/platform_disk.hpp"
#include "util/path.hpp"
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

// Room for the name of a temporary file beside the settings file (".<pid>-<n>.tmp").
constexpr std::size_t kTemporarySuffixRoom = 32;

// The one reading of a system error: kMissing where nothing stands at the path (or its drive or
// share is not there now), kNotAllowed where access is refused, kInUse where another program
// holds the file.
FileResult ResultOfError(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_NOT_READY:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
            return FileResult::kMissing;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
        case ERROR_PRIVILEGE_NOT_HELD:
            return FileResult::kNotAllowed;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE:
            return FileResult::kInUse;
        default:
            return FileResult::kFailed;
    }
}

// The target that a symbolic link or junction names, from its reparse data; empty when the
// system will not say.
std::string LinkTarget(const std::wstring& link) {
    Handle file(::CreateFileW(link.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.valid()) return {};
    std::vector<unsigned char> data(MAXIMUM_REPARSE_DATA_BUFFER_SIZE);
    DWORD got = 0;
    if (!::DeviceIoControl(file.get(), FSCTL_GET_REPARSE_POINT, nullptr, 0, data.data(),
                           static_cast<DWORD>(data.size()), &got, nullptr)) {
        return {};
    }
    // The start of the system's reparse data: its tag and length, then where the two names of
    // the target lie in the path buffer that follows (after a word of flags for a symbolic
    // link, directly for a junction).
    struct Names {
        ULONG tag;
        USHORT length;
        USHORT reserved;
        USHORT substitute_offset;
        USHORT substitute_length;
        USHORT print_offset;
        USHORT print_length;
    } names;
    if (got < sizeof names) return {};
    std::memcpy(&names, data.data(), sizeof names);
    std::size_t buffer = sizeof names;
    if (names.tag == IO_REPARSE_TAG_SYMLINK) {
        buffer += sizeof(ULONG);
    } else if (names.tag != IO_REPARSE_TAG_MOUNT_POINT) {
        return {};
    }
    const bool print = names.print_length != 0;
    const std::size_t offset = print ? names.print_offset : names.substitute_offset;
    const std::size_t length = print ? names.print_length : names.substitute_length;
    if (buffer + offset + length > got) return {};
    std::wstring target(length / sizeof(wchar_t), L'\0');
    std::memcpy(target.data(), data.data() + buffer + offset, target.size() * sizeof(wchar_t));
    return WideToUtf8(target);
}

// True when another program holds `path` in a way that forbids renaming it.
bool HeldAgainstRename(const std::wstring& path) {
    Handle file(::CreateFileW(path.c_str(), DELETE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return !file.valid() && ResultOfError(::GetLastError()) == FileResult::kInUse;
}

// Gives the new file the access list of the old one where the old one has entries of its own;
// one that only inherits from the folder is what the new file, made in the same folder, has
// already. As far as the system allows: a list that cannot be read or set leaves the new file
// with the folder's.
void CopyOwnAccessList(const std::wstring& from, const std::wstring& to) {
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoW(from.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                nullptr, &list, nullptr, &descriptor) != ERROR_SUCCESS) {
        return;
    }
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    bool own = false;
    if (list != nullptr && ::GetSecurityDescriptorControl(descriptor, &control, &revision)) {
        own = (control & SE_DACL_PROTECTED) != 0;
        for (DWORD i = 0; !own && i < list->AceCount; ++i) {
            void* entry = nullptr;
            own = ::GetAce(list, i, &entry) &&
                  (static_cast<ACE_HEADER*>(entry)->AceFlags & INHERITED_ACE) == 0;
        }
    }
    if (own) {
        const SECURITY_INFORMATION what =
            DACL_SECURITY_INFORMATION |
            ((control & SE_DACL_PROTECTED) != 0 ? PROTECTED_DACL_SECURITY_INFORMATION
                                                : UNPROTECTED_DACL_SECURITY_INFORMATION);
        ::SetNamedSecurityInfoW(const_cast<wchar_t*>(to.c_str()), SE_FILE_OBJECT, what, nullptr,
                                nullptr, list, nullptr);
    }
    ::LocalFree(descriptor);
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

// kTooLarge for a file over the limit, kInUse when another program has locked a part of it.
FileResult ReadEverything(HANDLE file, std::string& bytes) {
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file, &size) || size.QuadPart < 0) return FileResult::kFailed;
    if (static_cast<unsigned long long>(size.QuadPart) > kMaxFileSize) {
        return FileResult::kTooLarge;
    }
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        DWORD got = 0;
        if (!::ReadFile(file, bytes.data() + filled, static_cast<DWORD>(bytes.size() - filled),
                        &got, nullptr)) {
            const FileResult error = ResultOfError(::GetLastError());
            bytes.clear();
            return error == FileResult::kInUse ? FileResult::kInUse : FileResult::kFailed;
        }
        if (got == 0) break;  // the file shrank since its size was taken
        filled += got;
    }
    bytes.resize(filled);
    return FileResult::kOk;
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
        result.status = ResultOfError(::GetLastError());
        if (result.status == FileResult::kNotAllowed) {
            // A folder is refused so too.
            const DWORD attributes = ::GetFileAttributesW(wide.c_str());
            const bool file_refused = attributes != INVALID_FILE_ATTRIBUTES &&
                                      (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
            result.status = file_refused ? FileResult::kNotReadable : FileResult::kFailed;
        }
        return result;
    }
    result.status = ReadEverything(file.get(), result.bytes);
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
        if (ResultOfError(::GetLastError()) == FileResult::kMissing)
            result.kind = FileKind::kMissing;
        return result;
    }
    Handle file(::CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    // A link that cannot be followed now is never written over: its own name would be replaced.
    const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (!file.valid() && link) {
        // Its target does not exist (or its drive or share is not there now).
        if (ResultOfError(::GetLastError()) == FileResult::kMissing) {
            result.kind = FileKind::kBrokenLink;
            result.target = LinkTarget(wide);
        }
        return result;  // else kUnknown
    }
    if (file.valid()) {
        BY_HANDLE_FILE_INFORMATION info;
        if (::GetFileInformationByHandle(file.get(), &info)) {
            attributes = info.dwFileAttributes;  // the final target's, not a link's
            result.linked = info.nNumberOfLinks > 1;
            result.modified =
                (static_cast<std::int64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                info.ftLastWriteTime.dwLowDateTime;
        }
        std::string final_path = FinalPath(file.get());
        if (!final_path.empty()) {
            result.target = std::move(final_path);
        } else if (link) {
            return result;  // kUnknown: where the link ends is not known
        }
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

FileResult PlatformDisk::WriteTemporary(std::string_view target, std::string_view bytes,
                                        std::string& temporary) {
    std::wstring wide;
    HANDLE created = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && created == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = TemporaryPath(target, ::GetCurrentProcessId(), temp_counter.fetch_add(1));
        wide = SystemPath(temporary);
        if (wide.empty()) return FileResult::kFailed;
        created = ::CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
        if (created == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS) {
            return ResultOfError(::GetLastError());
        }
    }
    if (created == INVALID_HANDLE_VALUE) return FileResult::kFailed;

    Handle file(created);
    bool ok = WriteEverything(file.get(), bytes) && ::FlushFileBuffers(file.get());
    ok = file.Close() && ok;
    if (!ok) {
        ::DeleteFileW(wide.c_str());
        return FileResult::kFailed;
    }
    return FileResult::kOk;
}

// The new file takes the old one's name by a rename over it (MoveFileExW with
// MOVEFILE_REPLACE_EXISTING), which gives the name to the new file in one step: the old file
// never goes by another name, so nothing is left to recover when the system stops half way.
// What the old file had that a new file does not get by itself is given to it first: its
// hidden, system, archive and not-indexed attributes, and an access list of its own.
FileResult PlatformDisk::Replace(std::string_view temporary, std::string_view target,
                                 bool target_exists) {
    const std::wstring from = SystemPath(temporary);
    const std::wstring to = SystemPath(target);
    DWORD flags = MOVEFILE_WRITE_THROUGH;
    if (target_exists) {
        const DWORD old_attributes = ::GetFileAttributesW(to.c_str());
        if (old_attributes != INVALID_FILE_ATTRIBUTES) {
            const DWORD kept =
                old_attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
            if (kept != 0 && !::SetFileAttributesW(from.c_str(), kept)) return FileResult::kFailed;
            CopyOwnAccessList(to, from);
        }
        flags |= MOVEFILE_REPLACE_EXISTING;
    }
    if (::MoveFileExW(from.c_str(), to.c_str(), flags)) return FileResult::kOk;
    const DWORD error = ::GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) return FileResult::kAppeared;
    const FileResult refusal = ResultOfError(error);
    // A sharing violation, or the refusal Windows gives for a rename over a file that is open:
    // tell a hold on the new file from one on the old.
    if ((refusal == FileResult::kInUse || refusal == FileResult::kNotAllowed) &&
        HeldAgainstRename(from)) {
        return FileResult::kNewFileHeld;
    }
    return refusal;
}

// Other programs that hold the file with read and write sharing keep their handles: the file is
// shared for writing too.
FileResult PlatformDisk::WriteInPlace(std::string_view target, std::string_view bytes) {
    const std::wstring wide = SystemPath(target);
    Handle file(::CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return ResultOfError(::GetLastError());
    std::string old;
    switch (ReadEverything(file.get(), old)) {
        case FileResult::kOk:
            break;
        case FileResult::kInUse:
            return FileResult::kInUse;
        default:
            return FileResult::kFailed;
    }
    auto write_all = [&](std::string_view text) {
        LARGE_INTEGER start{};
        return ::SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN) &&
               WriteEverything(file.get(), text) && ::SetEndOfFile(file.get()) &&
               ::FlushFileBuffers(file.get());
    };
    if (write_all(bytes)) return FileResult::kOk;
    const DWORD error = ::GetLastError();
    write_all(old);
    // A part of the file locked by another program: nothing of it was written.
    return ResultOfError(error) == FileResult::kInUse ? FileResult::kInUse : FileResult::kFailed;
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

FileResult PlatformDisk::Remove(std::string_view temporary) {
    if (::DeleteFileW(SystemPath(temporary).c_str())) return FileResult::kOk;
    const FileResult refusal = ResultOfError(::GetLastError());
    return refusal == FileResult::kMissing ? FileResult::kOk : refusal;
}

void PlatformDisk::Pause(int milliseconds) {
    ::Sleep(static_cast<DWORD>(milliseconds));
}

std::vector<Leftover> PlatformDisk::Leftovers(std::string_view target) {
    std::vector<Leftover> found;
    const std::string_view name = SplitPath(target).name;
    // A leftover lies beside the target: its path is the target's with the name changed.
    const std::string_view beside = target.substr(0, target.size() - name.size());
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
        found.push_back({std::string(beside) + entry_name, modified});
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
    return found;
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
