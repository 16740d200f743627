#include "utilities/WindowsPath.h"

namespace winpath {

namespace {

using namespace std::string_view_literals;

bool HasColonOrNul(std::string_view text)
{
    for (char c : text)
        if (c == ':' || c == '\0') return true;
    return false;
}

bool LeavesOrSwallows(std::string_view name)
{
    return IsDotsAndSpaces(name) || IsDeviceName(name);
}

}  // namespace

bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
    return true;
}

bool IsDotsAndSpaces(std::string_view name)
{
    for (char c : name)
        if (c != '.' && c != ' ') return false;
    return true;
}

bool IsDeviceName(std::string_view name)
{
    size_t length = 0;
    while (length < name.size() && name[length] != '.') ++length;
    while (length > 0 && name[length - 1] == ' ') --length;
    const bool numbered = length == 4 && name[3] >= '1' && name[3] <= '9';
    if (length != 3 && !numbered) return false;
    const std::string_view stem(name.data(), 3);
    if (numbered) return SameIgnoringCase(stem, "COM"sv) || SameIgnoringCase(stem, "LPT"sv);
    static constexpr std::string_view kDevices[] = {"CON", "PRN", "AUX", "NUL"};
    for (const std::string_view device : kDevices)
        if (SameIgnoringCase(stem, device)) return true;
    return false;
}

bool NamesStayInside(std::string_view path)
{
    return !HasColonOrNul(path) &&
           EveryName(path, [](std::string_view name) { return name.empty() || !LeavesOrSwallows(name); });
}

std::string FolderOf(const std::string& path)
{
    const size_t cut = path.find_last_of("\\/");
    return std::string(path.begin(), path.begin() + (cut == std::string::npos ? 0 : cut));
}

std::string ComparablePath(const std::string& path)
{
    // Written over a copy of the path, which it never outgrows.
    std::string comparable = path;
    size_t length = 0, i = 0;
    for (; i < path.size() && i < 2 && IsSeparator(path[i]); ++i) comparable[length++] = '\\';
    const size_t root = length;
    for (size_t name = length; i <= path.size(); ++i) {
        if (i < path.size() && !IsSeparator(path[i])) {
            comparable[length++] = UpperAscii(path[i]);
            continue;
        }
        size_t kept = length;
        while (kept > name && (comparable[kept - 1] == '.' || comparable[kept - 1] == ' ')) --kept;
        // A name of dots and spaces alone stays as written.
        if (kept > name) length = kept;
        // An empty name is a doubled separator and leaves nothing.
        if (length > name && i < path.size()) comparable[length++] = '\\';
        name = length;
    }
    if (length > root && comparable[length - 1] == '\\') --length;
    comparable.erase(comparable.begin() + length, comparable.end());
    return comparable;
}

bool ComparableInside(const std::string& inner, const std::string& outer)
{
    const size_t size = outer.size();
    return inner.size() >= size && std::char_traits<char>::compare(inner.data(), outer.data(), size) == 0 &&
           (inner.size() == size || inner[size] == '\\');
}

bool IsSamePath(const std::string& a, const std::string& b)
{
    return ComparablePath(a) == ComparablePath(b);
}

}  // namespace winpath
