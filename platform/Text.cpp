#include "platform/Text.h"

#include <algorithm>

namespace zylora::platform {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerAscii(std::string text) {
    for (char& c : text) c = LowerAscii(c);
    return text;
}

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

int CompareNatural(const std::string& a, const std::string& b) {
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (digit(a[i]) && digit(b[j])) {
            // Runs of digits by value: without their leading zeros, the longer is larger.
            std::size_t ei = i, ej = j;
            while (ei < a.size() && digit(a[ei])) ++ei;
            while (ej < b.size() && digit(b[ej])) ++ej;
            std::size_t si = i, sj = j;
            while (si + 1 < ei && a[si] == '0') ++si;
            while (sj + 1 < ej && b[sj] == '0') ++sj;
            if (ei - si != ej - sj) return ei - si < ej - sj ? -1 : 1;
            if (const int order = a.compare(si, ei - si, b, sj, ej - sj); order != 0) return order < 0 ? -1 : 1;
            i = ei;
            j = ej;
            continue;
        }
        const auto x = static_cast<unsigned char>(LowerAscii(a[i])), y = static_cast<unsigned char>(LowerAscii(b[j]));
        if (x != y) return x < y ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

void SortNatural(std::vector<std::string>& names) {
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const int order = CompareNatural(a, b);
        return order != 0 ? order < 0 : a < b;
    });
}

bool MatchesWildcard(const std::string& name, const std::string& pattern) {
    // Greedy with one backtrack point: linear in practice, never exponential.
    std::size_t n = 0, p = 0, star = std::string::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || LowerAscii(pattern[p]) == LowerAscii(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (star != std::string::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool IsAscii(const std::string& bytes) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

bool IsUtf8(const std::string& bytes) {
    const std::size_t n = bytes.size();
    for (std::size_t i = 0; i < n;) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        unsigned min = 0, code = 0;
        if ((lead & 0xE0) == 0xC0) length = 2, min = 0x80, code = lead & 0x1F;
        else if ((lead & 0xF0) == 0xE0) length = 3, min = 0x800, code = lead & 0x0F;
        else if ((lead & 0xF8) == 0xF0) length = 4, min = 0x10000, code = lead & 0x07;
        else return false;
        if (n - i < length) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = code << 6 | (next & 0x3F);
        }
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

std::string Utf8FromLatin1(const std::string& bytes) {
    std::string text;
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            text += c;
        } else {
            text += static_cast<char>(0xC0 | (b >> 6));
            text += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return text;
}

std::optional<std::string> Latin1FromUtf8(const std::string& text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            bytes += text[i];
        } else if ((b == 0xC2 || b == 0xC3) && i + 1 < text.size()) {
            bytes += static_cast<char>(((b & 0x03) << 6) | (static_cast<unsigned char>(text[++i]) & 0x3F));
        } else {
            return std::nullopt;
        }
    }
    return bytes;
}

std::string EllipsisToFit(const std::string& text, float width, const std::function<float(const std::string&)>& measure) {
    if (measure(text) <= width) return text;
    static const std::string ellipsis = "\xE2\x80\xA6";
    // Where each character starts (a UTF-8 lead byte); the longest start that fits is
    // searched among them.
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) starts.push_back(i);
    std::size_t fits = 0, over = starts.size();  // counts of characters kept
    while (over - fits > 1) {
        const std::size_t middle = fits + (over - fits) / 2;
        if (measure(text.substr(0, starts[middle]) + ellipsis) <= width)
            fits = middle;
        else
            over = middle;
    }
    std::string kept = fits > 0 ? text.substr(0, starts[fits]) : std::string();
    // A space or a separator's dash kept before the ellipsis would read as a gap or a stray
    // mark ("name.jpg -…").
    while (!kept.empty() && (kept.back() == ' ' || kept.back() == '-')) kept.pop_back();
    return kept + ellipsis;
}

}  // namespace zylora::platform
