#pragma once
// Profile-string INI files with the semantics of the Windows profile services, and writes that never leave
// a cut file.
//
// Reading rules (the choices for malformed files are deliberate; every one keeps reading going):
// - The file is bytes, taken as UTF-8; a UTF-8 byte-order mark at its start is skipped (and kept on write).
// Lines end at "\n",
//   "\r\n" or a lone "\r", mixed freely; the last line needs no final newline. No line length limit.
// - Leading and trailing spaces and tabs of names and values are dropped. Letter case of section and key
//   names is ignored for ASCII letters (other bytes compare as they are), except in keys that are absolute
//   paths (they begin with "/"): those name files on a file system that tells case apart, so "/x/A.jpg"
//   and "/x/a.jpg" are two keys.
// - A line whose first non-blank character is "[" opens a section; its name runs to the last "]" on the
//   line (to the line's end when there is none).
// - A line whose first non-blank character is ";" is a comment. A ";" anywhere else is ordinary text, so a
//   key "a;b=1" is the key "a;b".
// - Any other line holding "=" is a key: the name is the text before the first "=", the value all the text
//   after it ("a=b=c" is the key "a" with the value "b=c"). Lines without "=" and keys with an empty name
//   are ignored; so are keys before the first section.
// - A section that appears more than once is read as one section, its keys in file order. A key that
//   appears more than once in a section is read (and listed) once, with its first value.
// - A missing or unreadable file, or a folder at the path, reads as an empty file.
//
// Writing rules:
// - Every write goes to the file before it returns (write-through), so a reader of the same file sees it.
//   The whole file is rewritten into a temporary file beside it, flushed to disk and renamed over the old
//   one, so the file is always either the old or the new one, whole. Lines end in "\n" after a write;
//   comments and unknown lines are kept.
// - A write changes the first occurrence of its key, or appends the key to the first section of that name,
//   or appends a new section at the end.
// - A failed write (missing folder, a folder where the file should be, a full disk) leaves the old file as it
//   was and throws WriteError naming the file and the fault. A name or value that the format cannot hold
//   (a line break anywhere, "=" in a key, a key starting with "[" or ";", "]" in a section name) is refused
//   with WriteError before anything is written.
//
// Reads parse the file once and keep the parsed form while the file's identity, size and times stay the
// same. A file changed within the last two seconds is parsed again at every read, because a rewrite in
// place within one tick of the file-system clock would not change those stamps (the rule version-control
// indexes use for "racily clean" files). Our own writes keep their parsed form. A Snapshot reads many
// values from one parse: the settings reader uses it so that a read of a large show stays linear.
//
// Not thread-safe: one thread uses an IniFile object at a time.

#include "platform/atomic_file.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

struct stat;

namespace vorlin::platform {

// Integer text as the profile readers take it: optional sign, then decimal digits or "0x"/"0X" and up to
// eight hexadecimal digits (wrapping into 32 bits, so "0xFFFFFFFF" is -1). Surrounding blanks are allowed.
// Anything else, an empty text or a decimal outside the 32-bit range gives `fallback`.
std::int32_t parseProfileInteger(const std::string& text, std::int32_t fallback);
// The same rule, telling whether the text converted.
bool tryParseProfileInteger(const std::string& text, std::int32_t& value);

class IniFile {
public:
    explicit IniFile(std::string path);
    ~IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    const std::string& path() const { return path_; }

    std::string readString(const std::string& section, const std::string& key,
                           const std::string& fallback) const;
    std::int32_t readInteger(const std::string& section, const std::string& key, std::int32_t fallback) const;
    // True when the integer value (with fallback 1 or 0) is not 0.
    bool readBool(const std::string& section, const std::string& key, bool fallback) const;
    // The section's key names, in file order, each once, as written in the file.
    std::vector<std::string> readKeys(const std::string& section) const;
    std::vector<std::string> readSections() const;
    bool sectionExists(const std::string& section) const;
    bool keyExists(const std::string& section, const std::string& key) const;

    // Each write is committed at once (see the writing rules); failures throw WriteError.
    void writeString(const std::string& section, const std::string& key, const std::string& value);
    void writeInteger(const std::string& section, const std::string& key, std::int32_t value);
    void writeBool(const std::string& section, const std::string& key, bool value);
    void eraseSection(const std::string& section);
    void deleteKey(const std::string& section, const std::string& key);

    // Many changes committed as one replacement of the file: nothing is written until commit(); a batch
    // destroyed without commit() changes nothing. The IniFile must not be used otherwise while a batch is
    // open.
    class Batch {
    public:
        ~Batch();
        Batch(Batch&&) noexcept;
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
        Batch& operator=(Batch&&) = delete;

        void writeString(const std::string& section, const std::string& key, const std::string& value);
        void writeInteger(const std::string& section, const std::string& key, std::int32_t value);
        void writeBool(const std::string& section, const std::string& key, bool value);
        void eraseSection(const std::string& section);
        void deleteKey(const std::string& section, const std::string& key);
        // Writes the file; throws WriteError (and changes nothing) when that fails.
        void commit();

    private:
        friend class IniFile;
        explicit Batch(IniFile& file);
        void requireOpen() const;
        IniFile* file_;
    };
    Batch batch();

    struct Document; // the parsed file

    // The file as it is now, parsed once; reads from it do not look at the file again.
    class Snapshot {
    public:
        std::string readString(const std::string& section, const std::string& key,
                               const std::string& fallback) const;
        std::int32_t readInteger(const std::string& section, const std::string& key,
                                 std::int32_t fallback) const;
        bool readBool(const std::string& section, const std::string& key, bool fallback) const;
        std::vector<std::string> readKeys(const std::string& section) const;
        std::vector<std::string> readSections() const;
        bool sectionExists(const std::string& section) const;
        bool keyExists(const std::string& section, const std::string& key) const;
        // The text a write would give the file (comments and unknown lines kept, "\n" line ends).
        std::string serialize() const;

    private:
        friend class IniFile;
        explicit Snapshot(std::shared_ptr<const Document> doc) : doc_(std::move(doc)) {}
        std::shared_ptr<const Document> doc_;
    };
    Snapshot snapshot() const { return Snapshot(current()); }
    // Text parsed by the same rules as a file.
    static Snapshot parse(const std::string& text);

private:
    struct Stamp {
        bool exists = false;
        std::uint64_t dev = 0, ino = 0, size = 0;
        std::int64_t mtime = 0, ctime = 0;
        bool operator==(const Stamp&) const = default;
        // The stamp of an existing file from its status.
        static Stamp of(const struct stat& st);
    };
    std::shared_ptr<const Document> current() const;
    Document& editable();
    void commitDocument();

    std::string path_;
    mutable std::shared_ptr<Document> doc_;
    mutable Stamp stamp_;
    mutable bool trusted_ = false; // the parsed form may be reused while the stamp is unchanged
    mutable int heldFd_ = -1;      // keeps the parsed file's inode from being reused while cached
    bool inBatch_ = false;
};

} // namespace vorlin::platform
