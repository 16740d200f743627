#include "archive/ZLIBArchive.h"

#include <zlib.h>

#include <algorithm>
#include <optional>

#include "archive/InflateReader.h"
#include "archive/MemberPaths.h"
#include "utilities/SetupError.h"
#include "utilities/WindowsPath.h"

namespace {

ESetupError MemberCorrupt(int index)
{
    return ESetupError("File (" + std::to_string(index) + ") is corrupt");
}

bool HasSafeRecord(const TZLBFileEntry& entry, const std::string& destFolder, bool withPath)
{
    return entry.UncompressedSize() >= 0 && entry.DataOffset() >= 0 &&
           winpath::IsSafeFileName(entry.FileName()) &&
           (!withPath || IsSafeFilePath(entry.FilePath(), destFolder));
}

}  // namespace

int RoundedPercentage(int64_t done, int64_t total)
{
    if (total <= 0) return 0;
    const int64_t scaled = done * 100;
    int64_t quotient = scaled / total;
    const int64_t twiceRest = 2 * (scaled % total);
    if (twiceRest > total || (twiceRest == total && quotient % 2 != 0)) ++quotient;
    return static_cast<int>(quotient);
}

TZLBArchive::~TZLBArchive()
{
    Destroying = true;
    if (!ArchiveFile.empty()) CloseArchive();
}

void TZLBArchive::ForgetArchive()
{
    FileList.clear();
    Trailer = TZLBTrailer{};
    ArchiveFile.clear();
}

void TZLBArchive::CloseArchive()
{
    ForgetArchive();
    ProgressMode = TProgressMode::Idle;
    DoProgress();
}

bool TZLBArchive::OpenArchive(const std::string& fileName)
{
    CloseArchive();
    ArchiveFile = fileName;
    if (ArchiveFile.empty()) return false;
    if (!files::FileExists(fileName)) throw ESetupError("Archive file not found");

    files::TFile archive;
    if (!archive.OpenForReading(fileName)) throw ESetupError("Unable to open file (" + fileName + ")");
    const int64_t size = archive.Size();
    bool intact = false;
    if (size >= kTrailerSize) {
        const uint32_t crc = StreamCRC32(archive, kTrailerSize);
        archive.Seek(size - kTrailerSize);
        archive.ReadExactly(Trailer.Bytes.data(), kTrailerSize);
        intact = crc == Trailer.Crc32();
    }
    if (!intact) {
        ForgetArchive();
        throw ESetupError("The archive file appears to be corrupted");
    }

    try {
        LoadFileList(archive, size);
        if (OnArchiveOpened) OnArchiveOpened(*this);
    } catch (...) {
        archive.Close();
        CloseArchive();
        throw ESetupError("Unable to read archive file list");
    }
    archive.Close();
    ProgressMode = TProgressMode::Idle;
    DoProgress();
    return true;
}

void TZLBArchive::LoadFileList(files::TFile& archive, int64_t archiveSize)
{
    const int32_t count = Trailer.EntryCount();
    if (count < 0 && Trailer.ListCompressed()) throw ESetupError("Negative record count");
    // An empty list is never read, so its offset may point anywhere.
    if (count <= 0) return;
    // The trailer's count sizes the list buffer: a damaged one could ask for a
    // gigabyte. Lists that cannot fit in the bytes from the offset to the end
    // are refused before anything is allocated.
    const int64_t offset = Trailer.ListOffset();
    if (offset < 0 || offset > archiveSize) throw ESetupError("List offset outside the file");
    const int64_t available = archiveSize - offset;
    const int64_t listBytes = int64_t{count} * kFileEntrySize;
    const int64_t mostBytes = Trailer.ListCompressed() ? available * kMaxInflateRatio : available;
    if (listBytes > mostBytes) throw ESetupError("File list larger than the file");
    archive.Seek(offset);
    if (Trailer.ListCompressed()) ReadCompressedList(archive, listBytes);
    else ReadPlainList(archive, listBytes);
}

