#include "platform/ini_file.h"

#include "base/text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace vorlin::platform {

namespace {

// The form under which a key is looked up. A key that is an absolute path names a file on a file system
// that tells letter case apart, so its case counts ("/x/A.jpg" and "/x/a.jpg" are two pictures); every
// other key is a name whose case is ignored, as the profile services do.
std::string keyName(const std::string& key) {
    return !key.empty() && key[0] == '/' ? key : lower(key);
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string trim(const char* begin, const char* end) {
    return std::string(trimSpaces(std::string_view(begin, static_cast<std::size_t>(end - begin))));
}

std::string trim(const std::string& s) {
    return std::string(trimSpaces(s));
}

} // namespace

// ---- integers

std::int32_t parseProfileInteger(const std::string& text, std::int32_t fallback) {
    std::int32_t v;
    return tryParseProfileInteger(text, v) ? v : fallback;
}

bool tryParseProfileInteger(const std::string& text, std::int32_t& value) {
    const std::string t = trim(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) negative = t[i++] == '-';
    if (i >= t.size()) return false;
    if (t.size() - i > 2 && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
        i += 2;
        if (t.size() - i > 8) return false;
        std::uint32_t v = 0;
        for (; i < t.size(); ++i) {
            const char c = t[i];
            int d;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            else
                return false;
            v = v * 16 + std::uint32_t(d);
        }
        value = std::int32_t(negative ? 0u - v : v);
        return true;
    }
    std::int64_t v = 0;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
        if (v > std::int64_t(INT32_MAX) + 1) return false;
    }
    if (negative) v = -v;
    if (v > INT32_MAX || v < INT32_MIN) return false;
    value = std::int32_t(v);
    return true;
}

// ---- the parsed file

struct IniFile::Document {
    struct Entry {
        bool isKey = false;
        std::string key;   // as written (trimmed), for key lines
        std::string value; // trimmed, for key lines
        std::string raw;   // the line as it was, for every other line
    };
    struct Section {
        bool hasHeader = true; // false only for the lines before the first section
        std::string name;
        std::vector<Entry> entries;
        std::unordered_map<std::string, std::size_t> keyIndex; // keyName(key) -> first entry
        void reindex() {
            keyIndex.clear();
            for (std::size_t i = 0; i < entries.size(); ++i)
                if (entries[i].isKey) keyIndex.emplace(keyName(entries[i].key), i);
        }
    };
    std::vector<Section> sections; // sections[0] is the preamble
    bool byteOrderMark = false;
    std::unordered_map<std::string, std::vector<std::size_t>> sectionIndex;

    Document() { sections.push_back(Section{false, {}, {}, {}}); }

    void reindexSections() {
        sectionIndex.clear();
        for (std::size_t i = 1; i < sections.size(); ++i) sectionIndex[lower(sections[i].name)].push_back(i);
    }

    const std::vector<std::size_t>* sectionsNamed(const std::string& name) const {
        auto it = sectionIndex.find(lower(name));
        return it == sectionIndex.end() ? nullptr : &it->second;
    }

    const Entry* find(const std::string& section, const std::string& key) const {
        const auto* list = sectionsNamed(section);
        if (!list) return nullptr;
        const std::string k = keyName(key);
        for (std::size_t s : *list) {
            const auto& sec = sections[s];
            if (auto it = sec.keyIndex.find(k); it != sec.keyIndex.end()) return &sec.entries[it->second];
        }
        return nullptr;
    }

