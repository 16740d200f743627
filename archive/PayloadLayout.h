#pragma once

// The names that tie a setup program to its payload: the resource the packer
// writes and the setup reads, the archives inside it, and the workspace
// folders they unpack into. The packer and the setup must agree on every one.

// The RCDATA resource holding the payload archive.
constexpr char kPayloadResource[] = "VIZEZURAR";
// The payload as a file in the workspace.
constexpr char kPayloadArchive[] = "Data.Zup";
constexpr char kSetupDescription[] = "Setup.ini";

// Members of the payload, each unpacked into its workspace folder.
constexpr char kGraphicsArchive[] = "gfx.x";
constexpr char kSoundsArchive[] = "snd.x";
constexpr char kAdditionalArchive[] = "Additional.x";

constexpr char kGraphicsFolder[] = "Graphics";
constexpr char kSoundsFolder[] = "Sounds";
constexpr char kAdditionalFolder[] = "Additional";
// Where the installation run keeps what it replaces until the run is over.
constexpr char kReplacedFolder[] = "Replaced";

// Below the "Additional" folder every file with this extension (any letter
// case) is unpacked as an archive into a folder named after it.
constexpr char kNestedArchiveExtension[] = ".x";

// The workspace is this prefix and a number, in the system's temporary folder.
constexpr char kWorkspacePrefix[] = "QXTemp";
