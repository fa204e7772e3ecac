// Starting with Windows: a shortcut to the program in the user's Startup folder, which Windows
// opens at every sign-in. Nothing else is changed (no registry): deleting the shortcut by hand
// undoes it. The folder as the core sees it: the shell's in the program, a fake in the tests.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrune {

// A shortcut (.lnk file) in the Startup folder, as it was read.
struct StartupShortcut {
    std::string path;  // the shortcut file
    // The program it starts, as the shortcut names it; empty when it names none.
    std::string target;
    // The file itself that `target` reaches, after symbolic links and junctions; empty when
    // there is no such file.
    std::string real_target;
};

class StartupFolder {
  public:
    virtual ~StartupFolder() = default;
    // The folder, UTF-8; empty when Windows names none for the user.
    virtual std::string Path() = 0;
    // The shortcuts in the folder, each read; none when the folder cannot be listed.
    virtual std::vector<StartupShortcut> Shortcuts() = 0;
    // Makes `path` a shortcut that starts `program` in its own folder, with its icon, in place
    // of any file of that name. False when it could not.
    virtual bool Create(const std::string& path, const std::string& program) = 0;
    // Deletes the shortcut; false when it is still there.
    virtual bool Remove(const std::string& path) = 0;
};

// The file name of the shortcut the program makes in the folder.
inline constexpr std::string_view kStartupShortcutName = "Kestrune.lnk";

// What "Start with Windows" asks and tells the user (the main window in the program).
class StartupQuestions {
  public:
    virtual ~StartupQuestions() = default;
    // A Yes/No question; true for Yes.
    virtual bool AskYesNo(std::string_view question) = 0;
    virtual void ShowMessage(std::string_view text) = 0;
};

// Whether Windows starts `program` (the real path of this copy's executable) at sign-in: a
// shortcut in the folder, of any name, starts that very file.
bool StartsWithWindows(StartupFolder& folder, std::string_view program);

// "Start with Windows" chosen. When the program starts with Windows, every shortcut in the
// folder that starts it is removed. Otherwise a shortcut named kStartupShortcutName is made;
// one of that name already there that starts another copy, or nothing, is named in a question
// first and replaced only on Yes. A shortcut that cannot be made or removed is told of.
void ToggleStartWithWindows(StartupFolder& folder, std::string_view program,
                            StartupQuestions& user);

}  // namespace kestrune
