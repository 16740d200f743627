#include "setup/VersionResource.h"

#include "setup/VersionBlocks.h"

namespace version {

using namespace blocks;

std::optional<TTextSpan> FindVersionString(const uint8_t* data, size_t size, std::u16string_view name)
{
    const TReader reader(data, size);
    const std::optional<TBlock> root = reader.Root();
    std::optional<TTextSpan> found;
    if (root)
        reader.WithFirstStringTable(*root, [&](const TBlock& table) {
            reader.ForEachChild(table, [&](const TBlock& string) {
                if (reader.HasKey(string, name)) found = reader.TextOf(string);
                return !found;
            });
        });
    return found;
}

}  // namespace version