void TZLBArchive::ReadCompressedList(files::TFile& archive, int64_t listBytes)
{
    // The list grows with what really inflates, never with what the trailer claims.
    std::vector<uint8_t> list;
    TInflateReader reader(archive);
    BeginTask(TProgressMode::ReadingList, listBytes, "Extracting archive registry");
    for (int64_t remaining = listBytes; remaining > 0; remaining -= kChunkSize) {
        const size_t wanted = static_cast<size_t>(std::min<int64_t>(remaining, kChunkSize));
        const size_t before = list.size();
        list.resize(before + wanted);
        const size_t got = reader.Read(list.data() + before, wanted);
        if (reader.Broken()) throw ESetupError("File list does not inflate");
        list.resize(before + got);
        ProgressDone += static_cast<int64_t>(got);
        DoProgress();
    }
    if (static_cast<int64_t>(list.size()) != listBytes) throw ESetupError("File list ends early");
    AppendRecords(list);
}

void TZLBArchive::ReadPlainList(files::TFile& archive, int64_t listBytes)
{
    std::vector<uint8_t> list(static_cast<size_t>(listBytes));
    archive.ReadExactly(list.data(), list.size());
    AppendRecords(list);
}

void TZLBArchive::AppendRecords(const std::vector<uint8_t>& list)
{
    FileList.resize(list.size() / kFileEntrySize);
    for (size_t i = 0; i < FileList.size(); ++i)
        std::copy_n(&list[i * kFileEntrySize], kFileEntrySize, FileList[i].Bytes.begin());
}

int TZLBArchive::FileCount() const
{
    if (ArchiveFile.empty()) throw ESetupError("No archive is currently open");
    return static_cast<int>(FileList.size());
}

void TZLBArchive::GetFileEntry(int index, TZLBFileEntry& entry) const
{
    if (index < 0 || static_cast<size_t>(index) >= FileList.size()) throw ESetupError("Index out of bounds");
    entry = FileList[static_cast<size_t>(index)];
}

void TZLBArchive::ExtractAll(const std::string& DestFolder)
{
    if (ArchiveFile.empty()) throw ESetupError("No archive is currently open");
    files::TFile archive;
    if (!archive.OpenForReading(ArchiveFile)) throw ESetupError("Unable to open file (" + ArchiveFile + ")");
    try {
        for (int i = 0; i < FileCount(); ++i) ExtractMember(archive, i, DestFolder);
    } catch (...) {
        archive.Close();
        ProgressMode = TProgressMode::Idle;
        DoProgress();
        throw;
    }
    archive.Close();
    ProgressMode = TProgressMode::Idle;
    DoProgress();
}

void TZLBArchive::ExtractMember(files::TFile& archive, int index, const std::string& DestFolder)
{
    TZLBFileEntry entry;
    GetFileEntry(index, entry);
    if (!HasSafeRecord(entry, DestFolder, ExtractWithPath)) throw MemberCorrupt(index);

    const std::string folder = MemberFolder(DestFolder, entry.FilePath(), ExtractWithPath);
    files::ForceDirectories(folder);
    if (folder.empty() || !files::DirectoryExists(folder)) throw ESetupError("Unable to create destination path");

    const std::string target = folder + files::kPathDelim + entry.FileName();
    bool replace = true;
    if (files::FileExists(target) && OnReplaceFile) {
        replace = false;
        OnReplaceFile(target, replace);
    }
    if (!replace) return;

    files::TFile output;
    output.CreateForWriting(target);
    const uint32_t crc = CopyMemberData(archive, index, entry, output);
    if (CheckCRC && crc != entry.Crc32()) throw MemberCorrupt(index);
    output.Close();
    if (OnFileExtracted) OnFileExtracted(DestFolder + entry.FileName());
}

