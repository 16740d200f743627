#pragma once

// TZLBArchive opens an archive, checks its trailer CRC-32, loads its file list
// and extracts every member into a folder, reporting progress through events.
// The archive file is held open only inside OpenArchive and ExtractAll.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archive/ArchiveFormat.h"
#include "utilities/FileSystem.h"

class TZLBArchive;

using TReplaceFileEvent = std::function<void(const std::string& Filename, bool& Replace)>;
using TFileExtractedEvent = std::function<void(const std::string& filename)>;
using TArchiveNotifyEvent = std::function<void(TZLBArchive& Sender)>;
using TErrorLogEvent = std::function<void(const std::string& Msg)>;
using TProgressEvent = std::function<void(const std::string& Msg, int Percentage)>;

enum class TProgressMode { ReadingList, Extracting, Idle };

// Percentage of done in total, rounded to the nearest integer, halves to even.
int RoundedPercentage(int64_t done, int64_t total);

class TZLBArchive {
public:
    TZLBArchive() = default;
    virtual ~TZLBArchive();
    TZLBArchive(const TZLBArchive&) = delete;
    TZLBArchive& operator=(const TZLBArchive&) = delete;

    // False with nothing open for an empty name; raises on any failure.
    bool OpenArchive(const std::string& fileName);
    void CloseArchive();
    int FileCount() const;
    void GetFileEntry(int index, TZLBFileEntry& entry) const;
    void ExtractAll(const std::string& DestFolder);

    // CRC-32 of the file from its start up to tailBytes before its end; the
    // file position is restored afterwards.
    uint32_t StreamCRC32(files::TFile& stream, int tailBytes);
    void DoProgress();

    virtual void GetTempArchiveName(std::string& name);
    virtual void ListFolderFiles(const std::string& folder, std::vector<std::string>& list);

    const std::string& ArchiveFileName() const { return ArchiveFile; }
    const TZLBTrailer& ArchiveTrailer() const { return Trailer; }

    TFileCompressionLevel CompressionLevel = TFileCompressionLevel::fcDefault;
    bool ExtractWithPath = false;
    bool CheckCRC = false;
    bool SavePaths = false;
    bool RecursePaths = false;

    TReplaceFileEvent OnReplaceFile;
    TFileExtractedEvent OnFileExtracted;
    TArchiveNotifyEvent OnArchiveOpened;
    TFileExtractedEvent OnStreamExtracted;
    TErrorLogEvent OnErrorLogged;
    TProgressEvent OnProgress;

private:
    void ForgetArchive();
    void LoadFileList(files::TFile& archive, int64_t archiveSize);
    void ReadCompressedList(files::TFile& archive, int64_t listBytes);
    void ReadPlainList(files::TFile& archive, int64_t listBytes);
    void AppendRecords(const std::vector<uint8_t>& list);
    void ExtractMember(files::TFile& archive, int index, const std::string& DestFolder);
    uint32_t CopyMemberData(files::TFile& archive, int index, const TZLBFileEntry& entry, files::TFile& target);
    void ReportChunks(size_t wanted, size_t got, size_t& reported);
    void BeginTask(TProgressMode mode, int64_t total, const std::string& message);
    void CollectFolderFiles(const std::string& folder, std::vector<std::string>& list);

    std::string ArchiveFile;
    TZLBTrailer Trailer;
    std::vector<TZLBFileEntry> FileList;
    TProgressMode ProgressMode = TProgressMode::Idle;
    std::string ProgressMessage;
    int64_t ProgressTotal = 0;
    int64_t ProgressDone = 0;
    bool Destroying = false;
};