    static Document parse(const std::string& text) {
        Document doc;
        const char* p = text.data();
        const char* end = p + text.size();
        if (text.size() >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0) {
            p += 3;
            doc.byteOrderMark = true;
        }
        Section* cur = &doc.sections[0];
        while (p < end) {
            const char* lineEnd = p;
            while (lineEnd < end && *lineEnd != '\n' && *lineEnd != '\r') ++lineEnd;
            const char* next = lineEnd;
            if (next < end) next += (*next == '\r' && next + 1 < end && next[1] == '\n') ? 2 : 1;

            const char* q = p;
            while (q < lineEnd && isBlank(*q)) ++q;
            if (q < lineEnd && *q == '[') {
                const char* close = lineEnd;
                while (close > q + 1 && close[-1] != ']') --close;
                const char* nameEnd = (close > q + 1) ? close - 1 : lineEnd;
                doc.sections.push_back(Section{true, trim(q + 1, nameEnd), {}, {}});
                cur = &doc.sections.back();
            } else {
                Entry e;
                const char* eq = (q < lineEnd && *q != ';')
                                     ? static_cast<const char*>(std::memchr(q, '=', std::size_t(lineEnd - q)))
                                     : nullptr;
                if (eq && cur->hasHeader) {
                    e.key = trim(q, eq);
                    if (!e.key.empty()) {
                        e.isKey = true;
                        e.value = trim(eq + 1, lineEnd);
                        cur->keyIndex.emplace(keyName(e.key), cur->entries.size());
                    }
                }
                if (!e.isKey) e.raw.assign(p, lineEnd);
                cur->entries.push_back(std::move(e));
            }
            p = next;
        }
        doc.reindexSections();
        return doc;
    }

    std::string serialize() const {
        std::string out = byteOrderMark ? "\xEF\xBB\xBF" : "";
        for (const auto& sec : sections) {
            if (sec.hasHeader) out += "[" + sec.name + "]\n";
            for (const auto& e : sec.entries) {
                if (e.isKey) {
                    out += e.key;
                    out += '=';
                    out += e.value;
                } else {
                    out += e.raw;
                }
                out += '\n';
            }
        }
        return out;
    }

    // ---- edits ----
    void write(const std::string& section, const std::string& key, const std::string& value) {
        if (const auto* list = sectionsNamed(section)) {
            const std::string k = keyName(key);
            for (std::size_t s : *list) {
                auto& sec = sections[s];
                if (auto it = sec.keyIndex.find(k); it != sec.keyIndex.end()) {
                    sec.entries[it->second].value = value;
                    return;
                }
            }
            auto& sec = sections[list->front()];
            // Keep blank lines that close a section after the new key.
            std::size_t at = sec.entries.size();
            while (at > 0 && !sec.entries[at - 1].isKey && trim(sec.entries[at - 1].raw).empty()) --at;
            // Only blank lines follow `at`, and the index holds keys only, so no index entry moves.
            sec.entries.insert(sec.entries.begin() + std::ptrdiff_t(at), Entry{true, key, value, {}});
            sec.keyIndex.emplace(k, at);
            return;
        }
        sections.push_back(Section{true, section, {}, {}});
        sections.back().entries.push_back(Entry{true, key, value, {}});
        sections.back().reindex();
        sectionIndex[lower(section)].push_back(sections.size() - 1);
    }

    void eraseSection(const std::string& section) {
        const std::string n = lower(section);
        if (!sectionIndex.count(n)) return;
        std::vector<Section> kept;
        kept.reserve(sections.size());
        for (std::size_t i = 0; i < sections.size(); ++i)
            if (i == 0 || lower(sections[i].name) != n) kept.push_back(std::move(sections[i]));
        sections = std::move(kept);
        reindexSections();
    }

    void deleteKey(const std::string& section, const std::string& key) {
        const auto* list = sectionsNamed(section);
        if (!list) return;
        const std::string k = keyName(key);
        for (std::size_t s : *list) {
            auto& sec = sections[s];
            if (!sec.keyIndex.count(k)) continue;
            std::erase_if(sec.entries, [&](const Entry& e) { return e.isKey && keyName(e.key) == k; });
            sec.reindex();
        }
    }
};

