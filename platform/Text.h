// Comparisons of names regardless of case. Only ASCII letters fold, so a result never
// depends on the locale the program happens to run in.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zylora::platform {

char LowerAscii(char c);
std::string LowerAscii(std::string text);
bool EqualsIgnoringCase(const std::string& a, const std::string& b);
// Orders names as a file manager does: ASCII letters case-blind, runs of digits by their
// value ("img2" before "img10"). Below 0, 0 or above 0. The order of the systems without a
// comparison of their own.
int CompareNatural(const std::string& a, const std::string& b);
// Sorts by CompareNatural, names it puts together by their bytes.
void SortNatural(std::vector<std::string>& names);
// Matches a file name against a pattern with "*" (any run) and "?" (any one character).
bool MatchesWildcard(const std::string& name, const std::string& pattern);
// The bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF).
bool IsUtf8(const std::string& bytes);
bool IsAscii(const std::string& bytes);
// Latin-1 bytes (each byte the character of its number) as UTF-8, and back; nothing for a
// text with a character beyond Latin-1.
std::string Utf8FromLatin1(const std::string& bytes);
std::optional<std::string> Latin1FromUtf8(const std::string& text);
// The text as `measure` finds it fits in `width`: whole when it does, else its longest start
// of whole characters followed by an ellipsis, or the ellipsis alone.
std::string EllipsisToFit(const std::string& text, float width, const std::function<float(const std::string&)>& measure);

}  // namespace zylora::platform
