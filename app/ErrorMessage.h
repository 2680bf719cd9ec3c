// The look of every message the program shows when something stands in its
// way: this caption and the warning icon (MB_ICONWARNING), with no owner window.
#pragma once

constexpr const char* kErrorCaption = "dashvane - error";
// For messages that name a path, which may hold characters the code page lacks.
constexpr const wchar_t* kErrorCaptionW = L"dashvane - error";
