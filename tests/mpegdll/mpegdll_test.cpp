// The MPEG audio library checked from outside, as the program uses it: loaded by path with dlopen,
// its 19 entries resolved by name, and its output compared with libmpg123's own decode.
#include "mpegdll/mpegdll.h"

#include <gtest/gtest.h>
#include <mpg123.h>
#include <sndfile.h>

#include <atomic>
#include <chrono>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kData = VORLIN_TEST_DATA_DIR "/music/";

struct Lib {
    void* handle = nullptr;
    mpegdll_init_fn init;
    mpegdll_deinit_fn deinit;
    mpegdll_LastError_fn LastError;
    mpegdll_Open_fn Open;
    mpegdll_Close_fn Close;
    mpegdll_GetLength_fn GetLength;
    mpegdll_GetCurrentPos_fn GetCurrentPos;
    mpegdll_GetPlayerMode_fn GetPlayerMode;
    mpegdll_ResetPlayerMode_fn ResetPlayerMode;
    mpegdll_SetPriority_fn SetPriority;
    mpegdll_SetOutputDevice_fn SetOutputDevice;
    mpegdll_Play_fn Play;
    mpegdll_Stop_fn Stop;
    mpegdll_Pause_fn Pause;
    mpegdll_Restart_fn Restart;
    mpegdll_Seek_fn Seek;
    mpegdll_GetFrequency_fn GetFrequency;
    mpegdll_GetBitrate_fn GetBitrate;
    mpegdll_GetLayer_fn GetLayer;

    int32_t open(const std::string& name) {
        Open(name.c_str(), 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        return LastError();
    }
};

Lib& lib() {
    static Lib l = [] {
        Lib r;
        r.handle = dlopen(MPEGDLL_PATH, RTLD_NOW | RTLD_LOCAL);
        if (!r.handle) return r;
        auto get = [&](auto& fn, const char* name) {
            fn = reinterpret_cast<std::decay_t<decltype(fn)>>(dlsym(r.handle, name));
        };
        get(r.init, "init");
        get(r.deinit, "deinit");
        get(r.LastError, "LastError");
        get(r.Open, "Open");
        get(r.Close, "Close");
        get(r.GetLength, "GetLength");
        get(r.GetCurrentPos, "GetCurrentPos");
        get(r.GetPlayerMode, "GetPlayerMode");
        get(r.ResetPlayerMode, "ResetPlayerMode");
        get(r.SetPriority, "SetPriority");
        get(r.SetOutputDevice, "SetOutputDevice");
        get(r.Play, "Play");
        get(r.Stop, "Stop");
        get(r.Pause, "Pause");
        get(r.Restart, "Restart");
        get(r.Seek, "Seek");
        get(r.GetFrequency, "GetFrequency");
        get(r.GetBitrate, "GetBitrate");
        get(r.GetLayer, "GetLayer");
        return r;
    }();
    return l;
}

uint8_t readByte(uint8_t& b) {
    return std::atomic_ref<uint8_t>(b).load();
}

// Waits for the end byte; false after `seconds`.
bool waitEnded(uint8_t& ended, double seconds = 15) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!readByte(ended)) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

struct Pcm {
    int rate = 0, channels = 0;
    std::vector<int16_t> samples;
};

// libmpg123's own decode of a whole file, with its default settings.
Pcm mpg123Decode(const std::string& path) {
    Pcm p;
    mpg123_init();
    mpg123_handle* h = mpg123_new(nullptr, nullptr);
    mpg123_param(h, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    mpg123_format_none(h);
    const long* rates;
    size_t n;
    mpg123_rates(&rates, &n);
    for (size_t i = 0; i < n; ++i)
        mpg123_format(h, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_open(h, path.c_str()) == MPG123_OK) {
        long rate;
        int enc;
        mpg123_getformat(h, &rate, &p.channels, &enc);
        p.rate = int(rate);
        unsigned char buf[16384];
        size_t done = 0;
        int rc;
        while ((rc = mpg123_read(h, buf, sizeof buf, &done)) == MPG123_OK || rc == MPG123_NEW_FORMAT ||
               done > 0) {
            const auto* s = reinterpret_cast<const int16_t*>(buf);
            p.samples.insert(p.samples.end(), s, s + done / 2);
            if (rc != MPG123_OK && rc != MPG123_NEW_FORMAT) break;
        }
        mpg123_close(h);
    }
    mpg123_delete(h);
    return p;
}

Pcm readWav(const std::string& path) {
    Pcm p;
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f) return p;
    p.rate = info.samplerate;
    p.channels = info.channels;
    p.samples.resize(size_t(info.frames) * size_t(info.channels));
    sf_readf_short(f, p.samples.data(), info.frames);
    sf_close(f);
    return p;
}

