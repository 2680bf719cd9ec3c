// Reading and writing a settings file the way a user or an editor would,
// independently of the code under test.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

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
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The stored value of a key, or "<missing>" when the key is not in the file.
inline std::string iniValue(const std::string& path, const char* section, const char* key)
{
    char text[512] = {};
    GetPrivateProfileStringA(section, key, "<missing>", text, sizeof text, path.c_str());
    return text;
}

// Every key of a section, as "key=value" lines in file order.
inline std::string iniSection(const std::string& path, const char* section)
{
    char buffer[8192] = {};
    DWORD length = GetPrivateProfileSectionA(section, buffer, sizeof buffer, path.c_str());
    std::string lines;
    for (DWORD i = 0; i < length; ++i)
        lines += buffer[i] == '\0' ? '\n' : buffer[i];
    return lines;
}
