// Broken and hostile metafiles: each must give a PictureError or a (partial) picture, never a crash, a
// hang or a giant allocation (the sanitizer builds run these too). Every hand-built file draws a red
// square before its bad record and a blue one after it: a record that is merely bad is skipped (blue
// drawn), broken framing ends playback (blue missing), and the red one shows the picture so far is kept.

#include "builder.h"

#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <functional>
#include <iterator>

using namespace metafile_test;
using vorlin::gfx::DecodedPicture;
using vorlin::gfx::MetafileLimits;
using vorlin::gfx::PictureError;

namespace {

enum class Outcome { Error, Skipped, Stopped };

struct Hostile {
    const char* name;
    Bytes bytes;
    Outcome outcome;
    bool paintsAll = false; // the bad record itself may cover the whole picture
};

// An EMF with the red square, the bad part written by `bad`, then the blue square.
Bytes guardedEmf(const std::function<void(Emf&)>& bad, int w = 96, int h = 48) {
    Emf e(w, h);
    emfNoPen(e);
    emfBrush(e, 1, kSolid, 0x0000FF);
    e.rec(43, {0, 0, 24, 24});
    bad(e);
    emfNoPen(e);
    emfBrush(e, 2, kSolid, 0xFF0000);
    e.rec(43, {48, 0, 72, 24});
    return e.finish();
}

// The same for WMF (placeable, 96 × 48 pixels at 96 units per inch).
Bytes guardedWmf(const std::function<void(Wmf&)>& bad, int w = 96, int h = 48, int inch = 96) {
    Wmf m(w, h, inch, 4);
    m.rec(0x02FA, {5, 0, 0, 0, 0}).rec(0x012D, {0});   // null pen in slot 0
    m.rec(0x02FC, {0, 0x00FF, 0, 0}).rec(0x012D, {1}); // red brush in slot 1
    m.rec(0x041B, {24, 24, 0, 0});
    bad(m);
    m.rec(0x01F0, {1}).rec(0x02FC, {0, 0, 0x00FF, 0}).rec(0x012D, {1}); // blue brush
    m.rec(0x041B, {24, 72, 0, 48});
    return m.finish();
}

// Appends a record with the given type and declared size (which may lie) and body words.
void lyingEmfRecord(Emf& e, std::uint32_t type, std::uint32_t size,
                    std::initializer_list<std::uint32_t> body) {
    put32(e.bytes, type);
    put32(e.bytes, size);
    for (std::uint32_t v : body) put32(e.bytes, v);
}

// STRETCHDIBITS onto (30, 30, 10, 10) with the given BITMAPINFO bytes and pixel bytes, offsets as given.
void stretchDib(Emf& e, const Bytes& bmi, const Bytes& bits, std::uint32_t offBmi = 80,
                std::uint32_t offBits = 0, std::uint32_t cbBits = 0) {
    Bytes body;
    for (std::uint32_t v : {0u, 0u, 95u, 47u, 30u, 30u, 0u, 0u, 2u, 2u}) put32(body, v);
    put32(body, offBmi);
    put32(body, static_cast<std::uint32_t>(bmi.size()));
    put32(body, offBits ? offBits : static_cast<std::uint32_t>(80 + bmi.size()));
    put32(body, cbBits ? cbBits : static_cast<std::uint32_t>(bits.size()));
    for (std::uint32_t v : {0u, 0xCC0020u, 10u, 10u}) put32(body, v);
    body.insert(body.end(), bmi.begin(), bmi.end());
    body.insert(body.end(), bits.begin(), bits.end());
    e.raw(81, body);
}

Bytes dibHeader(std::int32_t w, std::int32_t h, int bpp, std::uint32_t size = 40) {
    Bytes b = dib(1, 1, 24, {}, {});
    set32(b, 0, size);
    set32(b, 4, static_cast<std::uint32_t>(w));
    set32(b, 8, static_cast<std::uint32_t>(h));
    b[14] = static_cast<std::uint8_t>(bpp);
    return b;
}

std::vector<Hostile> hostileFiles() {
    std::vector<Hostile> v;
    auto emf = [&](const char* n, Outcome o, std::function<void(Emf&)> f, bool all = false) {
        v.push_back({n, guardedEmf(f), o, all});
    };
    auto wmf = [&](const char* n, Outcome o, std::function<void(Wmf&)> f) {
        v.push_back({n, guardedWmf(f), o});
    };

    emf("emf_record_size_zero", Outcome::Stopped, [](Emf& e) { lyingEmfRecord(e, 43, 0, {0, 0, 5, 5}); });
    emf("emf_record_size_unaligned", Outcome::Stopped, [](Emf& e) {
        lyingEmfRecord(e, 43, 10, {0, 0, 5, 5});
    });
    emf("emf_record_past_the_end", Outcome::Stopped, [](Emf& e) {
        lyingEmfRecord(e, 43, 0x7FFFFFF0u, {0, 0, 5, 5});
    });
    emf("emf_record_too_short_for_its_type", Outcome::Skipped, [](Emf& e) { e.rec(43, {1, 2}); });
    emf("emf_polygon_count_beyond_record", Outcome::Skipped, [](Emf& e) {
        e.rec(3, {0, 0, 9, 9, 0x40000000, 1, 1, 5, 5, 9, 1});
    });
    emf("emf_polypolygon_counts_exceed_total", Outcome::Skipped, [](Emf& e) {
        e.rec(8, {0, 0, 9, 9, 2, 3, 3, 0xFFFFFFFF, 1, 1, 5, 5, 9, 1});
    });
    emf(
        "emf_huge_coordinates", Outcome::Skipped,
        [](Emf& e) {
            e.rec(43, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}).rec(42, {INT_MIN, INT_MIN, INT_MAX, INT_MAX});
            e.rec(47, {INT_MIN, 0, INT_MAX, 5, INT_MAX, 0, 0, INT_MIN});
        },
        true);
    emf(
        "emf_huge_pen", Outcome::Skipped,
        [](Emf& e) {
            e.rec(38, {7, 0, 0x7FFFFFFF, 0, 0}).rec(37, {7}).rec(27, {0, 0}).rec(54, {INT_MAX, INT_MAX});
        },
        true);
    emf("emf_thin_line_far_beyond_the_picture", Outcome::Skipped, [](Emf& e) {
        e.rec(37, {0x80000007}).rec(27, {-100000000, 30}).rec(54, {100000000, 31});
    });
    emf("emf_degenerate_mapping", Outcome::Skipped, [](Emf& e) {
        e.rec(17, {8}).rec(9, {0, 0}).rec(11, {INT_MAX, INT_MIN}).rec(43, {0, 0, 5, 5}).rec(17, {1});
        e.rec(35, {0x7F800000, 0, 0, 0x7FC00000, 0, 0}); // infinite and NaN world transform
    });
    emf("emf_nested_emf_in_comment", Outcome::Skipped, [](Emf& e) {
        // A complete EMF that would paint the whole picture green, inside a GDI comment.
        Emf inner(96, 48);
        emfBrush(inner, 1, kSolid, 0x00FF00);
        inner.rec(43, {0, 0, 96, 48});
        const Bytes in = inner.finish();
        Bytes body;
        put32(body, static_cast<std::uint32_t>(in.size() + 8));
        put32(body, 0x43494447); // "GDIC"
        put32(body, 0x80000001); // EMR_COMMENT_EMFSPOOL-like public comment with an embedded metafile
        body.insert(body.end(), in.begin(), in.end());
        e.raw(70, body);
    });
    emf("emf_dib_width_huge", Outcome::Skipped,
        [](Emf& e) { stretchDib(e, dibHeader(0x7FFFFFFF, 2, 24), Bytes(16)); });
    emf("emf_dib_height_int_min", Outcome::Skipped,
        [](Emf& e) { stretchDib(e, dibHeader(2, INT_MIN, 24), Bytes(16)); });
    emf("emf_dib_bad_depth", Outcome::Skipped, [](Emf& e) { stretchDib(e, dibHeader(2, 2, 7), Bytes(16)); });
    emf("emf_dib_header_size_huge", Outcome::Skipped,
        [](Emf& e) { stretchDib(e, dibHeader(2, 2, 24, 0xFFFFFFF0u), Bytes(16)); });
    emf("emf_dib_bits_short", Outcome::Skipped,
        [](Emf& e) { stretchDib(e, dibHeader(64, 64, 24), Bytes(16)); });
    emf("emf_dib_offsets_outside", Outcome::Skipped,
        [](Emf& e) { stretchDib(e, dibHeader(2, 2, 24), Bytes(16), 0xFFFFFFF0u, 0xFFFFFFF0u, 0x100); });
    emf("emf_bad_handles_and_states", Outcome::Skipped, [](Emf& e) {
        e.rec(37, {0xFFFFFFFF}).rec(37, {0x7FFFFFFF}).rec(38, {0xFFFFFFFF, 0, 1, 0, 0}).rec(40, {12345});
        e.rec(34, {-1000}).rec(34, {1000});
        for (int i = 0; i < 5000; ++i) e.rec(33, {});
    });
    emf("emf_text_huge_font_and_count", Outcome::Skipped, [](Emf& e) {
        Bytes font;
        put32(font, 9);
        put32(font, 0x80000000u); // height INT_MIN
        while (font.size() < 324) font.push_back(0);
        e.raw(82, font).rec(37, {9});
        e.rec(84, {0, 0, 0, 0, 1, 0, 0, 10, 30, 2, 76, 0, 0, 0, 0, 0, 0, 0x00480048});
        e.rec(84, {0, 0, 0, 0, 1, 0, 0, 10, 30, 0x7FFFFFFF, 76, 0, 0, 0, 0, 0, 0, 0x00480048});
    });
    emf("emf_clip_region_lies", Outcome::Skipped, [](Emf& e) {
        e.rec(75, {0xFFFFFF00u, 1, 32, 1, 0x7FFFFFFF, 16, 0, 0, 5, 5});
        e.rec(75, {48, 1, 32, 1, 0x7FFFFFFF, 16, 0, 0, 5, 5, 0, 0});
    });