namespace {

using Doc = IniFile::Document;

std::string readString(const Doc& d, const std::string& section, const std::string& key,
                       const std::string& fallback) {
    const auto* e = d.find(section, key);
    return e ? e->value : fallback;
}

std::vector<std::string> readKeys(const Doc& d, const std::string& section) {
    std::vector<std::string> keys;
    const auto* list = d.sectionsNamed(section);
    if (!list) return keys;
    std::unordered_set<std::string> seen;
    for (std::size_t s : *list)
        for (const auto& e : d.sections[s].entries)
            if (e.isKey && seen.insert(keyName(e.key)).second) keys.push_back(e.key);
    return keys;
}

std::vector<std::string> readSections(const Doc& d) {
    std::vector<std::string> names;
    std::unordered_set<std::string> seen;
    for (std::size_t i = 1; i < d.sections.size(); ++i)
        if (seen.insert(lower(d.sections[i].name)).second) names.push_back(d.sections[i].name);
    return names;
}

void checkName(const std::string& path, const std::string& what, const std::string& text, bool isKey,
               bool isSection) {
    auto refuse = [&](const char* why) {
        throw WriteError("cannot write " + what + " \"" + text + "\" to " + path + ": " + why);
    };
    if (text.find_first_of("\r\n") != std::string::npos) refuse("it contains a line break");
    if (isKey) {
        const std::string t = trim(text);
        if (t.empty()) refuse("an empty key name");
        if (t.find('=') != std::string::npos) refuse("a key name cannot hold \"=\"");
        if (t[0] == '[' || t[0] == ';') refuse("a key name cannot start with \"[\" or \";\"");
    }
    if (isSection && text.find(']') != std::string::npos) refuse("a section name cannot hold \"]\"");
}

std::int64_t nanos(const timespec& t) {
    return std::int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

std::int64_t nowNanos() {
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    return nanos(t);
}

constexpr std::int64_t kRacyWindow = 2'000'000'000; // 2 s

} // namespace

// ---- IniFile

IniFile::Stamp IniFile::Stamp::of(const struct stat& st) {
    return Stamp{true,
                 std::uint64_t(st.st_dev),
                 std::uint64_t(st.st_ino),
                 std::uint64_t(st.st_size),
                 nanos(st.st_mtim),
                 nanos(st.st_ctim)};
}

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

IniFile::~IniFile() {
    if (heldFd_ >= 0) close(heldFd_);
}

std::shared_ptr<const IniFile::Document> IniFile::current() const {
    Stamp now;
    struct stat st {};
    if (stat(path_.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        now = Stamp::of(st);
    }
    if (doc_ && trusted_ && now == stamp_) return doc_;

    if (heldFd_ >= 0) {
        close(heldFd_);
        heldFd_ = -1;
    }
    std::string text;
    Stamp readStamp;
    if (now.exists) {
        const int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat fst {};
        if (fd >= 0 && fstat(fd, &fst) == 0 && S_ISREG(fst.st_mode)) {
            text.reserve(std::size_t(fst.st_size));
            char buf[65536];
            for (;;) {
                const ssize_t n = ::read(fd, buf, sizeof buf);
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) break;
                text.append(buf, std::size_t(n));
            }
            readStamp = Stamp::of(fst);
            heldFd_ = fd;
        } else if (fd >= 0) {
            close(fd);
        }
    }
    doc_ = std::make_shared<Document>(Document::parse(text));
    stamp_ = readStamp;
    trusted_ = !readStamp.exists || (nowNanos() - std::max(readStamp.mtime, readStamp.ctime) > kRacyWindow);
    return doc_;
}

IniFile::Document& IniFile::editable() {
    if (!inBatch_ || !doc_) {
        auto fresh = current();
        // Copy on write: snapshots handed out keep the old form.
        doc_ = std::make_shared<Document>(*fresh);
    }
    return *doc_;
}

void IniFile::commitDocument() {
    try {
        replaceFileAtomically(path_, doc_->serialize());
    } catch (...) {
        doc_.reset(); // memory follows the file, which kept its old content
        trusted_ = false;
        throw;
    }
    if (heldFd_ >= 0) close(heldFd_);
    heldFd_ = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (heldFd_ >= 0 && fstat(heldFd_, &st) == 0) {
        stamp_ = Stamp::of(st);
        trusted_ = true;
    } else {
        trusted_ = false;
    }
}

std::string IniFile::readString(const std::string& section, const std::string& key,
                                const std::string& fallback) const {
    return vorlin::platform::readString(*current(), section, key, fallback);
}
std::int32_t IniFile::readInteger(const std::string& section, const std::string& key,
                                  std::int32_t fallback) const {
    const auto* e = current()->find(section, key);
    return e ? parseProfileInteger(e->value, fallback) : fallback;
}
bool IniFile::readBool(const std::string& section, const std::string& key, bool fallback) const {
    return readInteger(section, key, fallback ? 1 : 0) != 0;
}
std::vector<std::string> IniFile::readKeys(const std::string& section) const {
    return vorlin::platform::readKeys(*current(), section);
}
std::vector<std::string> IniFile::readSections() const {
    return vorlin::platform::readSections(*current());
}
bool IniFile::sectionExists(const std::string& section) const {
    return current()->sectionsNamed(section);
}
bool IniFile::keyExists(const std::string& section, const std::string& key) const {
    return current()->find(section, key) != nullptr;
}

void IniFile::writeString(const std::string& section, const std::string& key, const std::string& value) {
    auto b = batch();
    b.writeString(section, key, value);
    b.commit();
}
void IniFile::writeInteger(const std::string& section, const std::string& key, std::int32_t value) {
    writeString(section, key, std::to_string(value));
}
void IniFile::writeBool(const std::string& section, const std::string& key, bool value) {
    writeString(section, key, value ? "1" : "0");
}
void IniFile::eraseSection(const std::string& section) {
    auto b = batch();
    b.eraseSection(section);
    b.commit();
}
void IniFile::deleteKey(const std::string& section, const std::string& key) {
    auto b = batch();
    b.deleteKey(section, key);
    b.commit();
}

// ---- Snapshot

std::string IniFile::Snapshot::readString(const std::string& section, const std::string& key,
                                          const std::string& fallback) const {
    return vorlin::platform::readString(*doc_, section, key, fallback);
}
std::int32_t IniFile::Snapshot::readInteger(const std::string& section, const std::string& key,
                                            std::int32_t fallback) const {
    const auto* e = doc_->find(section, key);
    return e ? parseProfileInteger(e->value, fallback) : fallback;
}
bool IniFile::Snapshot::readBool(const std::string& section, const std::string& key, bool fallback) const {
    return readInteger(section, key, fallback ? 1 : 0) != 0;
}
std::vector<std::string> IniFile::Snapshot::readKeys(const std::string& section) const {
    return vorlin::platform::readKeys(*doc_, section);
}
std::vector<std::string> IniFile::Snapshot::readSections() const {
    return vorlin::platform::readSections(*doc_);
}
bool IniFile::Snapshot::sectionExists(const std::string& section) const {
    return doc_->sectionsNamed(section);
}
bool IniFile::Snapshot::keyExists(const std::string& section, const std::string& key) const {
    return doc_->find(section, key) != nullptr;
}

std::string IniFile::Snapshot::serialize() const {
    return doc_->serialize();
}

IniFile::Snapshot IniFile::parse(const std::string& text) {
    return Snapshot(std::make_shared<const Document>(Document::parse(text)));
}

// ---- Batch

IniFile::Batch IniFile::batch() {
    if (inBatch_) throw std::logic_error("IniFile " + path_ + ": a batch is already open");
    Batch b(*this);
    editable();
    inBatch_ = true;
    return b;
}

IniFile::Batch::Batch(IniFile& file) : file_(&file) {}
IniFile::Batch::Batch(Batch&& other) noexcept : file_(std::exchange(other.file_, nullptr)) {}

IniFile::Batch::~Batch() {
    if (file_ && file_->inBatch_) {
        // Not committed: forget the edits; the next read parses the file again.
        file_->inBatch_ = false;
        file_->doc_.reset();
        file_->trusted_ = false;
    }
}

void IniFile::Batch::requireOpen() const {
    if (!file_ || !file_->inBatch_ || !file_->doc_)
        throw std::logic_error("IniFile batch used after it ended");
}

void IniFile::Batch::writeString(const std::string& section, const std::string& key,
                                 const std::string& value) {
    requireOpen();
    checkName(file_->path_, "section", section, false, true);
    checkName(file_->path_, "key", key, true, false);
    checkName(file_->path_, "value", value, false, false);
    file_->doc_->write(trim(section), trim(key), trim(value));
}
void IniFile::Batch::writeInteger(const std::string& section, const std::string& key, std::int32_t value) {
    writeString(section, key, std::to_string(value));
}
void IniFile::Batch::writeBool(const std::string& section, const std::string& key, bool value) {
    writeString(section, key, value ? "1" : "0");
}
void IniFile::Batch::eraseSection(const std::string& section) {
    requireOpen();
    file_->doc_->eraseSection(trim(section));
}
void IniFile::Batch::deleteKey(const std::string& section, const std::string& key) {
    requireOpen();
    file_->doc_->deleteKey(trim(section), trim(key));
}
void IniFile::Batch::commit() {
    requireOpen();
    file_->inBatch_ = false;
    file_->commitDocument();
}

} // namespace vorlin::platform
