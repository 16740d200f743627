// Names on Windows are read in UTF-16, as the file system keeps them: the
// system's own code page would show a character it lacks as a look-alike or
// "?", and the packer could not tell.

#include <windows.h>

#include <algorithm>
#include <cwchar>

#include "tools/CodePage.h"
#include "utilities/FileSystem.h"
#include "utilities/Handles.h"
#include "utilities/SetupError.h"

namespace {

// None when a character has no place in the code page (no best fit either).
std::optional<std::string> FromWide(const wchar_t* text, size_t length, unsigned codePage)
{
    if (length == 0) return std::string();
    // UTF-8 takes neither the flag nor the question whether a default character was used.
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(codePage, flags, text, static_cast<int>(length), nullptr, 0, nullptr,
                                         utf8 ? nullptr : &usedDefault);
    if (size <= 0 || usedDefault) return std::nullopt;
    std::string converted(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(codePage, flags, text, static_cast<int>(length), converted.data(), size, nullptr,
                        utf8 ? nullptr : &usedDefault);
    if (usedDefault) return std::nullopt;
    return converted;
}

// The name the "A" functions open the entry by: its own, or its short name
// when the system's code page cannot hold its own.
std::optional<std::string> HostName(const WIN32_FIND_DATAW& found)
{
    if (auto name = FromWide(found.cFileName, std::wcslen(found.cFileName), CP_ACP)) return name;
    const size_t shortLength = std::wcslen(found.cAlternateFileName);
    if (shortLength == 0) return std::nullopt;
    return FromWide(found.cAlternateFileName, shortLength, CP_ACP);
}

std::string Joined(const std::string& folder, const std::string& name)
{
    return !folder.empty() && (folder.back() == '\\' || folder.back() == '/') ? folder + name : folder + '\\' + name;
}

}  // namespace

std::optional<std::string> TCodePage::FromUtf8(const std::string& utf8) const
{
    if (!IsUtf8(utf8)) return std::nullopt;
    if (utf8.empty()) return std::string();
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                                           nullptr, 0);
    if (length <= 0) return std::nullopt;
    std::vector<wchar_t> wide(static_cast<size_t>(length));
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
    return FromWide(wide.data(), wide.size(), Number);
}

std::u16string TCodePage::ToUtf16(const std::string& text) const
{
    if (text.empty()) return {};
    const int length = MultiByteToWideChar(Number, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::vector<wchar_t> wide(static_cast<size_t>(std::max(length, 0)));
    if (length > 0) MultiByteToWideChar(Number, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return std::u16string(wide.begin(), wide.end());
}

std::vector<TNamedEntry> ListFolderIn(const std::string& folder, const TCodePage& codePage)
{
    std::vector<TNamedEntry> entries;
    WIN32_FIND_DATAW found;
    const TFindHandle search(FindFirstFileW(files::WideFromAnsi(Joined(folder, "*")).data(), &found));
    if (search.Get() == INVALID_HANDLE_VALUE) {
        // A drive's root has no "." entry, so an empty one matches nothing.
        if (GetLastError() == ERROR_FILE_NOT_FOUND) return entries;
        throw ESetupError("Cannot read folder \"" + folder + "\". " + files::LastSystemError());
    }
    do {
        const size_t length = std::wcslen(found.cFileName);
        if (std::wcscmp(found.cFileName, L".") == 0 || std::wcscmp(found.cFileName, L"..") == 0) continue;
        const std::optional<std::string> name = FromWide(found.cFileName, length, codePage.Id());
        const std::optional<std::string> hostName = HostName(found);
        if (!name || !hostName) {
            const std::string shown = Joined(folder, FromWide(found.cFileName, length, CP_UTF8).value_or("?"));
            if (!name) throw ESetupError("Cannot write the name of " + shown + " in " + codePage.Name());
            throw ESetupError("Cannot read " + shown + ": Windows' own code page " + std::to_string(GetACP()) +
                              " cannot hold its name, and it has no short name");
        }
        entries.push_back({*name, Joined(folder, *hostName), (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                           (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0});
    } while (FindNextFileW(search.Get(), &found));
    if (GetLastError() != ERROR_NO_MORE_FILES)
        throw ESetupError("Cannot read folder \"" + folder + "\". " + files::LastSystemError());
    std::sort(entries.begin(), entries.end(),
              [](const TNamedEntry& a, const TNamedEntry& b) { return a.Name < b.Name; });
    return entries;
}