    wmf("wmf_record_size_zero", Outcome::Stopped, [](Wmf& m) {
        put32(m.bytes, 0);
        put16(m.bytes, 0x041B);
    });
    wmf("wmf_record_past_the_end", Outcome::Stopped, [](Wmf& m) {
        put32(m.bytes, 0x7FFFFFFF);
        put16(m.bytes, 0x041B);
    });
    wmf("wmf_polygon_count_beyond_record", Outcome::Skipped, [](Wmf& m) {
        m.rec(0x0324, {30000, 1, 1, 5, 5});
    });
    wmf("wmf_polypolygon_counts_beyond_record", Outcome::Skipped, [](Wmf& m) {
        m.rec(0x0538, {2, 3, 60000, 1, 1, 5, 5, 9, 1});
    });
    wmf("wmf_short_records", Outcome::Skipped, [](Wmf& m) {
        for (std::uint16_t fn : {0x041B, 0x0418, 0x0817, 0x0A32, 0x0521, 0x0F43, 0x02FB, 0x06FF, 0x0201})
            m.rec(fn, {1});
    });
    wmf("wmf_object_indexes_beyond_table", Outcome::Skipped, [](Wmf& m) {
        m.rec(0x012D, {60000}).rec(0x01F0, {65535}).rec(0x012C, {40000}).rec(0x0228, {9999, 9999});
    });
    wmf("wmf_embedded_emf_escape", Outcome::Skipped, [](Wmf& m) {
        Emf inner(96, 48);
        emfBrush(inner, 1, kSolid, 0x00FF00);
        inner.rec(43, {0, 0, 96, 48});
        Bytes params;
        put16(params, 15); // MFCOMMENT
        const Bytes in = inner.finish();
        put16(params, static_cast<std::uint16_t>(in.size()));
        params.insert(params.end(), in.begin(), in.end());
        m.raw(0x0626, params);
    });
    wmf("wmf_dib_bad_headers", Outcome::Skipped, [](Wmf& m) {
        for (const Bytes& h : {dibHeader(0x7FFFFFFF, 2, 24), dibHeader(2, 2, 3), dibHeader(200, 200, 32)}) {
            Bytes params;
            for (int v : {0x0020, 0xCC, 0, 2, 2, 0, 0, 10, 10, 30, 30})
                put16(params, static_cast<std::uint16_t>(v));
            params.insert(params.end(), h.begin(), h.end());
            m.raw(0x0F43, params);
        }
    });
    wmf("wmf_huge_text", Outcome::Skipped, [](Wmf& m) {
        m.rec(0x02FB, {-32768, 0, 0, 0, 400, 0, 0, 0, 0}).rec(0x012D, {2});
        m.rec(0x0A32, {20, 20, 2, 0, 0x4848});
        m.rec(0x0A32, {20, 20, 30000, 0, 0x4848});
    });

