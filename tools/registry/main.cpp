// vorlin-registry: reads and writes the per-user registry store from scripts.
//   vorlin-registry set KEY NAME VALUE        a string value
//   vorlin-registry set-dword KEY NAME NUMBER a 32-bit number (decimal or 0x hex)
//   vorlin-registry get KEY NAME              prints the value; exit status 1 when it does not exist
// NAME '' is the key's default value. The store is the one the program reads ($VORLIN_REGISTRY, else
// $XDG_CONFIG_HOME/vorlinsaver/registry.ini). Exit status 2 for wrong arguments or a failed write.

#include "platform/ini_file.h"
#include "platform/registry.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

using vorlin::platform::Registry;

namespace {
int usage() {
    std::fprintf(stderr,
                 "usage: vorlin-registry set KEY NAME VALUE | set-dword KEY NAME NUMBER | get KEY NAME\n");
    return 2;
}
} // namespace

int main(int argc, char** argv) {
    try {
        if (argc < 2) return usage();
        const std::string cmd = argv[1];
        Registry reg;
        if (cmd == "set" && argc == 5) {
            reg.writeString(argv[2], argv[3], argv[4]);
            return 0;
        }
        if (cmd == "set-dword" && argc == 5) {
            std::int32_t v;
            if (!vorlin::platform::tryParseProfileInteger(argv[4], v)) {
                std::fprintf(stderr, "vorlin-registry: not a number: %s\n", argv[4]);
                return 2;
            }
            reg.writeDword(argv[2], argv[3], std::uint32_t(v));
            return 0;
        }
        if (cmd == "get" && argc == 4) {
            switch (reg.valueType(argv[2], argv[3])) {
            case vorlin::platform::RegistryType::String:
                std::printf("%s\n", reg.readString(argv[2], argv[3])->c_str());
                return 0;
            case vorlin::platform::RegistryType::Dword:
                std::printf("%u\n", *reg.readDword(argv[2], argv[3]));
                return 0;
            case vorlin::platform::RegistryType::None:
                return 1;
            }
        }
        return usage();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vorlin-registry: %s\n", e.what());
        return 2;
    }
}
