// Feeds arbitrary bytes to the data-pack indexer as a pack file, then looks up
// every entry it found the way a loader would.

#include "DataPack.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    if (size == 0)
        return 0;
    FILE* const stream = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (stream == NULL)
        return 0;
    std::map<std::string, long> index;
    long const end = DataPack::indexEntries(stream, long(size), index, false);
    if (end == long(size))
        for (auto const& entry : index)
            if (entry.second < 0 || entry.second + 4 > end)
                __builtin_trap(); // an indexed size field must lie inside a well-formed pack
    fclose(stream);
    return 0;
}
