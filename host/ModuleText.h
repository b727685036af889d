// Texts a module hands back, made safe to print: read up to the first zero or `most` bytes, control
// characters shown as '?', trailing blanks cut; a null pointer reads as empty.
#pragma once

#include <cstring>
#include <string>

namespace qtool {

inline std::string cleaned(const char* raw, std::size_t most = std::string::npos)
{
    if (!raw)
        return {};
    std::string s(raw, most == std::string::npos ? std::strlen(raw) : strnlen(raw, most));
    for (char& c : s)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

} // namespace qtool
