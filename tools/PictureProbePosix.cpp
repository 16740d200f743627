#include "tools/PictureProbe.h"

#include <algorithm>
#include <csetjmp>
#include <iterator>
#include <cstdio>
#include <vector>

#include <gif_lib.h>
#include <jpeglib.h>

#include "skin/BmpFile.h"
#include "skin/PictureKind.h"
#include "utilities/FileSystem.h"

namespace {

using TBytes = std::vector<uint8_t>;

constexpr size_t kIconDirectorySize = 6;
constexpr size_t kIconEntrySize = 16;
constexpr uint8_t kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr uint32_t kDibHeaderSize = 40;
constexpr uint32_t kEmfHeaderRecord = 1, kEmfSignature = 0x464D4520;  // " EMF"
constexpr size_t kEmfSmallestHeader = 88;
constexpr uint32_t kPlaceableMetafileKey = 0x9AC6CDD7;
constexpr size_t kPlaceableHeaderSize = 22;
constexpr uint32_t kMetafileHeaderWords = 9;

uint32_t U16(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0] | p[1] << 8);
}

uint32_t U32(const uint8_t* p)
{
    return static_cast<uint32_t>(U16(p) | U16(p + 2) << 16);
}

bool ReadFile(const std::string& path, TBytes& bytes)
{
    files::TFile file;
    if (!file.OpenForReading(path)) return false;
    bytes.resize(static_cast<size_t>(file.Size()));
    return bytes.empty() || file.Read(bytes.data(), bytes.size()) == bytes.size();
}

// libjpeg reports fatal errors through this; warnings about damaged data are
// no failure, as the picture still comes out (with grey where data is missing).
struct TJpegFailure {
    jpeg_error_mgr Manager;
    std::jmp_buf Return;
};

[[noreturn]] void JpegFailed(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<TJpegFailure*>(info->err)->Return, 1);
}

void JpegSilent(j_common_ptr, int) {}

// Nothing with a destructor lives between setjmp and longjmp here.
bool DecodesAsJpeg(const TBytes& bytes)
{
    jpeg_decompress_struct info{};
    TJpegFailure failure{};
    info.err = jpeg_std_error(&failure.Manager);
    failure.Manager.error_exit = JpegFailed;
    failure.Manager.emit_message = JpegSilent;
    if (setjmp(failure.Return)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                                info.output_width * static_cast<JDIMENSION>(info.output_components), 1);
    while (info.output_scanline < info.output_height) jpeg_read_scanlines(&info, row, 1);
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

struct TMemoryInput {
    const TBytes& Bytes;
    size_t At = 0;
};

int ReadGifBytes(GifFileType* gif, GifByteType* buffer, int count)
{
    auto* input = static_cast<TMemoryInput*>(gif->UserData);
    const size_t left = input->Bytes.size() - input->At;
    const size_t taken = static_cast<size_t>(count) < left ? static_cast<size_t>(count) : left;
    std::copy_n(input->Bytes.data() + input->At, taken, buffer);
    input->At += taken;
    return static_cast<int>(taken);
}

bool DecodesAsGif(const TBytes& bytes)
{
    TMemoryInput input{bytes};
    int error = 0;
    GifFileType* gif = DGifOpen(&input, ReadGifBytes, &error);
    if (!gif) return false;
    const bool whole = DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0 && gif->SWidth > 0 && gif->SHeight > 0;
    DGifCloseFile(gif, &error);
    return whole;
}

// An icon's pictures are device-independent bitmaps without file header, or PNG files.
bool IsIconImage(const uint8_t* image, size_t size)
{
    if (size >= sizeof kPngSignature && std::equal(std::begin(kPngSignature), std::end(kPngSignature), image))
        return true;
    if (size < kDibHeaderSize || U32(image) != kDibHeaderSize) return false;
    const uint32_t bits = U16(image + 14);
    return U16(image + 12) == 1 && (bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32);
}

bool IsIcon(const TBytes& bytes)
{
    if (bytes.size() < kIconDirectorySize || U16(&bytes[0]) != 0 || U16(&bytes[2]) != 1) return false;
    const size_t count = U16(&bytes[4]);
    if (count == 0 || bytes.size() < kIconDirectorySize + count * kIconEntrySize) return false;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* entry = &bytes[kIconDirectorySize + i * kIconEntrySize];
        const uint64_t size = U32(entry + 8), at = U32(entry + 12);
        if (size == 0 || at + size > bytes.size() || !IsIconImage(&bytes[at], size)) return false;
    }
    return true;
}

bool IsEnhancedMetafile(const TBytes& bytes)
{
    return bytes.size() >= kEmfSmallestHeader && U32(&bytes[0]) == kEmfHeaderRecord &&
           U32(&bytes[4]) >= kEmfSmallestHeader && U32(&bytes[40]) == kEmfSignature && U32(&bytes[48]) <= bytes.size();
}

// A Windows metafile, with or without the placeable header in front.
bool IsWindowsMetafile(const TBytes& bytes)
{
    const size_t at = bytes.size() >= 4 && U32(&bytes[0]) == kPlaceableMetafileKey ? kPlaceableHeaderSize : 0;
    if (bytes.size() < at + kMetafileHeaderWords * 2) return false;
    const uint8_t* header = &bytes[at];
    return (U16(header) == 1 || U16(header) == 2) && U16(header + 2) == kMetafileHeaderWords &&
           U32(header + 6) * 2 <= bytes.size() - at;
}

// The setup's metafile decoder tells the two formats by their contents, not by the extension.
bool IsMetafile(const TBytes& bytes)
{
    return IsEnhancedMetafile(bytes) || IsWindowsMetafile(bytes);
}

}  // namespace

bool CanDecodePicture(const std::string& path)
{
    const std::optional<TPictureKind> kind = PictureKindOf(path);
    TBytes bytes;
    if (!kind || !ReadFile(path, bytes)) return false;
    switch (*kind) {
    case TPictureKind::Bitmap: return ReadBmpLayout(bytes.data(), bytes.size()).has_value();
    case TPictureKind::Icon: return IsIcon(bytes);
    case TPictureKind::Metafile: return IsMetafile(bytes);
    case TPictureKind::Jpeg: return DecodesAsJpeg(bytes);
    case TPictureKind::Gif: return DecodesAsGif(bytes);
    }
    return false;
}
