#include "music/mci/mci_player.h"

#include "../lib/test_files.h"

#include "main_queue.h"
#include "platform/audio/audio_output.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using vorlin::music::MciError;
using vorlin::music::MciPlayer;
using Notify = MciPlayer::Notify;
using Mode = MciPlayer::Mode;

namespace {

const std::string kData = VORLIN_TEST_DATA_DIR "/music/";

std::vector<char> readBytes(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Mci : public ::testing::Test {
protected:
    void SetUp() override {
        player_.setOnNotify([this](MciPlayer& sender, Notify result) {
            EXPECT_EQ(&sender, &player_);
            notes_.push_back(result);
        });
    }

    std::string write(const std::string& name, const std::vector<char>& bytes) {
        const fs::path p = dir_ / name;
        std::ofstream(p, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
        return p.string();
    }
    bool waitNotes(size_t n, double seconds = 20) {
        return queue_.runUntil([&] { return notes_.size() >= n; }, seconds);
    }

    vorlin::testing::TempDir tmp_;
    fs::path dir_ = tmp_.path();
    MainQueue queue_;
    std::vector<Notify> notes_;
    MciPlayer player_{[this](std::function<void()> fn) { queue_.post(std::move(fn)); }};
};

TEST_F(Mci, WavPlayedToItsEndNotifiesExactlyOnce) {
    for (const char* file : {"tone_half_44k_stereo.wav", "tone_half_11k_mono.wav"}) {
        SCOPED_TRACE(file);
        notes_.clear();
        player_.open(kData + file);
        EXPECT_GT(player_.deviceId(), 0u);
        EXPECT_EQ(player_.mode(), Mode::Stopped);
        player_.play();
        EXPECT_EQ(player_.mode(), Mode::Playing);
        ASSERT_TRUE(waitNotes(1));
        EXPECT_EQ(notes_, std::vector<Notify>{Notify::Successful});
        EXPECT_EQ(player_.mode(), Mode::Stopped);
        queue_.runFor(0.3);
        EXPECT_EQ(notes_.size(), 1u);
    }
}

TEST_F(Mci, StoppedMidiStillNotifiesAborted) {
    player_.open(kData + "scale.mid");
    player_.play();
    queue_.runFor(0.2);
    EXPECT_TRUE(notes_.empty());
    EXPECT_EQ(player_.mode(), Mode::Playing);
    player_.stop();
    EXPECT_EQ(player_.mode(), Mode::Stopped);
    ASSERT_TRUE(waitNotes(1));
    EXPECT_EQ(notes_, std::vector<Notify>{Notify::Aborted});
    queue_.runFor(0.2);
    EXPECT_EQ(notes_.size(), 1u);
    // The stopped MIDI goes on from where it stopped and plays to its end.
    player_.play();
    ASSERT_TRUE(waitNotes(2));
    EXPECT_EQ(notes_.back(), Notify::Successful);
}

// Every way of cutting a play short notifies once; a second play while playing supersedes the first.
TEST_F(Mci, EveryPlayEndsInExactlyOneNotification) {
    player_.open(kData + "tone_half_44k_stereo.wav");
    player_.play();
    player_.close();
    EXPECT_EQ(player_.deviceId(), 0u);
    ASSERT_TRUE(waitNotes(1));
    EXPECT_EQ(notes_.back(), Notify::Aborted);

    player_.open(kData + "tone_half_44k_stereo.wav");
    player_.play();
    player_.open(kData + "tone_half_11k_mono.wav"); // an open closes what plays
    ASSERT_TRUE(waitNotes(2));
    EXPECT_EQ(notes_.back(), Notify::Aborted);

    player_.play();
    player_.play();
    ASSERT_TRUE(waitNotes(4));
    EXPECT_EQ(notes_[2], Notify::Superseded);
    EXPECT_EQ(notes_[3], Notify::Successful);

    // Opened but never played: closing sends nothing.
    player_.open(kData + "tone_half_11k_mono.wav");
    player_.close();
    queue_.runFor(0.2);
    EXPECT_EQ(notes_.size(), 4u);
}

TEST_F(Mci, DeviceIdentifiersAreNewForEveryOpen) {
    player_.open(kData + "tone_half_11k_mono.wav");
    const uint32_t first = player_.deviceId();
    player_.open(kData + "scale.mid");
    EXPECT_GT(player_.deviceId(), first);
    EXPECT_EQ(player_.fileName(), kData + "scale.mid");
}

TEST_F(Mci, CommandsWithoutADeviceRaiseNoDeviceOpen) {
    auto expectNoDevice = [](const std::function<void()>& fn) {
        try {
            fn();
            ADD_FAILURE() << "no error";
        } catch (const MciError& e) {
            EXPECT_STREQ(e.what(), "No MCI device open");
        }
    };
    expectNoDevice([&] { player_.play(); });
    expectNoDevice([&] { player_.stop(); });
    expectNoDevice([&] { (void)player_.mode(); });
    EXPECT_NO_THROW(player_.close());
    player_.open(kData + "tone_half_11k_mono.wav");
    player_.close();
    expectNoDevice([&] { player_.play(); });
}

TEST(MciErrorText, KnownCodesHaveTextsOthersAreUnknown) {
    EXPECT_EQ(vorlin::music::mciErrorText(12345), "Unknown error code");
    EXPECT_EQ(vorlin::music::mciErrorText(0), "Unknown error code");
    for (uint32_t code : {257u, 262u, 266u, 273u, 275u, 296u})
        EXPECT_NE(vorlin::music::mciErrorText(code), "Unknown error code") << code;
}

// Files MCI cannot open raise an error with MCI's text, and no notification follows.
TEST_F(Mci, FilesThatCannotOpenRaiseMciErrors) {
    const std::vector<char> wav = readBytes(kData + "tone_half_44k_stereo.wav");
    const std::vector<char> mid = readBytes(kData + "scale.mid");
    const std::string text = "just some words\n";
    struct Row {
        std::string name;
        std::vector<char> bytes;
        uint32_t code;
    };
    std::vector<char> cutMidi(mid.begin(), mid.end() - 10);
    std::vector<char> badHeader = mid;
    badHeader[7] = 2; // header length 2: too short
    std::vector<char> noTracks = mid;
    noTracks[11] = 0;
    const std::vector<Row> rows = {
        {"empty.wav", {}, vorlin::music::MCIERR_INVALID_FILE},
        {"text.wav", {text.begin(), text.end()}, vorlin::music::MCIERR_INVALID_FILE},
        {"header_only.wav", {wav.begin(), wav.begin() + 20}, vorlin::music::MCIERR_INVALID_FILE},
        {"empty.mid", {}, vorlin::music::MCIERR_INVALID_FILE},
        {"text.mid", {text.begin(), text.end()}, vorlin::music::MCIERR_INVALID_FILE},
        {"cut.mid", cutMidi, vorlin::music::MCIERR_INVALID_FILE},
        {"bad_header.mid", badHeader, vorlin::music::MCIERR_INVALID_FILE},
        {"no_tracks.mid", noTracks, vorlin::music::MCIERR_INVALID_FILE},
        {"text.xyz", {text.begin(), text.end()}, vorlin::music::MCIERR_EXTENSION_NOT_FOUND},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        try {
            player_.open(write(r.name, r.bytes));
            ADD_FAILURE() << "opened";
        } catch (const MciError& e) {
            EXPECT_EQ(e.code(), r.code);
            EXPECT_EQ(e.what(), vorlin::music::mciErrorText(r.code));
        }
        EXPECT_EQ(player_.deviceId(), 0u);
    }
    try {
        player_.open((dir_ / "missing.wav").string());
        ADD_FAILURE() << "opened";
    } catch (const MciError& e) {
        EXPECT_EQ(e.code(), vorlin::music::MCIERR_FILE_NOT_FOUND);
    }
    queue_.runFor(0.1);
    EXPECT_TRUE(notes_.empty());
}

// Damaged files that still open play what they hold and end; content decides the device.
TEST_F(Mci, DamagedButReadableFilesPlayAndEnd) {
    const std::vector<char> wav = readBytes(kData + "tone_half_44k_stereo.wav");
    const std::vector<char> mid = readBytes(kData + "scale.mid");
    std::vector<char> scrambledEvents = mid;
    std::mt19937 rng(3);
    for (size_t i = 22; i < scrambledEvents.size(); ++i) scrambledEvents[i] = char(rng());
    std::vector<char> scrambledWav = wav;
    for (size_t i = 44; i < scrambledWav.size(); i += 3) scrambledWav[i] = char(rng());
    const std::vector<std::pair<std::string, std::vector<char>>> rows = {
        {"cut_data.wav", {wav.begin(), wav.begin() + long(wav.size() / 3)}},
        {"scrambled_samples.wav", scrambledWav},
        {"scrambled_events.mid", scrambledEvents},
        {"midi_named.wav", mid},
        {"wave_named.mid", wav},
    };
    size_t expected = 0;
    for (const auto& [name, bytes] : rows) {
        SCOPED_TRACE(name);
        player_.open(write(name, bytes));
        player_.play();
        ASSERT_TRUE(waitNotes(++expected)) << "no end";
        EXPECT_EQ(notes_.back(), Notify::Successful);
    }
}

TEST_F(Mci, DestroyedPlayerDropsItsPendingNotification) {
    MainQueue queue;
    int calls = 0;
    {
        MciPlayer p([&](std::function<void()> fn) { queue.post(std::move(fn)); });
        p.setOnNotify([&](MciPlayer&, Notify) { ++calls; });
        p.open(kData + "scale.mid");
        p.play();
    }
    queue.runFor(0.2);
    EXPECT_EQ(calls, 0);
}

} // namespace

namespace {

// The dummy driver opens one device at a time: a play that cannot get the output ends in Failure
// instead of taking the program down, and plays again once the output is free.
TEST_F(Mci, PlayWithoutAFreeOutputNotifiesFailure) {
    auto holder = std::make_unique<vorlin::audio::AudioOutput>(44100, 2);
    std::vector<int16_t> silence(2 * 441);
    ASSERT_TRUE(holder->write(silence.data(), 441)); // holds the device until drained or destroyed
    player_.open(kData + "tone_half_11k_mono.wav");
    player_.play();
    ASSERT_TRUE(waitNotes(1));
    EXPECT_EQ(notes_.back(), Notify::Failure);
    EXPECT_EQ(player_.mode(), Mode::Stopped);
    holder.reset();
    player_.play();
    ASSERT_TRUE(waitNotes(2));
    EXPECT_EQ(notes_.back(), Notify::Successful);
}

} // namespace
