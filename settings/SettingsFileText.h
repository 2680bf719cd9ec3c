// The settings file's encoding. A file the program makes is UTF-16 with a
// byte-order mark, which the profile calls (and the editors users open it
// with) keep; a narrow file in the system code page, as earlier versions made
// it, stays narrow until a write holds a character that code page lacks.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// Before a single profile write of texts (section, key and value), which
// would otherwise make a new file narrow or put "?" into a narrow one: an
// absent or empty file gets the byte-order mark; a narrow file whose code
// page cannot hold one of texts is first copied, as it is, to "<path>.bak",
// then rewritten in UTF-16 with the same text. False when that was needed
// and failed: the write must not go ahead.
bool prepareForWrite(const std::wstring& path, std::initializer_list<std::wstring_view> texts);

// Text as the whole of an absent or empty file, in UTF-16 with the mark.
// False when the file holds anything already, or cannot be written.
bool writeAsNewFile(const std::wstring& path, std::wstring_view text);

// Whether the system code page holds every character of text exactly.
bool codePageHolds(std::wstring_view text);
