#include "app/Title.h"

#include <algorithm>
#include <optional>

namespace zylora::app {

namespace {

std::string Count(int n) { return n > 0 ? std::to_string(n) : std::string(); }

std::optional<std::string> FieldValue(std::string_view name, const TitleFields& f) {
    if (name == "name") return f.name;
    if (name == "text") return f.text;
    if (name == "index") return Count(f.index);
    if (name == "count") return Count(f.count);
    if (name == "width") return Count(f.width);
    if (name == "height") return Count(f.height);
    if (name == "zoom") return f.zoom > 0 ? std::to_string(f.zoom) + "%" : std::string();
    return std::nullopt;
}

// Each "{word}" of the layout in turn: its start and the word.
template <typename Visit>
void ForEachBraced(std::string_view format, Visit visit) {
    for (std::size_t at = 0; at < format.size();) {
        const std::size_t open = format.find('{', at);
        if (open == std::string_view::npos) break;
        const std::size_t close = format.find_first_of("{}", open + 1);
        if (close == std::string_view::npos) break;
        if (format[close] == '{') {  // "{{name}": the first brace is text
            at = close;
            continue;
        }
        visit(open, format.substr(open + 1, close - open - 1));
        at = close + 1;
    }
}

}  // namespace

const std::vector<std::string>& TitleFieldNames() {
    static const std::vector<std::string> names{"name", "index", "count", "width", "height", "zoom", "text"};
    return names;
}

std::string FormatTitle(std::string_view format, const TitleFields& fields) {
    std::string out;
    std::size_t copied = 0;
    ForEachBraced(format, [&](std::size_t open, std::string_view name) {
        const std::optional<std::string> value = FieldValue(name, fields);
        if (!value) return;
        out.append(format.substr(copied, open - copied));
        out += *value;
        copied = open + name.size() + 2;
    });
    out.append(format.substr(copied));
    return out;
}

std::vector<std::string> UnknownTitleFields(std::string_view format) {
    std::vector<std::string> unknown;
    ForEachBraced(format, [&](std::size_t, std::string_view name) {
        if (!FieldValue(name, {})) unknown.emplace_back(name);
    });
    return unknown;
}

}  // namespace zylora::app
