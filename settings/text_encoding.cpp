#include "settings/text_encoding.hpp"

#include <cstddef>
#include <cstdint>

namespace kestrune::text_encoding {
namespace {

void AppendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

void AppendUtf16Le(std::string& out, std::uint32_t unit) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
}

bool IsHighSurrogate(std::uint32_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLowSurrogate(std::uint32_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

}  // namespace

std::optional<std::string> Utf16LeToUtf8(std::string_view bytes) {
    if (bytes.size() % 2 != 0) return std::nullopt;
    std::string out;
    out.reserve(bytes.size());
    const auto unit = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
    };
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        std::uint32_t c = unit(i);
        if (IsLowSurrogate(c)) return std::nullopt;
        if (IsHighSurrogate(c)) {
            if (i + 4 > bytes.size() || !IsLowSurrogate(unit(i + 2))) return std::nullopt;
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::optional<std::string> Utf8ToUtf16Le(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
        const std::uint32_t lead = byte(i);
        std::size_t length = 0;
        std::uint32_t c = 0;
        std::uint32_t least = 0;  // the smallest character that needs this many bytes
        if (lead < 0x80) {
            length = 1;
            c = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            c = lead & 0x1F;
            least = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            c = lead & 0x0F;
            least = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            c = lead & 0x07;
            least = 0x10000;
        } else {
            return std::nullopt;
        }
        if (i + length > text.size()) return std::nullopt;
        for (std::size_t k = 1; k < length; ++k) {
            if ((byte(i + k) & 0xC0) != 0x80) return std::nullopt;
            c = (c << 6) | (byte(i + k) & 0x3F);
        }
        if (c < least || c > 0x10FFFF || IsHighSurrogate(c) || IsLowSurrogate(c)) {
            return std::nullopt;
        }
        if (c >= 0x10000) {
            AppendUtf16Le(out, 0xD800 + ((c - 0x10000) >> 10));
            AppendUtf16Le(out, 0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            AppendUtf16Le(out, c);
        }
        i += length;
    }
    return out;
}

}  // namespace kestrune::text_encoding
