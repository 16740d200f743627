#pragma once

// The bookkeeping of the image cache: entries in the order they were added,
// found by a key compared without regard to ASCII letter case, each with a
// request count. A sweep keeps only entries asked for at least three times
// since the last sweep (the first request does not count) and resets them.

#include <memory>
#include <string>
#include <vector>

bool SameKeyIgnoringCase(const std::string& a, const std::string& b);

template <typename T>
class TCountedCache {
public:
    // The cached item, counting the request; null when the key is not cached.
    T* Request(const std::string& key)
    {
        for (TEntry& entry : Entries)
            if (SameKeyIgnoringCase(entry.Key, key)) {
                ++entry.Count;
                return entry.Item.get();
            }
        return nullptr;
    }

    T* Add(const std::string& key, std::unique_ptr<T> item)
    {
        Entries.push_back({key, std::move(item), 0});
        return Entries.back().Item.get();
    }

    void RemoveAt(size_t index) { Entries.erase(Entries.begin() + static_cast<std::ptrdiff_t>(index)); }

    void Sweep()
    {
        for (size_t i = Entries.size(); i-- > 0;) {
            if (Entries[i].Count > 2) Entries[i].Count = 0;
            else RemoveAt(i);
        }
    }

    size_t Size() const { return Entries.size(); }
    const std::string& KeyAt(size_t index) const { return Entries[index].Key; }
    int CountAt(size_t index) const { return Entries[index].Count; }

private:
    struct TEntry {
        std::string Key;
        std::unique_ptr<T> Item;
        int Count;
    };
    std::vector<TEntry> Entries;
};
