#include "mapvale-servers/synthetic_files.h"

#include <cstdint>

#include "platform/files.h"

namespace mapvale::servers {

std::string SyntheticBytes(std::string_view seed, std::size_t size) {
    // FNV-1a of the seed starts an xorshift64* generator.
    std::uint64_t state = 14695981039346656037ull;
    for (const char c : seed) {
        state = (state ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    if (state == 0) {
        state = 1;
    }
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; i += 8) {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        std::uint64_t word = state * 2685821657736338717ull;
        for (std::size_t k = 0; k < 8 && i + k < size; ++k, word >>= 8) {
            bytes[i + k] = static_cast<char>(word & 0xFFu);
        }
    }
    return bytes;
}

std::optional<std::string> SelfExtractingProgram(std::string_view stub,
                                                 const std::vector<ZipMember>& members,
                                                 const std::string& scratch_folder,
                                                 std::string& error) {
    if (!platform::CreateFolderChain(scratch_folder)) {
        error = "cannot create " + scratch_folder;
        return std::nullopt;
    }
    const std::string archive = platform::JoinPath(scratch_folder, "self-extracting.zip");
    if (!WriteZipArchive(archive, members, error)) {
        return std::nullopt;
    }
    const auto bytes = platform::ReadWholeFile(archive);
    platform::DeleteFileForce(archive);
    if (!bytes) {
        error = "cannot read back " + archive;
        return std::nullopt;
    }
    return std::string(stub) + *bytes;
}

}  // namespace mapvale::servers
