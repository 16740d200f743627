#pragma once

// Before the wizard shows: the workspace made and the payload unpacked into
// it, the setup's description read, the user's rights checked. Each raises
// ESetupError with the message that ends the setup.

#include <string>

#include "setup/SetupFile.h"

// Makes the workspace and unpacks the setup program's payload into it;
// returns the workspace, ending in a backslash. Touches no window.
std::string UnpackPayload();

TSetupSettings ReadSetupDescription(const std::string& workspace);

// Without the rights the installation would fail half-way, so the wizard ends before it begins.
void CheckAdministrator(const TSetupSettings& settings);
