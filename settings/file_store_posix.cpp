// The settings file operations on POSIX systems (the native tests and benchmarks run here).
// '\' in a path is read as '/', so Windows-style paths such as "folder\settings.ini" work.
//
// ReadAll runs on every hotkey poll, so it costs what a bare read costs: open, one
// read, close. Something other than a regular file reads as whatever read() gives it (a FIFO
// without a writer reads as empty); a save refuses to replace it.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "settings/file_store.hpp"
#include "settings/platform_disk.hpp"
#include "util/path.hpp"

namespace kestrune::file_store {
namespace {

std::string NativePath(std::string_view path) {
    std::string native(path);
    for (char& c : native) {
        if (c == '\\') c = '/';
    }
    return native;
}

// The folder that holds `path`, as a path that can be opened.
std::string FolderOf(std::string_view path) {
    const std::string_view folder = SplitPath(path).folder;
    return folder.empty() ? std::string(".") : std::string(folder);
}

// Closes the descriptor when it goes out of scope.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes now and reports whether the close succeeded (it may report a late write error).
    bool Close() {
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

  private:
    int fd_;
};

bool WriteEverything(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// '*' matches any run of characters, '?' any one character; everything else matches itself.
// Names match with case, as the file system itself compares them.
bool WildcardMatch(std::string_view pattern, std::string_view name) {
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t star = std::string_view::npos;
    std::size_t star_name = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            star_name = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++star_name;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool IsRegularFile(int folder_fd, const char* name) {
    struct stat info;
    return ::fstatat(folder_fd, name, &info, 0) == 0 && S_ISREG(info.st_mode);
}

std::atomic<unsigned> temp_counter{0};

// A settings file fits in one read of this size. A larger buffer makes every read slower, even
// of a small file (measured: 16 KiB costs a poll's read about 0.1 microseconds more than 4 KiB).
constexpr std::size_t kReadChunk = 4 * 1024;

// The one reading of `errno`: kMissing where nothing stands at the path, kNotAllowed where the
// system refuses for lack of permission, kFailed for anything else.
FileResult ResultOfError(int error) {
    if (error == ENOENT || error == ENOTDIR) return FileResult::kMissing;
    if (error == EACCES || error == EPERM || error == EROFS) return FileResult::kNotAllowed;
    return FileResult::kFailed;
}

FileResult Refusal() {
    return ResultOfError(errno);
}

// When the file was last written, in nanoseconds.
std::int64_t ModifiedTime(const struct stat& info) {
    return static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

}  // namespace

ReadResult PlatformDisk::ReadAll(std::string_view path) {
    ReadResult result;
    // The poll reads at every tick: a path that fits is put into its native form on the stack.
    char stack_path[PATH_MAX];
    std::string long_path;
    const char* native = stack_path;
    if (path.size() < sizeof stack_path) {
        std::replace_copy(path.begin(), path.end(), stack_path, '\\', '/');
        stack_path[path.size()] = '\0';
    } else {
        long_path = NativePath(path);
        native = long_path.c_str();
    }
    // O_NONBLOCK: a FIFO at the path must not hang the poll waiting for a writer. Regular files
    // ignore the flag.
    Descriptor file(::open(native, O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.valid()) {
        result.status = Refusal();
        if (result.status == FileResult::kNotAllowed) result.status = FileResult::kNotReadable;
        return result;
    }
    // No fstat: on a regular file a read that returns less than it was asked for has reached
    // the end, so a settings file costs a single read. A folder fails that read (EISDIR).
    char buffer[kReadChunk];
    bool at_end = false;
    while (!at_end) {
        ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            result.bytes.clear();
            return result;
        }
        result.bytes.append(buffer, static_cast<std::size_t>(got));
        at_end = static_cast<std::size_t>(got) < sizeof buffer;
        // Larger than one read: a file over the limit is not read on (a device is not either).
        struct stat info;
        if (!at_end && result.bytes.size() == sizeof buffer && ::fstat(file.get(), &info) == 0 &&
            S_ISREG(info.st_mode) && static_cast<std::uint64_t>(info.st_size) > kMaxFileSize) {
            result.bytes.clear();
            result.status = FileResult::kTooLarge;
            return result;
        }
        if (result.bytes.size() > kMaxFileSize) {
            result.bytes.clear();
            result.status = FileResult::kTooLarge;
            return result;
        }
    }
    result.status = FileResult::kOk;
    return result;
}

// A symbolic link is written through: the file it points to is saved, the link stays.
// Root ignores permission bits, so a file without its owner's write bit counts as read-only
// here, for every user alike.
Inspection PlatformDisk::Inspect(std::string_view path) {
    Inspection result;
    result.target = NativePath(path);
    struct stat info;
    if (::lstat(result.target.c_str(), &info) != 0) {
        result.kind = errno == ENOENT ? FileKind::kMissing : FileKind::kUnknown;
        return result;
    }
    if (S_ISLNK(info.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(result.target.c_str(), resolved) == nullptr) {
            if (errno == ENOENT) {
                // The link (or one further on) names a file that does not exist.
                char named[PATH_MAX];
                const ssize_t length = ::readlink(result.target.c_str(), named, sizeof named);
                result.target.assign(named, length > 0 ? static_cast<std::size_t>(length) : 0);
                result.kind = FileKind::kBrokenLink;
            }
            return result;
        }
        result.target = resolved;
        if (::stat(result.target.c_str(), &info) != 0) return result;
    }
    if (!S_ISREG(info.st_mode)) {
        result.kind = FileKind::kNotAFile;
        return result;
    }
    result.kind = (info.st_mode & S_IWUSR) == 0 ? FileKind::kReadOnly : FileKind::kWritable;
    result.linked = info.st_nlink > 1;
    result.modified = ModifiedTime(info);
    return result;
}

// The new file gets the old file's permission bits and, where allowed, its owner and group; a
// file that did not exist gets 0666 less the umask, as any newly created file would.
FileResult PlatformDisk::WriteTemporary(std::string_view target_path, std::string_view bytes,
                                        std::string& temporary) {
    const std::string target(target_path);
    struct stat old_info;
    const bool exists = ::stat(target.c_str(), &old_info) == 0;
    mode_t create_mode = exists ? (old_info.st_mode & 07777) : 0666;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = TemporaryPath(target, static_cast<std::uint32_t>(::getpid()),
                                  temp_counter.fetch_add(1));
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, create_mode);
        if (fd < 0 && errno != EEXIST) return Refusal();
    }
    if (fd < 0) return FileResult::kFailed;

    Descriptor file(fd);
    bool ok = WriteEverything(file.get(), bytes);
    if (ok && exists) {
        // The umask may have cleared bits of the old mode at creation.
        ok = ::fchmod(file.get(), old_info.st_mode & 07777) == 0;
        bool other_owner = old_info.st_uid != ::geteuid() || old_info.st_gid != ::getegid();
        if (ok && other_owner && ::fchown(file.get(), old_info.st_uid, old_info.st_gid) != 0) {
            // Giving the file back to its owner needs privileges; without them the file
            // belongs to the writer, which is no reason to fail.
        }
    }
    ok = ok && ::fsync(file.get()) == 0;
    ok = file.Close() && ok;
    if (!ok) {
        ::unlink(temporary.c_str());
        return FileResult::kFailed;
    }
    return FileResult::kOk;
}

namespace {

// Renames `from` to `to` and makes the rename itself durable. The new content is already in
// place, so a folder that cannot be synced does not make the step fail.
FileResult Rename(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) return Refusal();
    Descriptor folder(::open(FolderOf(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.valid()) ::fsync(folder.get());
    return FileResult::kOk;
}

}  // namespace

// Where nothing is to be replaced, the new file is given the target's name as a second name
// and then loses its own: link() never goes over an existing file, as rename() would.
FileResult PlatformDisk::Replace(std::string_view temporary, std::string_view target,
                                 bool target_exists) {
    const std::string from(temporary);
    const std::string to(target);
    if (target_exists) return Rename(from, to);
    if (::link(from.c_str(), to.c_str()) != 0) {
        return errno == EEXIST ? FileResult::kAppeared : Refusal();
    }
    ::unlink(from.c_str());
    Descriptor folder(::open(FolderOf(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.valid()) ::fsync(folder.get());
    return FileResult::kOk;
}

FileResult PlatformDisk::WriteInPlace(std::string_view target, std::string_view bytes) {
    Descriptor file(::open(std::string(target).c_str(), O_RDWR | O_CLOEXEC));
    if (!file.valid()) return Refusal();
    std::string old;
    char buffer[kReadChunk];
    for (;;) {
        ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return FileResult::kFailed;
        if (got == 0) break;
        old.append(buffer, static_cast<std::size_t>(got));
    }
    auto write_all = [&](std::string_view text) {
        return ::lseek(file.get(), 0, SEEK_SET) == 0 && WriteEverything(file.get(), text) &&
               ::ftruncate(file.get(), static_cast<off_t>(text.size())) == 0 &&
               ::fsync(file.get()) == 0;
    };
    if (write_all(bytes)) return FileResult::kOk;
    write_all(old);
    return FileResult::kFailed;
}

// Hidden files are those whose names start with '.'; POSIX has no system files.
bool PlatformDisk::MatchesOrdinaryFile(std::string_view pattern) {
    const std::string native = NativePath(pattern);
    const std::string folder = FolderOf(native);
    const std::string_view name = SplitPath(native).name;
    if (name.empty() || name.front() == '.') return false;

    if (name.find_first_of("*?") == std::string::npos) {
        struct stat info;
        return ::stat(native.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    }

    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return false;
    bool found = false;
    while (!found) {
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr) break;
        if (entry->d_name[0] == '.' || !WildcardMatch(name, entry->d_name)) continue;
        if (entry->d_type == DT_REG) {
            found = true;
        } else if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            found = IsRegularFile(::dirfd(dir), entry->d_name);
        }
    }
    ::closedir(dir);
    return found;
}

FileResult PlatformDisk::Remove(std::string_view temporary) {
    if (::unlink(std::string(temporary).c_str()) == 0) return FileResult::kOk;
    const FileResult refusal = Refusal();
    return refusal == FileResult::kMissing ? FileResult::kOk : refusal;
}

void PlatformDisk::Pause(int milliseconds) {
    timespec wait{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
    while (::nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

std::vector<Leftover> PlatformDisk::Leftovers(std::string_view target_path) {
    std::vector<Leftover> found;
    const std::string target = NativePath(target_path);
    const std::string_view name = SplitPath(target).name;
    const std::string folder = FolderOf(target);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return found;
    while (const dirent* entry = ::readdir(dir)) {
        LeftoverName parsed;
        if (!ParseLeftoverName(entry->d_name, name, parsed)) continue;
        struct stat info;
        if (::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(info.st_mode)) {
            continue;
        }
        found.push_back({folder + "/" + entry->d_name, ModifiedTime(info)});
    }
    ::closedir(dir);
    return found;
}

Disk& SystemDisk() {
    static PlatformDisk disk;
    return disk;
}

}  // namespace kestrune::file_store