fs::path tempDir() {
    const fs::path d = fs::temp_directory_path() / ("mpegdll_test_" + std::to_string(getpid()));
    fs::create_directories(d);
    return d;
}

void writeBytes(const fs::path& p, const std::vector<char>& bytes) {
    std::ofstream(p, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

std::vector<char> readBytes(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Removes the scratch folder when the run ends.
class ScratchCleanup : public ::testing::Environment {
public:
    void TearDown() override { fs::remove_all(tempDir()); }
};
const auto* const kCleanup = ::testing::AddGlobalTestEnvironment(new ScratchCleanup);

class MpegDll : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(lib().handle, nullptr) << dlerror();
        ASSERT_EQ(lib().init(), 1);
        ASSERT_LE(lib().LastError(), 0);
    }
    void TearDown() override {
        if (lib().handle) lib().Close();
    }
    // Plays `name` whole to a WAV file through device 2 and returns what the file holds.
    Pcm playToFile(const std::string& name, uint8_t& ended) {
        Lib& l = lib();
        const std::string out = (tempDir() / "out.wav").string();
        EXPECT_EQ(l.open(name), 0) << name;
        l.SetPriority(0);
        EXPECT_EQ(l.LastError(), 0);
        l.SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, out.c_str());
        EXPECT_EQ(l.LastError(), 0);
        EXPECT_EQ(l.Play(0, 0, &ended), 0);
        EXPECT_EQ(l.LastError(), 0);
        EXPECT_TRUE(waitEnded(ended)) << name;
        return readWav(out);
    }
};

TEST_F(MpegDll, ExportsAllNineteenEntries) {
    const char* names[] = {
        "init",          "deinit",        "LastError",       "Open",        "Close",           "GetLength",
        "GetCurrentPos", "GetPlayerMode", "ResetPlayerMode", "SetPriority", "SetOutputDevice", "Play",
        "Stop",          "Pause",         "Restart",         "Seek",        "GetFrequency",    "GetBitrate",
        "GetLayer"};
    for (const char* n : names) EXPECT_NE(dlsym(lib().handle, n), nullptr) << n;
}

// Device 2 writes exactly the samples libmpg123 decodes, for a stereo and a mono file.
TEST_F(MpegDll, PcmFileHoldsLibmpg123sOwnDecode) {
    for (const char* file : {"tone_1s_44k_stereo.mp3", "tone_half_22k_mono.mp3"}) {
        SCOPED_TRACE(file);
        const Pcm ref = mpg123Decode(kData + file);
        ASSERT_GT(ref.samples.size(), 1000u);
        uint8_t ended = 0;
        const Pcm got = playToFile(kData + file, ended);
        EXPECT_EQ(got.rate, ref.rate);
        EXPECT_EQ(got.channels, ref.channels);
        ASSERT_EQ(got.samples.size(), ref.samples.size());
        size_t differ = 0;
        while (differ < got.samples.size() && got.samples[differ] == ref.samples[differ]) ++differ;
        EXPECT_EQ(differ, got.samples.size()) << "first difference at sample " << differ;
        const int64_t frames = int64_t(ref.samples.size()) / ref.channels;
        EXPECT_EQ(lib().GetLength(), int32_t(frames * 1000 / ref.rate));
        EXPECT_EQ(lib().GetCurrentPos(), int32_t(frames * 1000 / ref.rate));
        EXPECT_EQ(lib().GetFrequency(), ref.rate);
        EXPECT_EQ(lib().GetLayer(), 3);
        EXPECT_EQ(lib().GetPlayerMode(), MPEGDLL_MODE_STOPPED);
        EXPECT_EQ(ended, 1);
        // Played again from the start, the stream decodes to the same samples.
        lib().Restart();
        ASSERT_EQ(lib().LastError(), 0);
        ASSERT_TRUE(waitEnded(ended));
        EXPECT_TRUE(readWav((tempDir() / "out.wav").string()).samples == ref.samples);
    }
}

