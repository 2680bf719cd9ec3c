// Reading a shortcut file back as the shell does, independently of the code
// that made it. The caller has entered COM.
#pragma once

#include <windows.h>

#include <shlobj.h>

#include <string>

// "target|arguments" of a shortcut file. The target as the shell finds it,
// through the item list: one platform keeps the plain path only in the code
// page, which cannot spell every name.
inline std::wstring readShortcut(const std::wstring& file)
{
    IShellLinkW* link = nullptr;
    IPersistFile* persist = nullptr;
    WCHAR target[MAX_PATH] = {}, arguments[1024] = {};
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
            LPITEMIDLIST items = nullptr;
            if (SUCCEEDED(persist->Load(file.c_str(), STGM_READ))
                && SUCCEEDED(link->GetIDList(&items))) {
                SHGetPathFromIDListW(items, target);
                CoTaskMemFree(items);
                link->GetArguments(arguments, ARRAYSIZE(arguments));
            }
            persist->Release();
        }
        link->Release();
    }
    return std::wstring(target) + L"|" + arguments;
}
