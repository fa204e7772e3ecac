// The Windows file store's path rule, for the Windows-side tests.
#pragma once

#include <string>
#include <string_view>

namespace kestrune::file_store {

// The wide form of a UTF-8 path for the file API. A path that reaches MAX_PATH (with room for
// the name of a temporary file beside it) takes the full \\?\ form, which lifts the limit
// without any setting of the system; shorter paths stay as they are.
std::wstring SystemPath(std::string_view path);

}  // namespace kestrune::file_store