    v.push_back(
        {"emf_frame_huge", guardedEmf([](Emf& e) { set32(e.bytes, 32, 0x7FFFFFFF); }), Outcome::Error});
    v.push_back({"emf_no_frame_bounds_huge", guardedEmf([](Emf& e) {
                     set32(e.bytes, 32, 0);
                     set32(e.bytes, 16, 0x7FFFFFFF);
                 }),
                 Outcome::Error});
    v.push_back({"emf_header_size_beyond_file", guardedEmf([](Emf& e) { set32(e.bytes, 4, 0x10000); }),
                 Outcome::Error});
    v.push_back({"wmf_bbox_huge", guardedWmf([](Wmf&) {}, 32767, 32767, 1), Outcome::Error});
    v.push_back({"wmf_plain_window_huge", Wmf().rec(0x020C, {32767, 32767}).finish(), Outcome::Error});
    v.push_back({"wmf_plain_window_zero", Wmf().rec(0x020C, {0, 0}).finish(), Outcome::Error});
    v.push_back({"not_a_metafile", Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0}, Outcome::Error});
    auto head = [](Bytes b, std::size_t n) {
        return Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(n));
    };
    v.push_back({"wmf_header_cut", head(guardedWmf([](Wmf&) {}), 30), Outcome::Error});
    v.push_back({"emf_header_cut", head(guardedEmf([](Emf&) {}), 60), Outcome::Error});
    return v;
}

