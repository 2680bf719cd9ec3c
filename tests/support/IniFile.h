// Reading and writing a settings file the way a user or an editor would,
// independently of the code under test.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/Utf8.h"

inline void writeTextFile(const std::string& path, const std::string& text)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return;
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
}

inline std::string readTextFile(const std::string& path)
{
    std::string text;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return text;
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        text.append(chunk, got);
    std::fclose(file);
    return text;
}

inline bool fileExists(const std::string& path)
{
    return GetFileAttributesW(toWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The stored value of a key in UTF-8, or "<missing>" when the key is not in
// the file.
inline std::string iniValue(const std::string& path, const char* section, const char* key)
{
    WCHAR text[512] = {};
    GetPrivateProfileStringW(toWide(section).c_str(), toWide(key).c_str(), L"<missing>", text,
                             ARRAYSIZE(text), toWide(path).c_str());
    return toUtf8(text);
}

// Every key of a section, as "key=value" lines in file order, in UTF-8.
inline std::string iniSection(const std::string& path, const char* section)
{
    WCHAR buffer[8192] = {};
    DWORD length = GetPrivateProfileSectionW(toWide(section).c_str(), buffer, ARRAYSIZE(buffer),
                                             toWide(path).c_str());
    std::wstring lines;
    for (DWORD i = 0; i < length; ++i)
        lines += buffer[i] == L'\0' ? L'\n' : buffer[i];
    return toUtf8(lines);
}
