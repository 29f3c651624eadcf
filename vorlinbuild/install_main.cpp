// The program inside every installer vorlinbuild makes, and its uninstaller "unins000".
//   vorlin-install [--yes]     install from the folder the program lies in
//   unins000 [--yes]           remove what "unins000.dat" beside it lists
#include <cstring>
#include <filesystem>
#include <iostream>

#include "platform/program_path.h"
#include "vorlinbuild/setup_engine.h"

int main(int argc, char** argv) {
    bool yes = false;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--yes") == 0 || std::strcmp(argv[i], "-y") == 0) yes = true;
    try {
        const std::string exe = vorlin::platform::executablePath();
        const std::filesystem::path self = exe.empty() ? std::string(argv[0]) : exe;
        const std::string list = self.string() + ".dat";
        if (std::filesystem::exists(list))
            return vorlin::vorlinbuild::runUninstall(list, yes, std::cin, std::cout);
        return vorlin::vorlinbuild::runInstall(self.parent_path().string(), self.string(), yes, std::cin,
                                               std::cout);
    } catch (const std::exception& e) {
        std::cout << "Failed: " << e.what() << "\n";
        return 1;
    }
}
