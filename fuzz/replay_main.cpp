// Replays every file of a seed corpus directory through the fuzz entry point,
// so the corpus runs as an ordinary test without libFuzzer.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIRECTORY\n", argv[0]);
        return 2;
    }
    int replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(argv[1])) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
        ++replayed;
    }
    // Generated inputs that no seed file could hold: large and degenerate.
    std::vector<uint8_t> big(10 * 1024 * 1024, 'x');
    LLVMFuzzerTestOneInput(big.data(), big.size());
    // Millions of short lines under a huge count: records that cost more than their bytes.
    const std::string count = "2000000000\n2000000000\n";
    const std::string line = "[end]\n";
    std::string lines = count;
    while (lines.size() + line.size() <= big.size())
        lines += line;
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(lines.data()), lines.size());
    LLVMFuzzerTestOneInput(nullptr, 0);
    std::printf("replayed %d corpus files\n", replayed);
    return replayed > 0 ? 0 : 1;
}
