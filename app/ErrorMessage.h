// The look of every message the program shows when something stands in its
// way: this caption and the warning icon (MB_ICONWARNING), with no owner window.
#pragma once

constexpr const wchar_t* kErrorCaption = L"dashvane - error";
