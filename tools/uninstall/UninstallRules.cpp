#include "tools/uninstall/UninstallRules.h"

#include <cstdlib>

#include "utilities/WindowsPath.h"

namespace {

constexpr char kRemoveOriginalSwitch[] = "/REMOVE-ORIGINAL";

// What follows the program name, quoted or not.
std::string ArgumentsOf(const std::string& commandLine)
{
    const bool quoted = !commandLine.empty() && commandLine[0] == '"';
    const size_t end = quoted ? commandLine.find('"', 1) : commandLine.find_first_of(" \t");
    return end == std::string::npos ? std::string() : commandLine.substr(end + 1);
}

std::string NextWord(const std::string& text, size_t& at)
{
    const size_t start = text.find_first_not_of(" \t", at);
    if (start == std::string::npos) {
        at = text.size();
        return {};
    }
    size_t end = text.find_first_of(" \t", start);
    if (end == std::string::npos) end = text.size();
    at = end;
    return text.substr(start, end - start);
}

}  // namespace

TUninstallCommand ParseUninstallCommand(const std::string& commandLine)
{
    TUninstallCommand command;
    const std::string arguments = ArgumentsOf(commandLine);
    size_t at = 0;
    for (std::string word = NextWord(arguments, at); !word.empty(); word = NextWord(arguments, at)) {
        // Windows programs take their switches in any letter case.
        if (winpath::SameIgnoringCase(word, "/S")) command.Silent = true;
        if (!winpath::SameIgnoringCase(word, kRemoveOriginalSwitch)) continue;
        // The handle's number, then the path, which may hold blanks, up to the line's end.
        const std::string number = NextWord(arguments, at);
        const size_t path = arguments.find_first_not_of(" \t", at);
        char* end = nullptr;
        const unsigned long long handle = std::strtoull(number.c_str(), &end, 10);
        if (number.empty() || *end != '\0' || path == std::string::npos) break;
        command.RemoveOriginal = true;
        command.OriginalProcess = static_cast<std::uintptr_t>(handle);
        command.OriginalFile = arguments.substr(path);
        break;
    }
    return command;
}

std::string RemoveOriginalCommand(const std::string& copy, std::uintptr_t process, const std::string& original)
{
    return "\"" + copy + "\" " + kRemoveOriginalSwitch + " " + std::to_string(process) + " " + original;
}

TUninstallTexts UninstallTexts(bool german, const std::string& name)
{
    if (german)
        return {"Deinstallation", "M\xF6" "chten Sie " + name + " und alle zugeh\xF6rigen Komponenten entfernen?",
                name + " wurde vollst\xE4ndig entfernt.",
                name + " wurde entfernt. Diese Eintr\xE4ge konnten nicht entfernt werden:",
                "Schlie\xDF" "en Sie die Programme, die sie verwenden, und starten Sie die Deinstallation erneut.",
                "Das Installationsprotokoll fehlt oder ist besch\xE4" "digt; es wurde nichts entfernt:"};
    return {"Uninstall", "Do you want to remove " + name + " and all of its components?",
            name + " was removed completely.", name + " was removed. These items could not be removed:",
            "Close the programs that use them and start the uninstaller again.",
            "The installation log is missing or damaged; nothing was removed:"};
}

bool NamesUninstaller(const std::string& uninstallString, const std::string& uninstaller)
{
    std::string path = uninstallString;
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"') path = path.substr(1, path.size() - 2);
    return winpath::IsSamePath(path, uninstaller);
}

std::string LeftMessage(const TUninstallTexts& texts, const std::vector<std::string>& left, bool repeatable)
{
    std::string message = texts.Left;
    for (const std::string& item : left) message += "\r\n" + item;
    if (repeatable) message += "\r\n\r\n" + texts.Repeat;
    return message;
}
