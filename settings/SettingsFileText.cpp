// Keeping the settings file in an encoding that holds every name it is given.
#include "settings/SettingsFileText.h"

#include <windows.h>

#include "platform/KernelHandle.h"

namespace {

constexpr char kUtf16Mark[] = "\xFF\xFE";
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

bool startsWith(const std::string& bytes, const char* mark)
{
    return bytes.compare(0, std::char_traits<char>::length(mark), mark) == 0;
}

// Narrow text is what the profile calls take for the code page: no mark of
// UTF-16 in either byte order, nor of UTF-8.
bool isNarrow(const std::string& bytes)
{
    return !startsWith(bytes, kUtf16Mark) && !startsWith(bytes, "\xFE\xFF")
           && !startsWith(bytes, kUtf8Mark);
}

bool readAll(HANDLE file, std::string& bytes)
{
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart > (1 << 24))
        return false;
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    return bytes.empty()
           || (ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr)
               && got == bytes.size());
}

bool writeAll(HANDLE file, const std::string& bytes)
{
    LARGE_INTEGER start{};
    DWORD written = 0;
    return SetFilePointerEx(file, start, nullptr, FILE_BEGIN)
           && WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)
           && written == bytes.size() && SetEndOfFile(file);
}

std::string unicodeBytes(std::wstring_view text)
{
    std::string bytes(kUtf16Mark);
    bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    return bytes;
}

std::wstring fromCodePage(const std::string& bytes)
{
    if (bytes.empty())
        return std::wstring();
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, &wide[0], length);
    return wide;
}

KernelHandle opened(HANDLE file)
{
    return KernelHandle(file != INVALID_HANDLE_VALUE ? file : nullptr);
}

bool writeBackup(const std::wstring& path, const std::string& bytes)
{
    KernelHandle backup = opened(CreateFileW((path + L".bak").c_str(), GENERIC_WRITE, 0, nullptr,
                                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return backup != nullptr && writeAll(backup.get(), bytes);
}

// Opened for both directions and sharing everything, as the profile calls
// and the user's editor may have it open too.
KernelHandle openForRewrite(const std::wstring& path)
{
    return opened(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

bool codePageHolds(std::wstring_view text)
{
    bool ascii = true;
    for (wchar_t c : text)
        ascii = ascii && c < 0x80;
    // A UTF-8 code page holds everything, and takes neither the flag nor the
    // question.
    if (ascii || text.empty() || GetACP() == CP_UTF8)
        return true;
    BOOL inexact = FALSE;
    const int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(),
                                          static_cast<int>(text.size()), nullptr, 0, nullptr,
                                          &inexact);
    return bytes > 0 && !inexact;
}

bool prepareForWrite(const std::wstring& path, std::initializer_list<std::wstring_view> texts)
{
    bool holds = true;
    for (std::wstring_view text : texts)
        holds = holds && codePageHolds(text);
    // Nearly every write: the file exists with its encoding chosen, and any
    // encoding holds the text, so the file need not be opened here at all.
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (holds && GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)
        && (data.nFileSizeLow != 0 || data.nFileSizeHigh != 0))
        return true;
    KernelHandle file = openForRewrite(path);
    // The write itself finds out, and reports, why the file cannot be opened.
    if (file == nullptr)
        return true;
    std::string bytes;
    if (!readAll(file.get(), bytes))
        return true;
    if (bytes.empty()) {
        // Without the mark the file is made narrow, as it always was.
        writeAll(file.get(), kUtf16Mark);
        return true;
    }
    if (holds || !isNarrow(bytes))
        return true;
    if (!writeBackup(path, bytes))
        return false;
    if (writeAll(file.get(), unicodeBytes(fromCodePage(bytes))))
        return true;
    // Half a rewrite would lose more than the one change.
    writeAll(file.get(), bytes);
    return false;
}

bool writeAsNewFile(const std::wstring& path, std::wstring_view text)
{
    // Not shared: nothing may write into the file between the look at its
    // size and the write.
    KernelHandle file = opened(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    return file != nullptr && GetFileSizeEx(file.get(), &size) && size.QuadPart == 0
           && writeAll(file.get(), unicodeBytes(text));
}
