#pragma once

// Small portable helpers of the setup program: the key=value split of setup
// description lines and unique component names.

#include <string>

// The text before the first "=" (empty when there is none); nothing trimmed.
std::string KeyOfLine(const std::string& line);
// The text after the first "=" (the whole line when there is none); nothing trimmed.
std::string ValueOfLine(const std::string& line);
// "Vendrel1", "Vendrel2", ...: a new name on every call.
std::string NewComponentName();
