// UTF-8 and UTF-16 text on Windows: the program keeps text as UTF-8 and hands the
// wide-character API its UTF-16 form.
#pragma once

#include <string>
#include <string_view>

namespace kestrune {

// The UTF-16 form of UTF-8 text; empty when the text is empty or not valid UTF-8 (so a bad
// path names no file rather than a wrong one).
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

// Text for the screen: its UTF-16 form when it is UTF-8, else the ANSI bytes that a
// hand-edited settings file may hold, read in the system's code page.
std::wstring ScreenText(std::string_view text);

}  // namespace kestrune
