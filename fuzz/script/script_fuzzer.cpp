// Any bytes as an installer script: the reader either gives a script or a ScriptError, every value
// expands or fails with a ScriptError, and a script written back (quoted, or bare where that reads back)
// reads as the same script.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "installer_script/script.h"

using namespace vorlin::iss;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    IssScript s;
    try {
        s = parseScript(text, "fuzz.iss");
    } catch (const ScriptError&) {
        return 0;
    }
    const std::map<std::string, std::string> constants = {{"app", "/a"}, {"sys", "/s"}, {"pf", "/p"}};
    for (const auto* list : {&s.files, &s.registry, &s.ini, &s.icons})
        for (const auto& entry : *list)
            for (const auto& [k, v] : entry) {
                try {
                    expandConstants(v, constants);
                } catch (const ScriptError&) {
                }
            }
    std::string again;
    try {
        again = formatScript(s);
    } catch (const ScriptError&) {
        return 0; // a value with a line break cannot be written back
    }
    const IssScript t = parseScript(again, "again.iss");
    if (t.files != s.files || t.registry != s.registry || t.ini != s.ini || t.icons != s.icons) std::abort();
    // Asked to go without quotes, every value still reads back: those that would not are quoted.
    for (const auto& entry : s.files) {
        std::vector<Parameter> bare;
        for (const auto& [k, v] : entry) bare.push_back({.name = k, .value = v, .bare = true});
        if (parseScript("[Files]\n" + entryLine(bare), "bare.iss").files.at(0) != entry) std::abort();
    }
    for (const auto& [k, v] : s.setup)
        if (parseScript("[Setup]\n" + directiveLine({.name = k, .value = v, .bare = true}), "bare.iss")
                .setup.at(k) != v)
            std::abort();
    return 0;
}
