// Names on POSIX hosts are taken as UTF-8, as Linux desktops and editors write them.

#include <iconv.h>

#include <algorithm>

#include "tools/CodePage.h"
#include "utilities/FileSystem.h"
#include "utilities/SetupError.h"

namespace {

class TConverter {
public:
    explicit TConverter(unsigned codePage) : Handle(iconv_open(("CP" + std::to_string(codePage)).c_str(), "UTF-8"))
    {
        if (Handle == reinterpret_cast<iconv_t>(-1))
            throw ESetupError("Cannot convert to code page " + std::to_string(codePage) + ". " +
                              files::LastSystemError());
    }
    ~TConverter() { iconv_close(Handle); }
    TConverter(const TConverter&) = delete;
    TConverter& operator=(const TConverter&) = delete;

    // None at the first character without a place in the code page; one that
    // iconv could only write as something else counts as such.
    std::optional<std::string> Convert(const std::string& utf8)
    {
        std::string input = utf8;
        // A character may become a letter and a combining mark (code page 1258).
        std::string output(utf8.size() * 2, '\0');
        char* in = input.data();
        size_t inLeft = input.size();
        char* out = output.data();
        size_t outLeft = output.size();
        if (iconv(Handle, &in, &inLeft, &out, &outLeft) != 0) return std::nullopt;
        output.resize(output.size() - outLeft);
        return output;
    }

private:
    iconv_t Handle;
};

std::string Joined(const std::string& folder, const std::string& name)
{
    return !folder.empty() && folder.back() == '/' ? folder + name : folder + '/' + name;
}

}  // namespace

std::optional<std::string> TCodePage::FromUtf8(const std::string& utf8) const
{
    if (!IsUtf8(utf8)) return std::nullopt;
    return TConverter(Number).Convert(utf8);
}

std::u16string TCodePage::ToUtf16(const std::string& text) const
{
    const iconv_t handle = iconv_open("UTF-16LE", ("CP" + std::to_string(Number)).c_str());
    if (handle == reinterpret_cast<iconv_t>(-1))
        throw ESetupError("Cannot convert from code page " + std::to_string(Number) + ". " +
                          files::LastSystemError());
    // Byte by byte: every code page here has one byte a character.
    std::u16string wide;
    for (const char byte : text) {
        char in[1] = {byte}, out[4] = {};
        char* inAt = in;
        char* outAt = out;
        size_t inLeft = 1, outLeft = sizeof out;
        iconv(handle, nullptr, nullptr, nullptr, nullptr);
        if (iconv(handle, &inAt, &inLeft, &outAt, &outLeft) == 0 && outLeft == 2)
            wide += static_cast<char16_t>(static_cast<unsigned char>(out[0]) | static_cast<unsigned char>(out[1]) << 8);
        else
            wide += static_cast<char16_t>(static_cast<unsigned char>(byte));
    }
    iconv_close(handle);
    return wide;
}

std::vector<TNamedEntry> ListFolderIn(const std::string& folder, const TCodePage& codePage)
{
    std::vector<TNamedEntry> entries;
    for (const files::FolderEntry& entry : files::ListFolder(folder)) {
        const std::string source = Joined(folder, entry.Name);
        std::optional<std::string> name = codePage.FromUtf8(entry.Name);
        if (!name) throw ESetupError("Cannot write the name of " + source + " in " + codePage.Name());
        entries.push_back({std::move(*name), source, entry.IsFolder, entry.IsLink});
    }
    std::sort(entries.begin(), entries.end(),
              [](const TNamedEntry& a, const TNamedEntry& b) { return a.Name < b.Name; });
    return entries;
}
