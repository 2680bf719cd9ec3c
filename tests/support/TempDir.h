// A fresh folder under the temporary folder for one test, removed afterwards
// with everything in it.
#pragma once

#include <windows.h>

#include <string>

class TempDir {
public:
    TempDir()
    {
        char base[MAX_PATH] = {};
        GetTempPathA(sizeof base, base);
        static unsigned counter = 0;
        for (;;) {
            path_ = std::string(base) + "dashvane-test-" + std::to_string(GetCurrentProcessId())
                    + "-" + std::to_string(++counter);
            if (CreateDirectoryA(path_.c_str(), nullptr))
                break;
        }
    }
    ~TempDir() { removeTree(path_); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const char* name) const { return path_ + "\\" + name; }

private:
    static void removeTree(const std::string& folder)
    {
        WIN32_FIND_DATAA entry;
        HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                std::string name = entry.cFileName;
                if (name == "." || name == "..")
                    continue;
                std::string full = folder + "\\" + name;
                if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    removeTree(full);
                } else {
                    SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                    DeleteFileA(full.c_str());
                }
            } while (FindNextFileA(search, &entry));
            FindClose(search);
        }
        RemoveDirectoryA(folder.c_str());
    }

    std::string path_;
};
