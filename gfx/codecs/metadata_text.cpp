#include "gfx/codecs/metadata_text.h"

#include "base/text.h"

namespace vorlin::gfx::detail {
namespace {

// The code point of the well-formed UTF-8 sequence at text[at] and its length; length 0 when the bytes
// there are no such sequence (overlong forms, surrogates and values past U+10FFFF included).
std::pair<char32_t, std::size_t> decodeUtf8(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) return {lead, 1};
    std::size_t length = 0;
    char32_t c = 0, min = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, c = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, c = lead & 0x0F, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, c = lead & 0x07, min = 0x10000;
    } else {
        return {0, 0};
    }
    if (text.size() - at < length) return {0, 0};
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return {0, 0};
        c = (c << 6) | (byte(at + i) & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return {0, 0};
    return {c, length};
}

bool isDigits(std::string_view text, std::size_t at, std::size_t count, int& value) {
    value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

} // namespace

std::optional<PhotoDate> parseExifDate(std::string_view text) {
    while (!text.empty() && text.back() == '\0') text.remove_suffix(1);
    if (text.size() != 19 || text[4] != ':' || text[7] != ':' || text[10] != ' ' || text[13] != ':' ||
        text[16] != ':')
        return std::nullopt;
    PhotoDate d;
    if (!isDigits(text, 0, 4, d.year) || !isDigits(text, 5, 2, d.month) || !isDigits(text, 8, 2, d.day) ||
        !isDigits(text, 11, 2, d.hour) || !isDigits(text, 14, 2, d.minute) ||
        !isDigits(text, 17, 2, d.second))
        return std::nullopt;
    if (d.year < 1 || d.month < 1 || d.month > 12 || d.day < 1 || d.day > daysInMonth(d.year, d.month) ||
        d.hour > 23 || d.minute > 59 || d.second > 59)
        return std::nullopt;
    return d;
}

std::string cleanTitle(std::string_view text) {
    std::string out;
    for (std::size_t at = 0; at < text.size() && out.size() <= kMaxTitleBytes;) {
        auto [c, length] = decodeUtf8(text, at);
        if (length == 0) {
            c = static_cast<unsigned char>(text[at]); // not UTF-8: the byte as Latin-1
            length = 1;
        }
        at += length;
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xFEFF) continue;
        // Leading spaces and runs of spaces from line breaks ("\r\n") are not kept.
        if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
        appendUtf8(out, c);
    }
    if (out.size() > kMaxTitleBytes) {
        std::size_t cut = kMaxTitleBytes;
        while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
        out.resize(cut);
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

std::string utf16leToUtf8(std::span<const std::uint8_t> bytes) {
    std::string out;
    const std::size_t units = bytes.size() / 2;
    const auto unit = [&](std::size_t i) { return char32_t(bytes[2 * i] | (bytes[2 * i + 1] << 8)); };
    for (std::size_t i = 0; i < units; ++i) {
        char32_t c = unit(i);
        if (c == 0) break;
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        appendUtf8(out, c);
    }
    return out;
}

} // namespace vorlin::gfx::detail
