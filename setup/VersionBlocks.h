#pragma once

// The blocks of a VS_VERSION_INFO resource, read from untrusted bytes: every
// length and offset is checked against the block that holds it, and whatever
// does not fit ends the reading instead of being guessed at. Shared by the
// setup, which finds a string of its own, and the packer, which reads all.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "setup/VersionResource.h"

namespace version::blocks {

// Every block: its length, its value's length, its type, then its key.
constexpr size_t kBlockHeaderSize = 6;
constexpr size_t kBlockAlignment = 4;
constexpr uint16_t kBinaryValue = 0;
constexpr uint16_t kTextValue = 1;
constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr uint32_t kFixedInfoStructVersion = 0x00010000;
constexpr size_t kFixedInfoSize = 52;

constexpr char16_t kRootKey[] = u"VS_VERSION_INFO";
constexpr char16_t kStringFileInfo[] = u"StringFileInfo";
constexpr char16_t kVarFileInfo[] = u"VarFileInfo";
constexpr char16_t kTranslation[] = u"Translation";

inline size_t AlignUp(size_t offset)
{
    return (offset + kBlockAlignment - 1) / kBlockAlignment * kBlockAlignment;
}

// A block found in the bytes; every offset lies within [start, End). Its key
// is compared where it lies, so that finding a string makes no copies.
struct TBlock {
    size_t Key = 0, KeyUnits = 0;
    uint16_t Type = 0;
    size_t Value = 0, ValueBytes = 0;
    size_t Children = 0, End = 0;
};

class TReader {
public:
    TReader(const uint8_t* data, size_t size) : Data(data), Size(size) {}

    uint16_t Get16(size_t at) const { return static_cast<uint16_t>(Data[at] | Data[at + 1] << 8); }
    uint32_t Get32(size_t at) const { return Get16(at) | static_cast<uint32_t>(Get16(at + 2)) << 16; }

    // The block at `at`, which must end by `limit`.
    std::optional<TBlock> BlockAt(size_t at, size_t limit) const
    {
        if (limit > Size || at > limit || limit - at < kBlockHeaderSize) return std::nullopt;
        const size_t length = Get16(at);
        if (length < kBlockHeaderSize || length > limit - at) return std::nullopt;
        TBlock block;
        block.End = at + length;
        block.Type = Get16(at + 4);
        block.Key = at + kBlockHeaderSize;
        size_t next = block.Key;
        while (next + 1 < block.End && Get16(next) != 0) next += 2;
        if (next + 1 >= block.End) return std::nullopt;  // no terminating zero
        block.KeyUnits = (next - block.Key) / 2;
        block.Value = std::min(AlignUp(next + 2), block.End);
        // Text values count characters, binary ones bytes; some writers count
        // text in bytes, which only makes the value reach further into its own block.
        const size_t declared = size_t{Get16(at + 2)} * (block.Type == kTextValue ? 2 : 1);
        block.ValueBytes = std::min(declared, block.End - block.Value);
        block.Children = std::min(AlignUp(block.Value + block.ValueBytes), block.End);
        return block;
    }

    // Calls visit with every child of the block, in order, until one does not
    // fit or visit returns false.
    template <typename TVisit>
    void ForEachChild(const TBlock& parent, TVisit visit) const
    {
        size_t at = parent.Children;
        while (at < parent.End) {
            const std::optional<TBlock> child = BlockAt(at, parent.End);
            if (!child || !visit(*child)) return;
            at = AlignUp(child->End);
        }
    }

    bool HasKey(const TBlock& block, std::u16string_view key) const
    {
        if (block.KeyUnits != key.size()) return false;
        for (size_t i = 0; i < key.size(); ++i)
            if (Get16(block.Key + 2 * i) != key[i]) return false;
        return true;
    }

    // A text value up to its zero.
    TTextSpan TextOf(const TBlock& block) const
    {
        size_t end = block.Value;
        while (end + 1 < block.Value + block.ValueBytes && Get16(end) != 0) end += 2;
        return {block.Value, (end - block.Value) / 2};
    }

    std::optional<TBlock> Root() const
    {
        const std::optional<TBlock> root = BlockAt(0, Size);
        return root && HasKey(*root, kRootKey) ? root : std::nullopt;
    }

    // Calls visit with the first table of StringFileInfo, if there is one.
    template <typename TVisit>
    void WithFirstStringTable(const TBlock& root, TVisit visit) const
    {
        bool found = false;
        ForEachChild(root, [&](const TBlock& part) {
            if (!HasKey(part, kStringFileInfo)) return true;
            ForEachChild(part, [&](const TBlock& table) {
                visit(table);
                found = true;
                return false;
            });
            return !found;
        });
    }

private:
    const uint8_t* Data;
    size_t Size;
};

}  // namespace version::blocks
