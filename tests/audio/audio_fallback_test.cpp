// Runs with SDL_AUDIODRIVER naming a driver that does not exist: the output must still open, on the
// dummy driver, so that a show goes on silently.
#include "platform/audio/audio_output.h"

#include <gtest/gtest.h>

#include <vector>

TEST(AudioFallback, AnUnusableDriverGivesWayToTheDummyDriver) {
    vorlin::audio::AudioOutput out(44100, 2);
    EXPECT_EQ(vorlin::audio::AudioOutput::driverName(), "dummy");
    std::vector<int16_t> silence(2 * 4410);
    EXPECT_TRUE(out.write(silence.data(), 4410));
    EXPECT_TRUE(out.drain());
    EXPECT_EQ(out.position(), 4410);
}
