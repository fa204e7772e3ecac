#include "win32/startup_folder.hpp"

#include <windows.h>
// After <windows.h>:
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include "util/path.hpp"
#include "util/wide_text.hpp"
#include "win32/win32_platform.hpp"

namespace kestrune {
namespace {

// The identifiers, spelled out here: the import library that defines them (uuid) would bring
// every other identifier along.
constexpr KNOWNFOLDERID kStartupFolderId{
    0xb97d20bb, 0xf46a, 0x4c97, {0xba, 0x10, 0x5e, 0x36, 0x08, 0x43, 0x08, 0x54}};
constexpr CLSID kShellLinkClass{
    0x00021401, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kShellLinkInterface{
    0x000214f9, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kPersistFileInterface{
    0x0000010b, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// A shell link object and its file side, released with it.
class ShellLink {
  public:
    ShellLink() {
        if (FAILED(CoCreateInstance(kShellLinkClass, nullptr, CLSCTX_INPROC_SERVER,
                                    kShellLinkInterface, reinterpret_cast<void**>(&link_)))) {
            link_ = nullptr;
            return;
        }
        if (FAILED(
                link_->QueryInterface(kPersistFileInterface, reinterpret_cast<void**>(&file_)))) {
            file_ = nullptr;
        }
    }
    ~ShellLink() {
        if (file_) file_->Release();
        if (link_) link_->Release();
    }
    ShellLink(const ShellLink&) = delete;
    ShellLink& operator=(const ShellLink&) = delete;

    IShellLinkW* link() const { return file_ ? link_ : nullptr; }
    IPersistFile* file() const { return file_; }

  private:
    IShellLinkW* link_ = nullptr;
    IPersistFile* file_ = nullptr;
};

// The program the shortcut file names; empty when it names none or cannot be read.
std::string TargetOf(const std::wstring& shortcut) {
    ShellLink shell;
    if (!shell.link() || FAILED(shell.file()->Load(shortcut.c_str(), STGM_READ))) return {};
    wchar_t target[MAX_PATH] = {};
    // The path as stored, environment variables expanded; no search for a moved target.
    if (shell.link()->GetPath(target, MAX_PATH, nullptr, 0) != S_OK) return {};
    return WideToUtf8(target);
}

}  // namespace

std::string Win32StartupFolder::Path() {
    PWSTR folder = nullptr;
    std::string result;
    if (SUCCEEDED(SHGetKnownFolderPath(kStartupFolderId, KF_FLAG_CREATE, nullptr, &folder))) {
        result = WideToUtf8(folder);
    }
    CoTaskMemFree(folder);
    return result;
}

std::vector<StartupShortcut> Win32StartupFolder::Shortcuts() {
    std::vector<StartupShortcut> shortcuts;
    const std::wstring folder = Utf8ToWide(Path());
    if (folder.empty()) return shortcuts;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\*.lnk").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return shortcuts;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        StartupShortcut shortcut;
        shortcut.path = WideToUtf8(folder + L"\\" + found.cFileName);
        shortcut.target = TargetOf(Utf8ToWide(shortcut.path));
        if (!shortcut.target.empty()) shortcut.real_target = RealPathOf(shortcut.target);
        shortcuts.push_back(std::move(shortcut));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return shortcuts;
}

bool Win32StartupFolder::Create(const std::string& path, const std::string& program) {
    ShellLink shell;
    if (!shell.link()) return false;
    const std::wstring target = Utf8ToWide(program);
    const std::wstring folder = Utf8ToWide(FolderOfPath(program));
    return SUCCEEDED(shell.link()->SetPath(target.c_str())) &&
           SUCCEEDED(shell.link()->SetWorkingDirectory(folder.c_str())) &&
           SUCCEEDED(shell.link()->SetIconLocation(target.c_str(), 0)) &&
           SUCCEEDED(shell.file()->Save(Utf8ToWide(path).c_str(), TRUE));
}

bool Win32StartupFolder::Remove(const std::string& path) {
    const std::wstring file = Utf8ToWide(path);
    return DeleteFileW(file.c_str()) || GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES;
}

}  // namespace kestrune
