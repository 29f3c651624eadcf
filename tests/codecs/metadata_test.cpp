// A photo's date taken and title: from files that ImageMagick and exiftool make at test time in each
// container (JPEG, PNG, WebP, HEIC, AVIF), the order in which the title sources win, the text rules, and
// hand-built hostile EXIF blocks and containers, which leave fields empty but never crash or hang (the
// sanitizer builds run these too).

#include "../lib/shell.h"
#include "../lib/test_files.h"
#include "gfx/codecs/metadata_text.h"
#include "gfx/codecs/photo_metadata.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <thread>
#include <vector>

namespace vorlin::gfx {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::runShell;
using testing::shellQuote;

constexpr PhotoDate kDate{2021, 7, 4, 18, 30, 5};
const std::string kUtf8Title = "Grüße – 東京";

Bytes toBytes(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

PhotoMetadata read(const Bytes& file) {
    return readPhotoMetadata(file);
}

struct PhotoCase {
    const char* name;
    const char* extension;
    std::vector<std::string> tags;
    std::optional<PhotoDate> taken;
    std::string title;
    std::string convertTo = "";
};

void PrintTo(const PhotoCase& c, std::ostream* os) {
    *os << c.name;
}

// The fixtures of every case, made once: a small grey picture of the case's extension from ImageMagick, its
// tags ("-Tag=value" arguments) written by exiftool (one run for all files, as starting it dominates), then
// converted by ImageMagick to `convertTo` if one is given (as a person converting a photo would).
class PhotoFixtures {
public:
    static bool haveExiftool() { return runShell("exiftool -ver").second == 0; }

    explicit PhotoFixtures(const std::vector<PhotoCase>& cases) {
        std::string exiftool = "exiftool";
        for (const PhotoCase& c : cases) {
            const std::string path = dir_ / (std::string(c.name) + "." + c.extension);
            if (!run("convert -size 24x16 xc:gray60 " + shellQuote(path))) return;
            if (c.tags.empty()) continue;
            for (const std::string& tag : c.tags) exiftool += " " + shellQuote(tag);
            exiftool += " " + shellQuote(path) + " -execute";
        }
        if (!run(exiftool + " -common_args -q -q -overwrite_original")) return;
        for (const PhotoCase& c : cases) {
            std::string path = dir_ / (std::string(c.name) + "." + c.extension);
            if (!c.convertTo.empty()) {
                if (!run("convert " + shellQuote(path) + " " + shellQuote(path + "." + c.convertTo))) return;
                path += "." + c.convertTo;
            }
            files_[c.name] = toBytes(testing::readFile(path));
        }
    }

    // The case's file; empty if making the fixtures failed (error() says why).
    Bytes file(const std::string& name) const {
        const auto it = files_.find(name);
        return it == files_.end() ? Bytes{} : it->second;
    }
    const std::string& error() const { return error_; }

private:
    bool run(const std::string& command) {
        auto [out, status] = runShell(command);
        if (status != 0) error_ = command + ": " + out;
        return status == 0;
    }

    testing::TempDir dir_;
    std::map<std::string, Bytes> files_;
    std::string error_;
};

const std::string kDateArg = "-DateTimeOriginal=2021:07:04 18:30:05";

const std::vector<PhotoCase> kPhotoCases = {
    PhotoCase{"JpegDate", "jpg", {kDateArg}, kDate, ""},
    PhotoCase{
        "JpegDescription", "jpg", {"-ImageDescription=  A walk by the lake  "}, {}, "A walk by the lake"},
    PhotoCase{"JpegXmpTitleWinsOverDescription",
              "jpg",
              {"-ImageDescription=from EXIF", "-XMP-dc:Title=from XMP", "-XMP-dc:Description=described"},
              {},
              "from XMP"},
    PhotoCase{"JpegXmpDescriptionWinsOverExif",
              "jpg",
              {"-ImageDescription=from EXIF", "-XPTitle=xp", "-XMP-dc:Description=described"},
              {},
              "described"},
    PhotoCase{"JpegUtf8Title", "jpg", {"-XMP-dc:Title=" + kUtf8Title, kDateArg}, kDate, kUtf8Title},
    PhotoCase{"JpegXpTitleWinsOverDescription",
              "jpg",
              {"-XPTitle=" + kUtf8Title, "-ImageDescription=from EXIF"},
              {},
              kUtf8Title},
    PhotoCase{"JpegLineBreaksBecomeSpaces",
              "jpg",
              {"-ImageDescription=Line one\r\nLine\ttwo\n"},
              {},
              "Line one Line two"},
    PhotoCase{"JpegOtherDatesAreNotTaken",
              "jpg",
              {"-ModifyDate=2020:01:02 03:04:05", "-CreateDate=2020:01:02 03:04:05"},
              {},
              ""},
    PhotoCase{"JpegNone", "jpg", {}, {}, ""},
    PhotoCase{"PngDateAndTitle", "png", {kDateArg, "-XMP-dc:Title=" + kUtf8Title}, kDate, kUtf8Title},
    PhotoCase{"PngDescription", "png", {"-ImageDescription=png text"}, {}, "png text"},
    PhotoCase{"PngNone", "png", {}, {}, ""},
    PhotoCase{
        "PngConvertedFromJpeg", "jpg", {kDateArg, "-XMP-dc:Title=" + kUtf8Title}, kDate, kUtf8Title, "png"},
    PhotoCase{"WebpDateAndTitle", "webp", {kDateArg, "-XMP-dc:Title=" + kUtf8Title}, kDate, kUtf8Title},
    PhotoCase{"WebpNone", "webp", {}, {}, ""},
    PhotoCase{"HeicDateAndTitle", "heic", {kDateArg, "-XMP-dc:Title=" + kUtf8Title}, kDate, kUtf8Title},
    PhotoCase{"HeicDescription", "heic", {"-ImageDescription=heic text"}, {}, "heic text"},
    PhotoCase{"AvifDate", "avif", {kDateArg}, kDate, ""}};

class PhotoFileTest : public ::testing::TestWithParam<PhotoCase> {
protected:
    static void SetUpTestSuite() {
        if (PhotoFixtures::haveExiftool()) fixtures_ = std::make_unique<PhotoFixtures>(kPhotoCases);
    }
    static void TearDownTestSuite() { fixtures_.reset(); }
    void SetUp() override {
        if (!fixtures_) GTEST_SKIP() << "exiftool is not installed (libimage-exiftool-perl)";
    }
    static std::unique_ptr<PhotoFixtures> fixtures_;
};
std::unique_ptr<PhotoFixtures> PhotoFileTest::fixtures_;

TEST_P(PhotoFileTest, ReadsDateAndTitle) {
    const PhotoCase& c = GetParam();
    const Bytes file = fixtures_->file(c.name);
    ASSERT_FALSE(file.empty()) << fixtures_->error();
    const PhotoMetadata m = read(file);
    EXPECT_EQ(m.taken, c.taken);
    EXPECT_EQ(m.title, c.title);
}

INSTANTIATE_TEST_SUITE_P(Files, PhotoFileTest, ::testing::ValuesIn(kPhotoCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- text rules ----

TEST(PhotoMetadataText, DatesAreParsedStrictly) {
    EXPECT_EQ(detail::parseExifDate("2021:07:04 18:30:05"), kDate);
    EXPECT_EQ(detail::parseExifDate(std::string_view("2021:07:04 18:30:05\0\0", 21)), kDate);
    EXPECT_EQ(detail::parseExifDate("2024:02:29 23:59:59"), (PhotoDate{2024, 2, 29, 23, 59, 59}));
    EXPECT_EQ(detail::parseExifDate("2000:02:29 00:00:00"), (PhotoDate{2000, 2, 29, 0, 0, 0}));
    for (const char* bad :
         {"0000:00:00 00:00:00", "    :  :     :  :  ", "2021:07:04 18:30", "2021:07:04 18:30:05 ",
          "2021-07-04 18:30:05", "2021:07:04T18:30:05", "2021:13:01 00:00:00", "2021:04:31 00:00:00",
          "2023:02:29 00:00:00", "1900:02:29 00:00:00", "2021:07:04 24:00:00", "2021:07:04 18:60:05",
          "2021:07:04 18:30:60", "2021:07:+4 18:30:05", ""})
        EXPECT_EQ(detail::parseExifDate(bad), std::nullopt) << bad;
}

TEST(PhotoMetadataText, TitlesAreCleanedForDisplay) {
    EXPECT_EQ(detail::cleanTitle("  \t a\x01 b\x7f\r\n c\xc2\x85 d \xef\xbb\xbf "), "a b c d");
    EXPECT_EQ(detail::cleanTitle(kUtf8Title), kUtf8Title);
    // Bytes that are no UTF-8 are read as Latin-1; overlong forms and encoded surrogates are no UTF-8.
    EXPECT_EQ(detail::cleanTitle("Caf\xe9"), "Café");
    EXPECT_EQ(detail::cleanTitle("\xc0\xaf\xed\xa0\x80"), "À¯í\u00a0");
    EXPECT_EQ(detail::cleanTitle("\x1f\x1e\x00"), "");

    // Cut to 2 KB on a character boundary: a 3-byte character crossing the limit is left out whole.
    const std::string longTitle = std::string(2047, 'x') + "東京";
    EXPECT_EQ(detail::cleanTitle(longTitle), std::string(2047, 'x'));
    const std::string megabyte(1 << 20, 'y');
    EXPECT_EQ(detail::cleanTitle(megabyte).size(), detail::kMaxTitleBytes);
}

TEST(PhotoMetadataText, XpTextIsUtf16LittleEndian) {
    const auto utf8 = [](std::vector<std::uint8_t> b) { return detail::utf16leToUtf8(b); };
    EXPECT_EQ(utf8({'H', 0, 0xfc, 0, 0x71, 0x67, 0, 0, 'x', 0}), "Hü東"); // stops at NUL
    EXPECT_EQ(utf8({0x3d, 0xd8, 0x00, 0xde, 'a'}), "\U0001F600");         // surrogate pair, odd byte left
    EXPECT_EQ(utf8({0x00, 0xde, 'a', 0, 0x3d, 0xd8}), "\uFFFDa\uFFFD");   // unpaired surrogates
}

// ---- hostile blocks ----

// A little-endian TIFF block written field by field at chosen offsets, so that offsets, counts and links
// can point anywhere.
class Tiff {
public:
    Tiff() : b_{'I', 'I', 42, 0, 8, 0, 0, 0} {}

    // An IFD at `at`: entries of (tag, type, count, value or offset), then the next IFD's offset.
    struct Entry {
        std::uint16_t tag, type;
        std::uint32_t count, value;
    };
    Tiff& ifd(std::size_t at, const std::vector<Entry>& entries, std::uint32_t next = 0) {
        u16(at, static_cast<std::uint16_t>(entries.size()));
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const std::size_t e = at + 2 + 12 * i;
            u16(e, entries[i].tag), u16(e + 2, entries[i].type), u32(e + 4, entries[i].count),
                u32(e + 8, entries[i].value);
        }
        u32(at + 2 + 12 * entries.size(), next);
        return *this;
    }
    Tiff& text(std::size_t at, const std::string& s) {
        grow(at + s.size() + 1);
        std::copy(s.begin(), s.end(), b_.begin() + static_cast<std::ptrdiff_t>(at));
        return *this;
    }
    Tiff& u16(std::size_t at, std::uint16_t v) {
        grow(at + 2);
        b_[at] = v & 0xff, b_[at + 1] = v >> 8;
        return *this;
    }
    Tiff& u32(std::size_t at, std::uint32_t v) {
        grow(at + 4);
        for (int i = 0; i < 4; ++i) b_[at + i] = (v >> (8 * i)) & 0xff;
        return *this;
    }
    const Bytes& bytes() const { return b_; }

private:
    void grow(std::size_t size) {
        if (b_.size() < size) b_.resize(size);
    }
    Bytes b_;
};

constexpr std::uint16_t kAscii = 2, kLong = 4;
constexpr std::uint16_t kDescriptionTag = 0x010E, kExifIfdTag = 0x8769, kDateTag = 0x9003;

// IFD0 at 8 (description at 100, Exif IFD at 60), the Exif IFD with the date at 140.
Tiff soundTiff() {
    Tiff t;
    t.ifd(8, {{kDescriptionTag, kAscii, 12, 100}, {kExifIfdTag, kLong, 1, 60}});
    t.ifd(60, {{kDateTag, kAscii, 20, 140}});
    t.text(100, "Hand made").text(140, "2021:07:04 18:30:05"); // the description's count holds 2 more NULs
    return t;
}

// A JPEG holding the block as its APP1 EXIF (the segment length as given, else the block's own).
Bytes jpegWithExif(const Bytes& tiff, std::optional<std::uint16_t> length = {}) {
    Bytes f{0xFF, 0xD8, 0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
    const std::size_t declared = length ? *length : tiff.size() + 8;
    f[4] = static_cast<std::uint8_t>(declared >> 8), f[5] = static_cast<std::uint8_t>(declared);
    f.insert(f.end(), tiff.begin(), tiff.end());
    f.insert(f.end(), {0xFF, 0xD9});
    return f;
}

// The fields of soundTiff(), or none: never a wrong or partial value.
void expectRightOrEmpty(const PhotoMetadata& m) {
    if (m.taken) {
        EXPECT_EQ(m.taken, kDate);
    }
    if (!m.title.empty()) {
        EXPECT_EQ(m.title, "Hand made");
    }
}

TEST(PhotoMetadataHostile, SoundHandMadeBlockIsRead) {
    const PhotoMetadata m = read(jpegWithExif(soundTiff().bytes()));
    EXPECT_EQ(m.taken, kDate);
    EXPECT_EQ(m.title, "Hand made");
}

// Each damage leaves what it breaks empty; the other field may still be read, and no field is ever wrong.
TEST(PhotoMetadataHostile, DamagedBlocksLeaveFieldsEmpty) {
    struct Damage {
        const char* name;
        std::function<void(Tiff&)> apply;
        bool titleLost, dateLost;
    };
    const std::vector<Damage> damages = {
        {"description offset past the end", [](Tiff& t) { t.u32(8 + 2 + 8, 0xFFFFFF00); }, true, false},
        {"description count past the end", [](Tiff& t) { t.u32(8 + 2 + 4, 0x7FFFFFFF); }, true, false},
        {"Exif IFD past the end", [](Tiff& t) { t.u32(8 + 2 + 12 + 8, 0xFFFFFFF0); }, false, true},
        {"date offset past the end", [](Tiff& t) { t.u32(60 + 2 + 8, 5000); }, false, true},
        {"IFD0 links to itself", [](Tiff& t) { t.u32(8 + 2 + 24, 8); }, false, false},
        {"Exif IFD links to IFD0", [](Tiff& t) { t.u32(60 + 2 + 12, 8); }, false, false},
        {"Exif IFD is IFD0", [](Tiff& t) { t.u32(8 + 2 + 12 + 8, 8); }, false, true},
        {"65535 entries", [](Tiff& t) { t.u16(8, 0xFFFF); }, true, true},
        {"first IFD past the end", [](Tiff& t) { t.u32(4, 0x10000000); }, true, true},
        {"no TIFF header", [](Tiff& t) { t.u16(0, 0x4141); }, true, true},
        {"date cut short", [](Tiff& t) { t.u32(60 + 2 + 4, 12); }, false, true},
        {"bytes after the description's NUL", [](Tiff& t) { t.text(100, std::string("Hand made\0xy", 12)); },
         false, false},
        {"description of numbers", [](Tiff& t) { t.u16(8 + 2 + 2, 3); }, true, false},
        {"date of numbers", [](Tiff& t) { t.u16(60 + 2 + 2, 1); }, false, true},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.name);
        Tiff t = soundTiff();
        d.apply(t);
        const PhotoMetadata m = read(jpegWithExif(t.bytes()));
        if (!d.dateLost) {
            EXPECT_EQ(m.taken, kDate);
        }
        if (!d.titleLost) {
            EXPECT_EQ(m.title, "Hand made");
        }
        expectRightOrEmpty(m);
    }
}

// The block cut at every length, inside a JPEG whose segment says the full length: nothing but the right
// fields or none.
TEST(PhotoMetadataHostile, CutBlocksGiveNothingWrong) {
    const Bytes whole = jpegWithExif(soundTiff().bytes());
    for (std::size_t size = 0; size < whole.size(); ++size) {
        const PhotoMetadata m = read(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size)));
        SCOPED_TRACE(size);
        expectRightOrEmpty(m);
    }
}

// An XMP packet whose dc:title is a language alternative of (language, text) items.
std::string xmpWithTitle(const std::vector<std::pair<std::string, std::string>>& items) {
    std::string alt;
    for (const auto& [language, text] : items)
        alt += "<rdf:li xml:lang=\"" + language + "\">" + text + "</rdf:li>";
    return "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
           "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description rdf:about=\"\" "
           "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:title><rdf:Alt>" +
           alt + "</rdf:Alt></dc:title></rdf:Description></rdf:RDF></x:xmpmeta>";
}

// A PNG of chunks (type, data) after the signature; the CRCs are not checked by the reader and left 0.
Bytes pngWith(const std::vector<std::pair<std::string, Bytes>>& chunks) {
    Bytes f = toBytes("\x89PNG\r\n\x1a\n");
    for (const auto& [type, data] : chunks) {
        for (int shift = 24; shift >= 0; shift -= 8)
            f.push_back(static_cast<std::uint8_t>(data.size() >> shift));
        f.insert(f.end(), type.begin(), type.end());
        f.insert(f.end(), data.begin(), data.end());
        f.insert(f.end(), 4, 0);
    }
    return f;
}

Bytes pngXmp(const std::string& packet) {
    return toBytes(std::string("XML:com.adobe.xmp\0\0\0\0\0", 22) + packet);
}

TEST(PhotoMetadataHostile, LongStringsAreCapped) {
    // A 1 MB description makes the EXIF block longer than its cap: the date before the cut is still read.
    Tiff t;
    t.ifd(8, {{kExifIfdTag, kLong, 1, 60}, {kDescriptionTag, kAscii, 1 << 20, 200}});
    t.ifd(60, {{kDateTag, kAscii, 20, 140}})
        .text(140, "2021:07:04 18:30:05")
        .text(200, std::string(1 << 20, 'd'));
    PhotoMetadata m = read(pngWith({{"eXIf", t.bytes()}}));
    EXPECT_EQ(m.taken, kDate);
    EXPECT_EQ(m.title, "");

    // A title near 1 MB in XMP is cut to 2 KB; a packet over 1 MB is left out for the EXIF title.
    m = read(pngWith({{"iTXt", pngXmp(xmpWithTitle({{"x-default", std::string(900'000, 't')}}))}}));
    EXPECT_EQ(m.title, std::string(detail::kMaxTitleBytes, 't'));
    m = read(pngWith({{"iTXt", pngXmp(xmpWithTitle({{"x-default", std::string((1 << 20) + 1, 't')}}))},
                      {"eXIf", soundTiff().bytes()}}));
    EXPECT_EQ(m.title, "Hand made");
}

TEST(PhotoMetadataHostile, XmpTitleChoiceAndDamage) {
    const auto title = [](const std::string& packet) {
        return read(pngWith({{"iTXt", pngXmp(packet)}, {"eXIf", soundTiff().bytes()}})).title;
    };
    EXPECT_EQ(title(xmpWithTitle({{"de-DE", "Brücke"}, {"x-default", "Bridge"}})), "Bridge");
    EXPECT_EQ(title(xmpWithTitle({{"de-DE", "Brücke"}})), "Brücke");
    // A damaged packet or an empty title falls back to the EXIF description.
    const std::string sound = xmpWithTitle({{"x-default", "Bridge"}});
    EXPECT_EQ(title(sound.substr(0, sound.size() / 2)), "Hand made");
    EXPECT_EQ(title("<x:xmpmeta><<<&&&"), "Hand made");
    EXPECT_EQ(title(xmpWithTitle({{"x-default", " \n "}})), "Hand made");
}

// Containers whose lengths point past the end, or that are cut, give what comes before the damage.
TEST(PhotoMetadataHostile, DamagedContainers) {
    const Bytes tiff = soundTiff().bytes();
    EXPECT_EQ(read(jpegWithExif(tiff, 0xFFFF)).taken, kDate);   // segment longer than the file
    EXPECT_EQ(read(jpegWithExif(tiff, 1)).taken, std::nullopt); // length below its own size
    Bytes twoSegments = jpegWithExif(tiff, 0);                  // a zero length ends the walk
    EXPECT_EQ(read(twoSegments).taken, std::nullopt);

    Bytes png = pngWith({{"tEXt", toBytes(std::string("a\0b", 3))}, {"eXIf", tiff}});
    EXPECT_EQ(read(png).taken, kDate);
    png[8 + 3] = 0xFF, png[8] = 0xFF; // the first chunk's length past the end
    EXPECT_EQ(read(png).taken, std::nullopt);

    // ImageMagick's hex text profiles: a sound one, a length beyond any cap, a bad hex digit, no length line.
    const auto rawXmp = [](const std::string& body) {
        return read(pngWith({{"tEXt", toBytes(std::string("Raw profile type xmp\0", 21) + body)}})).title;
    };
    std::string hex;
    for (const unsigned char c : xmpWithTitle({{"x-default", "Bridge"}})) {
        static constexpr char kDigits[] = "0123456789abcdef";
        hex += std::string{kDigits[c >> 4], kDigits[c & 15]} + (hex.size() % 72 == 70 ? "\n" : "");
    }
    const std::string declared = std::to_string(hex.size() / 2);
    EXPECT_EQ(rawXmp("\nxmp\n   " + declared + "\n" + hex), "Bridge");
    EXPECT_EQ(rawXmp("\nxmp\n   99999999999999999999999\n" + hex), "Bridge");
    EXPECT_EQ(rawXmp("\nxmp\n   " + declared + "\nzz" + hex), "");
    EXPECT_EQ(rawXmp("\nxmp"), "");

    // WebP: RIFF size, then chunks padded to even sizes; a chunk's size past the RIFF end is cut there.
    const auto webp = [&](std::uint32_t riffSize, std::uint32_t exifSize) {
        Bytes f = toBytes(std::string("RIFF\0\0\0\0WEBPVP8X", 16));
        f.insert(f.end(), {3, 0, 0, 0, 0, 0, 0}); // odd size: one pad byte follows
        f.push_back(0);
        f.insert(f.end(), {'E', 'X', 'I', 'F'});
        for (int i = 0; i < 4; ++i) f.push_back(static_cast<std::uint8_t>(exifSize >> (8 * i)));
        f.insert(f.end(), tiff.begin(), tiff.end());
        for (int i = 0; i < 4; ++i) f[4 + i] = static_cast<std::uint8_t>(riffSize >> (8 * i));
        return f;
    };
    const auto size = static_cast<std::uint32_t>(tiff.size());
    EXPECT_EQ(read(webp(size + 24, size)).taken, kDate);
    EXPECT_EQ(read(webp(0xFFFFFFFF, 0xFFFFFFF0)).taken, kDate);
    EXPECT_EQ(read(webp(20, size)).taken, std::nullopt);

    // Something that starts like HEIF but is not.
    EXPECT_EQ(read(toBytes(std::string("\0\0\0\x18"
                                       "ftypheic\0\0\0\0mif1heic\0\0\0\xff"
                                       "meta",
                                       32)))
                  .title,
              "");
    EXPECT_EQ(read({}).title, "");
}

// Load-ahead workers of several monitors read metadata at once (exiv2 keeps process-wide state); the
// ThreadSanitizer build checks the set-up and locking around it.
TEST(PhotoMetadataThreads, ConcurrentReadsAgree) {
    const Bytes file =
        pngWith({{"iTXt", pngXmp(xmpWithTitle({{"x-default", "Bridge"}}))}, {"eXIf", soundTiff().bytes()}});
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 200; ++i) {
                const PhotoMetadata m = read(file);
                if (m.title != "Bridge" || m.taken != kDate) ++wrong;
            }
        });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(wrong, 0);
}

} // namespace
} // namespace vorlin::gfx
