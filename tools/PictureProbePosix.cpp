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
using TSize = std::optional<TPictureSize>;

constexpr size_t kIconDirectorySize = 6;
constexpr size_t kIconEntrySize = 16;
constexpr int32_t kLargestIconSide = 256;
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
TSize JpegSize(const TBytes& bytes)
{
    jpeg_decompress_struct info{};
    TJpegFailure failure{};
    info.err = jpeg_std_error(&failure.Manager);
    failure.Manager.error_exit = JpegFailed;
    failure.Manager.emit_message = JpegSilent;
    if (setjmp(failure.Return)) {
        jpeg_destroy_decompress(&info);
        return std::nullopt;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                                info.output_width * static_cast<JDIMENSION>(info.output_components), 1);
    while (info.output_scanline < info.output_height) jpeg_read_scanlines(&info, row, 1);
    const TPictureSize size{static_cast<int32_t>(info.output_width), static_cast<int32_t>(info.output_height)};
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return size;
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

// GDI+ gives a GIF the size of its logical screen, which its frames are drawn on.
TSize GifSize(const TBytes& bytes)
{
    TMemoryInput input{bytes};
    int error = 0;
    GifFileType* gif = DGifOpen(&input, ReadGifBytes, &error);
    if (!gif) return std::nullopt;
    const bool whole = DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0 && gif->SWidth > 0 && gif->SHeight > 0;
    const TPictureSize size{gif->SWidth, gif->SHeight};
    DGifCloseFile(gif, &error);
    return whole ? TSize(size) : std::nullopt;
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

// The size of the icon's first picture, which GDI+ shows; a width or height of 0 in the directory means 256.
TSize IconSize(const TBytes& bytes)
{
    if (bytes.size() < kIconDirectorySize || U16(&bytes[0]) != 0 || U16(&bytes[2]) != 1) return std::nullopt;
    const size_t count = U16(&bytes[4]);
    if (count == 0 || bytes.size() < kIconDirectorySize + count * kIconEntrySize) return std::nullopt;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* entry = &bytes[kIconDirectorySize + i * kIconEntrySize];
        const uint64_t size = U32(entry + 8), at = U32(entry + 12);
        if (size == 0 || at + size > bytes.size() || !IsIconImage(&bytes[at], size)) return std::nullopt;
    }
    const uint8_t* first = &bytes[kIconDirectorySize];
    return TPictureSize{first[0] ? first[0] : kLargestIconSide, first[1] ? first[1] : kLargestIconSide};
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

TSize SizeOf(TPictureKind kind, const TBytes& bytes)
{
    switch (kind) {
    case TPictureKind::Bitmap: {
        const std::optional<TBmpLayout> layout = ReadBmpLayout(bytes.data(), bytes.size());
        return layout ? TSize(TPictureSize{layout->Width, layout->Height}) : std::nullopt;
    }
    case TPictureKind::Icon: return IconSize(bytes);
    case TPictureKind::Jpeg: return JpegSize(bytes);
    case TPictureKind::Gif: return GifSize(bytes);
    case TPictureKind::Metafile: break;
    }
    return std::nullopt;
}

}  // namespace

TPictureVerdict ProbePicture(const std::string& path)
{
    const std::optional<TPictureKind> kind = PictureKindOf(path);
    TBytes bytes;
    if (!kind || !ReadFile(path, bytes)) return {};
    if (*kind == TPictureKind::Metafile) return {IsMetafile(bytes), std::nullopt};
    const TSize size = SizeOf(*kind, bytes);
    return {size.has_value(), size};
}
