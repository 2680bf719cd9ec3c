// The program holds every text in UTF-8 and hands it to Windows in UTF-16:
// these two are the only conversions, used where text meets a wide call.
#pragma once

#include <string>
#include <string_view>

// Invalid UTF-8 becomes U+FFFD, so a broken byte shows as such rather than
// cutting the text short.
std::wstring toWide(std::string_view text);
// A lone surrogate becomes U+FFFD.
std::string toUtf8(std::wstring_view text);
