// UTF-16 text of the Windows interfaces as the UTF-8 the program keeps (Windows files only).
#pragma once

#include <string>
#include <string_view>

namespace pelnor {

std::string utf8OfWide(std::wstring_view wide);
std::wstring wideOfUtf8(std::string_view utf8);

}  // namespace pelnor