class HostileFile : public testing::TestWithParam<Hostile> {};

TEST_P(HostileFile, ErrorOrPartialPicture) {
    const Hostile& h = GetParam();
    if (h.outcome == Outcome::Error) {
        EXPECT_THROW(decode(h.bytes), PictureError);
        return;
    }
    const DecodedPicture p = decode(h.bytes);
    ASSERT_EQ(p.pixels.width(), 96);
    ASSERT_EQ(p.pixels.height(), 48);
    EXPECT_TRUE(painted(p, 10, 10)) << "what came before the bad record stays";
    EXPECT_EQ(painted(p, 60, 10), h.outcome == Outcome::Skipped);
    if (!h.paintsAll) {
        EXPECT_FALSE(painted(p, 60, 40)) << "nothing else (nested pictures included) was drawn";
    }
}

INSTANTIATE_TEST_SUITE_P(Files, HostileFile, testing::ValuesIn(hostileFiles()),
                         [](const auto& info) { return std::string(info.param.name); });

Bytes readFile(const std::string& name) {
    std::ifstream in(std::string(VORLIN_TEST_DATA_DIR) + "/metafiles/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

TEST(Truncated, EveryCutGivesAnErrorOrThePictureSoFar) {
    for (const char* name :
         {"drawing-text.emf", "drawing-text.wmf", "drawing-paths.emf", "drawing-paths.wmf"}) {
        SCOPED_TRACE(name);
        const Bytes whole = readFile(name);
        ASSERT_GT(whole.size(), 1000u);
        const DecodedPicture full = decode(whole);
        for (std::size_t cut = 0; cut < whole.size(); cut += 61) {
            const Bytes part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
            try {
                const DecodedPicture p = decode(part);
                EXPECT_EQ(p.pixels.width(), full.pixels.width()) << "cut at " << cut;
                // The red rectangle comes first in the file: once the cut is past the middle it is there.
                if (cut > whole.size() / 2) {
                    EXPECT_TRUE(painted(p, 50, 40)) << "cut at " << cut;
                }
            } catch (const PictureError&) {
                EXPECT_LT(cut, 200u) << "only a cut header is an error";
            }
        }
    }
}

TEST(WorkBudget, EndsAFloodOfFullPictureFillsEarly) {
    Emf e(960, 960);
    emfBrush(e, 1, kSolid, 0x0000FF);
    for (int i = 0; i < 3000; ++i) e.rec(43, {0, 0, 960, 960});
    MetafileLimits limits;
    limits.workBudget = 5'000'000; // about five fills
    const DecodedPicture p = decode(e.finish(), limits);
    EXPECT_TRUE(painted(p, 480, 480));
}

TEST(Errors, NameTheFile) {
    try {
        vorlin::gfx::decodeMetafile("/nonexistent/folder/picture.wmf");
        FAIL() << "no error";
    } catch (const PictureError& e) {
        EXPECT_NE(std::string(e.what()).find("/nonexistent/folder/picture.wmf"), std::string::npos);
    }
    try {
        decode(Bytes{1, 2, 3});
        FAIL() << "no error";
    } catch (const PictureError& e) {
        EXPECT_NE(std::string(e.what()).find("test.emf"), std::string::npos);
    }
}

} // namespace