// Copies one member into target and returns the CRC-32 of what was written
// (with CheckCRC; otherwise 0).
// Data moves in blocks of kInflateBlockSize, progress is reported for every
// kChunkSize piece of a block. Any failure on the way is the member's corruption.
//
// A compressed member fails at the first piece that does not come out whole,
// whether its data does not inflate or its stream or the archive file ends
// too early: the whole pieces before it are written and reported, that piece
// is neither. Both kinds of damage thus leave the same partial file and the
// same progress, and the partial file never ends in a piece half decoded.
// A stored member running past the end of the file is only shortened.
uint32_t TZLBArchive::CopyMemberData(files::TFile& archive, int index, const TZLBFileEntry& entry,
                                     files::TFile& target)
{
    uint32_t crc = 0;
    try {
        archive.Seek(entry.DataOffset());
        std::optional<TInflateReader> inflater;
        if (!entry.Stored()) inflater.emplace(archive);
        BeginTask(TProgressMode::Extracting, entry.UncompressedSize(), "Extracting " + entry.FileName());
        std::vector<uint8_t> block(kInflateBlockSize);
        const auto keep = [&](size_t count) {
            target.Write(block.data(), count);
            if (CheckCRC) crc = UpdateCrc32(crc, block.data(), count);
        };
        for (int64_t remaining = entry.UncompressedSize(); remaining > 0;) {
            const size_t wanted = static_cast<size_t>(std::min<int64_t>(remaining, kInflateBlockSize));
            size_t got = inflater ? inflater->Read(block.data(), wanted) : archive.Read(block.data(), wanted);
            const bool failed = inflater && got < wanted;
            if (failed) got -= got % kChunkSize;
            size_t reported = 0;
            try {
                ReportChunks(failed ? got : wanted, got, reported);
            } catch (...) {
                keep(reported);
                throw;
            }
            keep(got);
            if (failed) throw ESetupError("Member data ends early or does not inflate");
            remaining -= static_cast<int64_t>(wanted);
        }
    } catch (...) {
        throw MemberCorrupt(index);
    }
    return crc;
}

// Reports each kChunkSize piece of a block of which got bytes arrived;
// reported counts the bytes of the pieces reported so far.
void TZLBArchive::ReportChunks(size_t wanted, size_t got, size_t& reported)
{
    for (size_t start = 0; start < wanted; start += kChunkSize) {
        const size_t end = std::min(std::min(start + kChunkSize, wanted), std::max(got, start));
        ProgressDone += static_cast<int64_t>(end - start);
        DoProgress();
        reported = end;
    }
}

void TZLBArchive::BeginTask(TProgressMode mode, int64_t total, const std::string& message)
{
    ProgressMode = mode;
    ProgressTotal = total;
    ProgressDone = 0;
    ProgressMessage = message;
}

void TZLBArchive::DoProgress()
{
    if (Destroying || !OnProgress) return;
    if (ProgressMode == TProgressMode::Idle) OnProgress(ArchiveFile, 0);
    else OnProgress(ProgressMessage, RoundedPercentage(ProgressDone, ProgressTotal));
}

uint32_t TZLBArchive::StreamCRC32(files::TFile& stream, int tailBytes)
{
    const int64_t start = stream.Position();
    uint32_t crc = 0;
    std::vector<uint8_t> block(kCrcBlockSize);
    stream.Seek(0);
    for (int64_t remaining = stream.Size() - tailBytes; remaining > 0;) {
        const size_t wanted = static_cast<size_t>(std::min<int64_t>(remaining, kCrcBlockSize));
        const size_t got = stream.Read(block.data(), wanted);
        if (got == 0) break;
        crc = UpdateCrc32(crc, block.data(), got);
        remaining -= static_cast<int64_t>(got);
    }
    stream.Seek(start);
    return crc;
}

void TZLBArchive::GetTempArchiveName(std::string& name)
{
    name = files::CreateUniqueTempFile("ZLB");
}

void TZLBArchive::ListFolderFiles(const std::string& folder, std::vector<std::string>& list)
{
    std::string base = folder;
    if (!base.empty() && base.back() == files::kPathDelim) base.pop_back();
    // A folder that is not there lists nothing.
    if (files::DirectoryExists(base)) CollectFolderFiles(base, list);
}

// A folder's own entries are appended after those of its sub-folders.
void TZLBArchive::CollectFolderFiles(const std::string& folder, std::vector<std::string>& list)
{
    std::vector<std::string> own;
    for (const files::FolderEntry& item : files::ListFolder(folder)) {
        const std::string path = folder + files::kPathDelim + item.Name;
        if (!item.IsFolder) {
            own.push_back(path);
            continue;
        }
        if (RecursePaths) CollectFolderFiles(path, list);
        if (SavePaths) own.push_back(path);
    }
    list.insert(list.end(), own.begin(), own.end());
}
