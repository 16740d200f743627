#include "folders/FolderRules.h"

#include <algorithm>
#include <cctype>

#include "utilities/WindowsPath.h"

namespace folders {

int CountBackslashes(const std::string& path)
{
    return static_cast<int>(std::count(path.begin(), path.end(), '\\'));
}

std::string PathPrefix(const std::string& path, int k)
{
    for (size_t i = 0; i < path.size(); ++i) {
        if (path[i] == '\\' && --k == 0) return path.substr(0, i + 1);
    }
    return path;
}

std::string LastComponent(const std::string& path)
{
    const std::string stripped = winpath::WithoutBackslash(path);
    const size_t slash = stripped.rfind('\\');
    return slash == std::string::npos ? stripped : stripped.substr(slash + 1);
}

std::string DriveRootOf(const std::string& path)
{
    if (path.empty()) return std::string();
    return std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])))) + ":\\";
}

bool IsBelowRecycleBin(const std::string& path)
{
    std::string lower = path;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    size_t pos = lower.find("\\recycled\\");
    if (pos == std::string::npos) pos = lower.find("\\recycler\\");
    if (pos == std::string::npos) return false;
    // Positions counted from 1; the folder itself ends exactly at the path's end.
    const size_t position = pos + 1;
    return position < path.size() - 9;
}

bool AcceptAttributes(uint32_t attributes, TDirTypes dirTypes)
{
    if (dirTypes.Has(dtAll)) return true;
    if ((attributes & kAttrHidden) && !dirTypes.Has(dtHidden)) return false;
    if ((attributes & kAttrSystem) && !dirTypes.Has(dtSystem)) return false;
    if ((attributes & kAttrArchive) && !dirTypes.Has(dtArchive)) return false;
    if (dirTypes.Has(dtNormal)) return true;
    return (attributes & (kAttrHidden | kAttrSystem | kAttrArchive)) != 0;
}

bool DriveTypeAccepted(unsigned systemType, TDriveTypes driveTypes)
{
    switch (systemType) {
    case 0: return driveTypes.Has(drtUnknown);
    case 2: return driveTypes.Has(drtRemovable);
    case 3: return driveTypes.Has(drtFixed);
    case 4: return driveTypes.Has(drtRemote);
    case 5: return driveTypes.Has(drtCDRom);
    case 6: return driveTypes.Has(drtRamDisk);
    default: return true;  // no root directory, or a type newer than the filter knows
    }
}

std::string DriveLabelText(bool volumeRead, const std::string& volumeName, char letter)
{
    const std::string drive =
        "(" + std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))) + ":)";
    return volumeRead ? volumeName + " " + drive : drive;
}

std::string TruePathName(const std::string& path, const std::function<std::string(const std::string&)>& storedName)
{
    std::string p = winpath::WithoutBackslash(path);
    const int n = CountBackslashes(p);
    if (n == 0) return p;
    std::string result = DriveRootOf(p);
    p = winpath::AddBackslash(p);
    for (int k = 2; k <= n + 1; ++k) {
        const std::string prefix = winpath::WithoutBackslash(PathPrefix(p, k));
        std::string name = storedName(prefix);
        if (name.empty()) name = LastComponent(prefix);
        result += name + "\\";
    }
    return winpath::WithoutBackslash(result);
}

std::vector<TPathLevel> PathLevels(const std::string& path)
{
    std::vector<TPathLevel> levels;
    std::string accumulated;
    std::string rest = path;
    for (size_t slash = rest.find('\\'); slash != std::string::npos; slash = rest.find('\\')) {
        accumulated += rest.substr(0, slash + 1);
        rest = rest.substr(slash + 1);
        levels.push_back({accumulated, rest.substr(0, rest.find('\\'))});
    }
    return levels;
}

std::string NewFolderName(const std::function<bool(const std::string&)>& taken)
{
    std::string name = "New Folder";
    for (int n = 2; taken(name); ++n) name = "New Folder " + std::to_string(n);
    return name;
}

TConfirmationTexts ConfirmationTexts(const std::string& language)
{
    if (language == "German") return {"Best\xE4tigung!", "Ja", "Nein"};
    return {"Confirmation!", "Yes", "No"};
}

// Names the comparison finds equal ("co-op" and "coop" in the system's word
// sort) go in byte order, so the order never depends on the listing's.
void SortByName(std::vector<TFoundFolder>& found, const TTextCompare& compare)
{
    std::sort(found.begin(), found.end(), [&compare](const TFoundFolder& left, const TFoundFolder& right) {
        const int order = compare(left.Name.c_str(), right.Name.c_str());
        return order != 0 ? order < 0 : left.Name < right.Name;
    });
}

int CompareIgnoringAsciiCase(const char* left, const char* right)
{
    for (;; ++left, ++right) {
        const int l = std::tolower(static_cast<unsigned char>(*left));
        const int r = std::tolower(static_cast<unsigned char>(*right));
        if (l != r || l == 0) return l - r;
    }
}

}  // namespace folders
