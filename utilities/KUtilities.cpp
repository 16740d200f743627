#include "utilities/KUtilities.h"

namespace {
int NameCounter = 0;
}

std::string KeyOfLine(const std::string& line)
{
    const size_t equals = line.find('=');
    return equals == std::string::npos ? std::string() : line.substr(0, equals);
}

std::string ValueOfLine(const std::string& line)
{
    const size_t equals = line.find('=');
    return equals == std::string::npos ? line : line.substr(equals + 1);
}

std::string NewComponentName()
{
    return "Vendrel" + std::to_string(++NameCounter);
}
