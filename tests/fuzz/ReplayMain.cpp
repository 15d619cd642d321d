// Feeds every file of the folders (or files) named on the command line through
// the fuzz target once, so a kept corpus replays under the sanitizer build.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size);

namespace
{
void replayFile(std::filesystem::path const& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> const bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
}
}

int main(int argc, char** argv)
{
    int replayed = 0;
    for (int i = 1; i < argc; ++i)
    {
        std::filesystem::path const root(argv[i]);
        if (std::filesystem::is_directory(root))
        {
            for (auto const& entry : std::filesystem::directory_iterator(root))
                if (entry.is_regular_file())
                {
                    replayFile(entry.path());
                    ++replayed;
                }
        }
        else
        {
            replayFile(root);
            ++replayed;
        }
    }
    printf("%d inputs replayed\n", replayed);
    return 0;
}
