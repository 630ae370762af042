#include "demo_table.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

namespace bench {

namespace {

// The record count in a dBASE header: four bytes, little-endian, at offset 4.
bool holdsEntries(const std::string &path, uint32_t entries)
{
    std::ifstream file(path, std::ios::binary);
    unsigned char header[8] = {};
    if (!file.read(reinterpret_cast<char *>(header), sizeof header))
        return false;
    const uint32_t count = uint32_t(header[4]) | uint32_t(header[5]) << 8 |
                           uint32_t(header[6]) << 16 | uint32_t(header[7]) << 24;
    return count == entries;
}

} // namespace

std::string demoTable(const std::string &folder, const std::string &name, uint32_t entries)
{
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    const std::string path = (std::filesystem::path(folder) / name).string();
    if (holdsEntries(path, entries))
        return path;
    std::fprintf(stderr, "making a demo table of %u entries: %s\n", entries, path.c_str());
    const std::string count = std::to_string(entries);
    const char *argv[] = {FONVIK_TELBASE_EXE, "demo", path.c_str(), "--entries", count.c_str(),
                          "--force", nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, const_cast<char **>(argv), environ) != 0) {
        std::perror(FONVIK_TELBASE_EXE);
        return {};
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {};
    return path;
}

} // namespace bench