// A WAV file named .mp3 is decoded by its content.
TEST_F(MpegDll, WavContentIsDecodedAsWav) {
    const fs::path named = tempDir() / "really_a_wav.mp3";
    fs::copy_file(kData + "tone_half_44k_stereo.wav", named, fs::copy_options::overwrite_existing);
    uint8_t ended = 0;
    const Pcm got = playToFile(named.string(), ended);
    const Pcm ref = readWav(kData + "tone_half_44k_stereo.wav");
    EXPECT_TRUE(got.samples == ref.samples);
    EXPECT_EQ(lib().GetLength(), 500);

    // MPEG audio inside a RIFF/WAVE file (format tag 0x55) decodes like the bare stream.
    const std::vector<char> mp3 = readBytes(kData + "tone_1s_44k_stereo.mp3");
    std::string riff = "RIFF....WAVEfmt ";
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) riff += char(v >> (8 * i));
    };
    auto put16 = [&](uint16_t v) {
        riff += char(v & 0xff);
        riff += char(v >> 8);
    };
    put32(16);
    put16(0x55);
    put16(2);
    put32(44100);
    put32(16000);
    put16(1);
    put16(0);
    riff += "data";
    put32(uint32_t(mp3.size()));
    riff.append(mp3.begin(), mp3.end());
    const uint32_t riffSize = uint32_t(riff.size() - 8);
    for (int i = 0; i < 4; ++i) riff[size_t(4 + i)] = char(riffSize >> (8 * i));
    const fs::path wrapped = tempDir() / "wrapped_mp3.wav";
    writeBytes(wrapped, std::vector<char>(riff.begin(), riff.end()));
    std::atomic_ref<uint8_t>(ended).store(0);
    const Pcm fromRiff = playToFile(wrapped.string(), ended);
    EXPECT_TRUE(fromRiff.samples == mpg123Decode(kData + "tone_1s_44k_stereo.mp3").samples);
}

