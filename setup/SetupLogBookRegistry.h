#pragma once

// The registry writes of the uninstall entry.

#include <windows.h>

#include <string>

// Writes a REG_SZ value; a value the registry refuses raises its error.
void WriteRegistryString(HKEY key, const char* name, const std::string& value);
