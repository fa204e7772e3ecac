// The encodings a settings file may be in, told by its first bytes. The profile rules work on
// single bytes; a UTF-16 LE file is turned into UTF-8 for them and back again, so that every
// line that a write does not touch keeps its characters, and the file keeps its encoding and
// its byte order mark.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestrune::text_encoding {

enum class Encoding {
    kBytes,    // ANSI or UTF-8 (with or without its mark): the rules read the bytes as they are
    kUtf16Le,  // starts with the UTF-16 LE byte order mark FF FE
    kUtf16Be,  // starts with the UTF-16 BE byte order mark FE FF: read and written by nobody here
};

// A check of the first two bytes only: the poll calls it at every tick.
inline Encoding EncodingOf(std::string_view bytes) {
    if (bytes.size() >= 2) {
        if (bytes[0] == '\xFF' && bytes[1] == '\xFE') return Encoding::kUtf16Le;
        if (bytes[0] == '\xFE' && bytes[1] == '\xFF') return Encoding::kUtf16Be;
    }
    return Encoding::kBytes;
}

// UTF-16 LE bytes as UTF-8 (the byte order mark becomes the UTF-8 mark, which the rules skip on
// read and keep on write). Nothing when the bytes are no UTF-16: an odd count, or a surrogate
// without its pair.
std::optional<std::string> Utf16LeToUtf8(std::string_view bytes);

// UTF-8 text as UTF-16 LE bytes, the inverse of the above. Nothing when the text is no UTF-8.
std::optional<std::string> Utf8ToUtf16Le(std::string_view text);

}  // namespace kestrune::text_encoding
