// vorlinbuild "<script path>": compiles an installer script into a self-extracting installer. The installer
// program it packs ("vorlin-install") lies beside it.
#include <filesystem>
#include <iostream>
#include <string>

#include "platform/program_path.h"
#include "vorlinbuild/compiler.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cout << "10000 Usage: vorlinbuild \"<script>\"\n1" << std::endl;
        return 1;
    }
    std::string script = argv[1];
    // The builder hands over the path in double quotes, as one argument; a shell would have removed them.
    if (script.size() >= 2 && script.front() == '"' && script.back() == '"')
        script = script.substr(1, script.size() - 2);
    // The installer program lies beside this file, wherever the name it was started under points.
    const std::string exe = vorlin::platform::executablePath();
    const std::filesystem::path self = exe.empty() ? std::string(argv[0]) : exe;
    try {
        return vorlin::vorlinbuild::compileInstaller(script, (self.parent_path() / "vorlin-install").string(),
                                                     std::cout);
    } catch (const std::exception& e) {
        std::cout << "10000 Error: " << e.what() << "\n3" << std::endl;
        return 3;
    }
}
