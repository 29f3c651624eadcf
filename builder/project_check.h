#pragma once
// Reading a file the user picked as a project, before it replaces the working settings file. A project is
// a small INI text (a show of 1000 pictures is about 100 KB), so a pick that is plainly something else is
// refused here and the working file is never touched: a folder, a device or pipe (reading one could block
// or never end), a file too large to be a project, and binary data (a picture or an archive picked by
// mistake). Every other text loads, whatever sections it has: what the settings reader makes of it is
// what the window shows.
//
// Bytes of 0x80 and above are taken as they are (a project written in an 8-bit code page names its files
// in that code page), so "text" means no NUL and no control bytes other than tab, line breaks, form feed
// and the old end-of-file mark 0x1A.
//
// No Qt; any thread.

#include <cstdint>
#include <string>
#include <string_view>

namespace vorlin::builder {

inline constexpr std::uint64_t kProjectSizeLimit = 16u << 20;

struct ProjectRead {
    std::string content; // the whole file, when it can be a project
    std::string fault;   // otherwise one short sentence saying why not
    bool ok() const { return fault.empty(); }
};

// Reads `path` whole when it can be a project. Reads at most kProjectSizeLimit + 1 bytes and never opens
// anything but a regular file for reading, so a pick of any kind returns promptly.
ProjectRead readProjectFile(const std::string& path);

// True when `bytes` holds no NUL and no control byte other than the ones text files carry.
bool looksLikeText(std::string_view bytes);

} // namespace vorlin::builder
