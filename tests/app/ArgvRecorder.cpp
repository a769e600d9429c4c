// Stands in for a sibling tool: writes the arguments it was started with to "<argv[0]>.args",
// one per line after a line with their count, and ends.
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    const std::string path = std::string(argv[0]) + ".args";
    const std::string partial = path + ".part";
    std::FILE* file = std::fopen(partial.c_str(), "w");
    if (!file)
        return 1;
    std::fprintf(file, "%d\n", argc - 1);
    for (int i = 1; i < argc; ++i)
        std::fprintf(file, "%s\n", argv[i]);
    if (std::fclose(file) != 0)
        return 1;
    // Appears complete or not at all for the test that waits for it.
    return std::rename(partial.c_str(), path.c_str()) == 0 ? 0 : 1;
}
