#pragma once

// The words of "setup.log" and the names that tie it to its uninstaller. The
// setup writes the log and an uninstaller reads it, maybe one of another
// version and years later, so both spell every word from here and the bytes
// on disk never change: "SetupLOG", "NAME=<title>", "KEY=<key name>", then
// one entry a line, each line ended by CR LF.

constexpr char kSetupLogName[] = "setup.log";

constexpr char kLogHeading[] = "SetupLOG";
constexpr char kLogNamePrefix[] = "NAME=";
constexpr char kLogKeyPrefix[] = "KEY=";
constexpr char kLogLineEnd[] = "\r\n";

// Each entry is one of these and a full path.
constexpr char kLogFilePrefix[] = "COPYFILE=";
constexpr char kLogFolderPrefix[] = "DIRECTORY=";
constexpr char kLogLinkPrefix[] = "LINK=";

// The uninstaller, installed beside the log.
constexpr char kUninstallerName[] = "Uninstall.exe";
// Below HKEY_LOCAL_MACHINE; the product's entry is the key of its KEY= name below it.
constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