// On the sound output: Play returns at once, the position advances, the end byte is set once.
TEST_F(MpegDll, PlaysOnTheSoundOutputAndSetsTheEndByteOnce) {
    Lib& l = lib();
    ASSERT_EQ(l.open(kData + "tone_half_22k_mono.mp3"), 0);
    const int32_t length = l.GetLength();
    EXPECT_NEAR(length, 500, 30);
    l.SetOutputDevice(MPEGDLL_DEVICE_WAVEMAPPER, "");
    uint8_t ended = 0;
    ASSERT_EQ(l.Play(0, 0, &ended), 0);
    EXPECT_EQ(l.GetPlayerMode(), MPEGDLL_MODE_PLAYING);
    int32_t last = 0;
    while (!readByte(ended)) {
        const int32_t pos = l.GetCurrentPos();
        EXPECT_EQ(l.LastError(), 0);
        EXPECT_GE(pos, last);
        EXPECT_LE(pos, length);
        last = pos;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ASSERT_LT(last, 100000);
    }
    EXPECT_EQ(l.GetCurrentPos(), length);
    EXPECT_EQ(l.GetPlayerMode(), MPEGDLL_MODE_STOPPED);
    std::atomic_ref<uint8_t>(ended).store(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(readByte(ended), 0) << "the end byte must be set only once per play";
    // Restart plays the stream again and reports its end again.
    l.Restart();
    EXPECT_EQ(l.LastError(), 0);
    EXPECT_TRUE(waitEnded(ended));
}

// Stop, Close and Open in cycles, stopping in the middle: no end byte for a stopped play.
TEST_F(MpegDll, StopCloseOpenCycles) {
    Lib& l = lib();
    for (int cycle = 0; cycle < 3; ++cycle) {
        ASSERT_EQ(l.open(kData + "tone_1s_44k_stereo.mp3"), 0);
        l.SetOutputDevice(MPEGDLL_DEVICE_WAVEMAPPER, "");
        uint8_t ended = 0;
        ASSERT_EQ(l.Play(0, 0, &ended), 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ASSERT_EQ(l.GetPlayerMode(), MPEGDLL_MODE_PLAYING);
        l.Stop();
        EXPECT_EQ(l.LastError(), 0);
        EXPECT_EQ(l.GetPlayerMode(), MPEGDLL_MODE_STOPPED);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(readByte(ended), 0);
        l.Close();
        EXPECT_EQ(l.LastError(), 0);
        EXPECT_EQ(l.GetPlayerMode(), MPEGDLL_MODE_CLOSED);
    }
    // Open while playing closes the playing stream first.
    uint8_t ended = 0;
    ASSERT_EQ(l.open(kData + "tone_1s_44k_stereo.mp3"), 0);
    ASSERT_EQ(l.Play(0, 0, &ended), 0);
    ASSERT_EQ(l.open(kData + "tone_half_22k_mono.mp3"), 0);
    EXPECT_EQ(l.GetPlayerMode(), MPEGDLL_MODE_STOPPED);
    EXPECT_EQ(l.GetFrequency(), 22050);
}

TEST_F(MpegDll, PauseHoldsThePosition) {
    Lib& l = lib();
    ASSERT_EQ(l.open(kData + "tone_1s_44k_stereo.mp3"), 0);
    uint8_t ended = 0;
    ASSERT_EQ(l.Play(0, 0, &ended), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    l.Pause(0);
    ASSERT_EQ(l.LastError(), 0);
    EXPECT_EQ(l.GetPlayerMode(), MPEGDLL_MODE_PAUSED);
    std::this_thread::sleep_for(std::chrono::milliseconds(100)); // the device's last buffer goes out
    const int32_t held = l.GetCurrentPos();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(l.GetCurrentPos(), held);
    l.Pause(1);
    EXPECT_EQ(l.LastError(), 0);
    EXPECT_TRUE(waitEnded(ended));
}

// Calls in the wrong state or with bad arguments fail with the documented codes.
TEST_F(MpegDll, WrongStateAndBadArgumentsReportErrors) {
    Lib& l = lib();
    uint8_t ended = 0;
    struct Row {
        const char* what;
        std::function<void()> call;
        int32_t error;
    };
    const std::string missingFolder = (tempDir() / "no" / "such" / "out.wav").string();
    const std::vector<Row> closed = {
        {"Play without a stream", [&] { EXPECT_NE(l.Play(0, 0, &ended), 0); }, MPEGDLL_ERR_MODE},
        {"GetLength without a stream", [&] { l.GetLength(); }, MPEGDLL_ERR_MODE},
        {"Stop without a stream", [&] { l.Stop(); }, MPEGDLL_ERR_MODE},
        {"Restart without a stream", [&] { l.Restart(); }, MPEGDLL_ERR_MODE},
        {"Pause without a stream", [&] { l.Pause(0); }, MPEGDLL_ERR_MODE},
        {"Open of a missing file", [&] { l.open("/no/such/file.mp3"); }, MPEGDLL_ERR_INPUT},
        {"Open in stream mode", [&] { l.Open(nullptr, 1, 0, 0, 0, 0, 0, 0, 0); }, MPEGDLL_ERR_INPUT},
        {"SetPriority out of the list", [&] { l.SetPriority(7); }, MPEGDLL_ERR_MODE},
        {"PCM file without a name", [&] { l.SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, ""); },
         MPEGDLL_ERR_OUTPUT},
        {"unknown device", [&] { l.SetOutputDevice(9, "x"); }, MPEGDLL_ERR_OUTPUT},
    };
    for (const Row& r : closed) {
        l.Close();
        r.call();
        EXPECT_EQ(l.LastError(), r.error) << r.what;
    }
    // A PCM file in a folder that does not exist: the output fails when play starts.
    ASSERT_EQ(l.open(kData + "tone_half_22k_mono.mp3"), 0);
    l.SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, missingFolder.c_str());
    EXPECT_NE(l.Play(0, 0, &ended), 0);
    EXPECT_EQ(l.LastError(), MPEGDLL_ERR_OUTPUT);
    l.SetOutputDevice(MPEGDLL_DEVICE_WAVEMAPPER, "");
    ASSERT_EQ(l.Play(0, 0, &ended), 0);
    EXPECT_NE(l.Play(0, 0, &ended), 0) << "a second Play while playing";
    EXPECT_EQ(l.LastError(), MPEGDLL_ERR_MODE);
    EXPECT_TRUE(waitEnded(ended));
}

// Damaged and foreign files: an error at Open, or a play that ends; never a crash or a hang.
TEST_F(MpegDll, BadFilesFailOrEndNeverHang) {
    const fs::path dir = tempDir();
    const std::vector<char> mp3 = readBytes(kData + "tone_1s_44k_stereo.mp3");
    std::vector<char> corrupt = mp3;
    std::mt19937 rng(7);
    for (size_t i = corrupt.size() / 4; i < corrupt.size() * 3 / 4; ++i) corrupt[i] = char(rng());
    std::vector<char> wavHead = readBytes(kData + "tone_half_44k_stereo.wav");
    wavHead.resize(100);
    const std::string text = "This is a text file, not an MPEG audio stream.\n";
    struct Row {
        const char* name;
        std::vector<char> bytes;
        bool mayOpen;
    };
    const std::vector<Row> rows = {
        {"empty.mp3", {}, false},
        {"text.mp3", std::vector<char>(text.begin(), text.end()), false},
        {"truncated.mp3", std::vector<char>(mp3.begin(), mp3.begin() + long(mp3.size() / 3)), true},
        {"head_only.mp3", std::vector<char>(mp3.begin(), mp3.begin() + 300), true},
        {"corrupt.mp3", corrupt, true},
        {"cut_wav.mp3", wavHead, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        writeBytes(dir / r.name, r.bytes);
        const int32_t err = lib().open((dir / r.name).string());
        if (err != 0) {
            EXPECT_EQ(err, MPEGDLL_ERR_INPUT);
            EXPECT_EQ(lib().GetPlayerMode(), MPEGDLL_MODE_CLOSED);
            continue;
        }
        EXPECT_TRUE(r.mayOpen);
        uint8_t ended = 0;
        lib().SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, (dir / "bad_out.wav").c_str());
        ASSERT_EQ(lib().Play(0, 0, &ended), 0);
        EXPECT_TRUE(waitEnded(ended));
        EXPECT_LE(lib().GetCurrentPos(), lib().GetLength());
    }
    // A truncated stream keeps the part that was there.
    ASSERT_EQ(lib().open((dir / "truncated.mp3").string()), 0);
    EXPECT_GT(lib().GetLength(), 100);
    EXPECT_LT(lib().GetLength(), 900);
}

// Found by fuzzing: a cut 22.05 kHz mono stream whose Info header claims 4294967295 frames, with a
// 48 kHz header among its bytes. libmpg123 took 48 kHz for the stream, so the 22.05 kHz frames needed a
// rate conversion, and it walked through every claimed frame while setting that up: one Open ran for
// minutes and reported 48 kHz. A claim the file's size cannot hold is now ignored, and the stream plays
// at the rate its first frames give.
TEST_F(MpegDll, InfoHeaderClaimingBillionsOfFramesIsIgnored) {
    const std::string name = VORLIN_TEST_DATA_DIR "/mpegdll/xing_claims_4g_frames_rate_change.mp3";
    ASSERT_EQ(lib().open(name), 0);
    EXPECT_EQ(lib().GetFrequency(), 22050);
    // 1467 bytes hold a few frames of 576 samples: well under a second.
    EXPECT_GT(lib().GetLength(), 0);
    EXPECT_LT(lib().GetLength(), 1000);
    uint8_t ended = 0;
    const Pcm pcm = playToFile(name, ended);
    EXPECT_EQ(pcm.rate, 22050);
    EXPECT_EQ(pcm.channels, 1);
    EXPECT_LE(lib().GetCurrentPos(), lib().GetLength());
}

// Found by fuzzing: a FLAC stream's header gives its total length, which libsndfile passes on; a total of
// 0 means "unknown" and comes back as the largest 64-bit count. Lengths beyond the entries' 32-bit
// milliseconds overflowed (a negative length, or undefined arithmetic); they now read as the largest
// length the entries can give, and the stream plays what it holds.
TEST_F(MpegDll, FlacClaimingAnEndlessLengthGivesTheLargestLength) {
    const fs::path dir = tempDir();
    const fs::path plain = dir / "plain.flac";
    constexpr int kFrames = 800;
    {
        SF_INFO info{};
        info.samplerate = 8000;
        info.channels = 1;
        info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
        SNDFILE* f = sf_open(plain.c_str(), SFM_WRITE, &info);
        ASSERT_NE(f, nullptr);
        std::vector<int16_t> ramp(kFrames);
        for (int i = 0; i < kFrames; ++i) ramp[size_t(i)] = int16_t((i % 40) * 500);
        sf_writef_short(f, ramp.data(), kFrames);
        sf_close(f);
    }
    const std::vector<char> flac = readBytes(plain.string());
    ASSERT_GT(flac.size(), 26u);
    // STREAMINFO follows "fLaC" and its 4-byte block header; the total is its 36 bits from bit 108.
    struct Row {
        const char* name;
        uint8_t fill;
    } rows[] = {{"unknown.flac", 0x00}, {"99days.flac", 0xFF}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        std::vector<char> bytes = flac;
        char* total = bytes.data() + 8 + 13;
        total[0] = char((uint8_t(total[0]) & 0xF0) | (r.fill & 0x0F));
        for (int i = 1; i <= 4; ++i) total[i] = char(r.fill);
        writeBytes(dir / r.name, bytes);
        ASSERT_EQ(lib().open((dir / r.name).string()), 0);
        EXPECT_EQ(lib().GetLength(), INT32_MAX);
        uint8_t ended = 0;
        const Pcm pcm = playToFile((dir / r.name).string(), ended);
        EXPECT_EQ(pcm.samples.size(), size_t(kFrames));
        EXPECT_EQ(lib().GetCurrentPos(), kFrames * 1000 / 8000);
    }
}

} // namespace
