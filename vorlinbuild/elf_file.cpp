// Reading the dynamic section of an ELF file (see elf_file.h).
#include "vorlinbuild/elf_file.h"

#include <elf.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>

namespace vorlin::vorlinbuild {
namespace {

class File {
public:
    explicit File(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~File() {
        if (fd_ >= 0) ::close(fd_);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    bool ok() const { return fd_ >= 0; }
    bool read(std::uint64_t offset, void* to, std::size_t size) const {
        return ::pread(fd_, to, size, static_cast<off_t>(offset)) == static_cast<ssize_t>(size);
    }
    std::string text(std::uint64_t offset, std::size_t limit) const {
        std::string s(limit, '\0');
        const ssize_t n = ::pread(fd_, s.data(), limit, static_cast<off_t>(offset));
        s.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        s.resize(std::strlen(s.c_str()));
        return s;
    }

private:
    int fd_;
};

struct Types64 {
    using Ehdr = Elf64_Ehdr;
    using Phdr = Elf64_Phdr;
    using Dyn = Elf64_Dyn;
};
struct Types32 {
    using Ehdr = Elf32_Ehdr;
    using Phdr = Elf32_Phdr;
    using Dyn = Elf32_Dyn;
};

template <class T> std::optional<ElfInfo> readDynamic(const File& f, ElfInfo info) {
    typename T::Ehdr eh{};
    if (!f.read(0, &eh, sizeof eh) || eh.e_phentsize != sizeof(typename T::Phdr)) return std::nullopt;
    info.machine = eh.e_machine;
    std::vector<typename T::Phdr> ph(eh.e_phnum);
    if (!ph.empty() && !f.read(eh.e_phoff, ph.data(), ph.size() * sizeof ph[0])) return std::nullopt;
    // Addresses in the dynamic section are virtual: the loadable segments map them back to the file.
    const auto offsetOf = [&](std::uint64_t addr) -> std::optional<std::uint64_t> {
        for (const auto& p : ph)
            if (p.p_type == PT_LOAD && addr >= p.p_vaddr && addr < p.p_vaddr + p.p_filesz)
                return addr - p.p_vaddr + p.p_offset;
        return std::nullopt;
    };
    const typename T::Phdr* dynamic = nullptr;
    for (const auto& p : ph)
        if (p.p_type == PT_DYNAMIC) dynamic = &p;
    if (!dynamic) return info;
    std::vector<typename T::Dyn> dyn(dynamic->p_filesz / sizeof(typename T::Dyn));
    if (!dyn.empty() && !f.read(dynamic->p_offset, dyn.data(), dyn.size() * sizeof dyn[0]))
        return std::nullopt;

    std::uint64_t strtab = 0, strsz = 0, verneed = 0, verneednum = 0, verdef = 0, verdefnum = 0;
    std::vector<std::uint64_t> needed;
    std::optional<std::uint64_t> soname, rpath, runpath;
    for (const auto& d : dyn) {
        switch (d.d_tag) {
        case DT_STRTAB:
            strtab = d.d_un.d_ptr;
            break;
        case DT_STRSZ:
            strsz = d.d_un.d_val;
            break;
        case DT_NEEDED:
            needed.push_back(d.d_un.d_val);
            break;
        case DT_SONAME:
            soname = d.d_un.d_val;
            break;
        case DT_RPATH:
            rpath = d.d_un.d_val;
            break;
        case DT_RUNPATH:
            runpath = d.d_un.d_val;
            break;
        case DT_VERNEED:
            verneed = d.d_un.d_ptr;
            break;
        case DT_VERNEEDNUM:
            verneednum = d.d_un.d_val;
            break;
        case DT_VERDEF:
            verdef = d.d_un.d_ptr;
            break;
        case DT_VERDEFNUM:
            verdefnum = d.d_un.d_val;
            break;
        default:
            break;
        }
    }
    const auto strOffset = offsetOf(strtab);
    if (!strOffset) return std::nullopt;
    const auto str = [&](std::uint64_t at) {
        return at < strsz ? f.text(*strOffset + at,
                                   static_cast<std::size_t>(std::min<std::uint64_t>(strsz - at, 4096)))
                          : std::string();
    };
    for (auto n : needed) info.needed.push_back(str(n));
    if (soname) info.soname = str(*soname);
    if (runpath || rpath) {
        info.runpath = runpath.has_value();
        const std::string path = str(runpath ? *runpath : *rpath);
        std::size_t from = 0;
        while (from <= path.size()) {
            auto at = path.find(':', from);
            if (at == std::string::npos) at = path.size();
            if (at > from) info.searchPath.push_back(path.substr(from, at - from));
            from = at + 1;
        }
    }
    // Version needs: one Verneed record per library, each with its Vernaux version names.
    if (const auto at = verneed ? offsetOf(verneed) : std::nullopt) {
        std::uint64_t pos = *at;
        for (std::uint64_t i = 0; i < verneednum; ++i) {
            Elf64_Verneed vn{}; // the same layout for both classes
            if (!f.read(pos, &vn, sizeof vn)) return std::nullopt;
            auto& set = info.versionsNeeded[str(vn.vn_file)];
            std::uint64_t aux = pos + vn.vn_aux;
            for (unsigned j = 0; j < vn.vn_cnt; ++j) {
                Elf64_Vernaux va{};
                if (!f.read(aux, &va, sizeof va)) return std::nullopt;
                set.insert(str(va.vna_name));
                if (!va.vna_next) break;
                aux += va.vna_next;
            }
            if (!vn.vn_next) break;
            pos += vn.vn_next;
        }
    }
    if (const auto at = verdef ? offsetOf(verdef) : std::nullopt) {
        std::uint64_t pos = *at;
        for (std::uint64_t i = 0; i < verdefnum; ++i) {
            Elf64_Verdef vd{};
            if (!f.read(pos, &vd, sizeof vd)) return std::nullopt;
            Elf64_Verdaux va{};
            // The base definition names the file itself; the others are versions.
            if (!(vd.vd_flags & VER_FLG_BASE) && vd.vd_cnt > 0 && f.read(pos + vd.vd_aux, &va, sizeof va))
                info.versionsDefined.insert(str(va.vda_name));
            if (!vd.vd_next) break;
            pos += vd.vd_next;
        }
    }
    return info;
}

} // namespace

bool isElfFile(const std::string& path) {
    File f(path);
    unsigned char magic[4] = {};
    return f.ok() && f.read(0, magic, 4) && std::memcmp(magic, ELFMAG, SELFMAG) == 0;
}

std::optional<ElfInfo> readElf(const std::string& path) {
    File f(path);
    unsigned char ident[EI_NIDENT] = {};
    if (!f.ok() || !f.read(0, ident, sizeof ident) || std::memcmp(ident, ELFMAG, SELFMAG) != 0)
        return std::nullopt;
    if (ident[EI_DATA] != ELFDATA2LSB) return std::nullopt; // the machines this runs on are little-endian
    ElfInfo info;
    info.is64 = ident[EI_CLASS] == ELFCLASS64;
    if (info.is64) return readDynamic<Types64>(f, info);
    if (ident[EI_CLASS] == ELFCLASS32) return readDynamic<Types32>(f, info);
    return std::nullopt;
}

} // namespace vorlin::vorlinbuild
