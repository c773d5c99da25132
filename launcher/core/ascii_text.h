// Letter case as the C locale sees it: only A-Z and a-z change. The launcher compares registry
// paths, class names and option names this way, whatever the user's code page.
#pragma once

#include <string>
#include <string_view>

namespace lanvik {

inline char ToUpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
inline char ToLowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string UpperAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = ToUpperAscii(c);
    return result;
}

inline std::string LowerAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = ToLowerAscii(c);
    return result;
}

inline bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (ToUpperAscii(a[i]) != ToUpperAscii(b[i])) return false;
    return true;
}

}  // namespace lanvik
