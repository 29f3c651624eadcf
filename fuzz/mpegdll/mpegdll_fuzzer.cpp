// The MPEG audio library's player on arbitrary bytes, as the entries drive it: open (the decoder is
// chosen by content and libmpg123 scans the stream), the length and stream facts, a play from the start
// to the end on the WAV file device (the playing thread's decode loop), then a seek to the middle and a
// play from there. The decoders open paths, so the input lives in an anonymous memory file named through
// /proc/self/fd; the played PCM goes to another one.
#include "mpegdll/player.h"

#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

namespace {

int memoryFile(const char* name) {
    const int fd = memfd_create(name, MFD_CLOEXEC);
    if (fd < 0) __builtin_trap(); // the fuzzer cannot run without it
    return fd;
}

std::string procPath(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

bool putInput(int fd, const uint8_t* data, size_t size) {
    if (ftruncate(fd, 0) != 0) return false;
    size_t done = 0;
    while (done < size) {
        const ssize_t n = pwrite(fd, data + done, size - done, off_t(done));
        if (n <= 0) return false;
        done += size_t(n);
    }
    return true;
}

// The playing thread sets the end byte once the stream has played out or failed; -timeout catches a
// play that never ends.
void waitEnded(uint8_t& ended) {
    while (!std::atomic_ref<uint8_t>(ended).load())
        std::this_thread::sleep_for(std::chrono::microseconds(50));
}

// Facts a caller may divide by or show: a stream the player opened has them in range.
void checkFacts(const vorlin::mpegdll::Player& p) {
    if (p.frequency() <= 0) __builtin_trap();
    if (p.lengthMs() < 0) __builtin_trap();
    if (p.positionMs() < 0 || p.positionMs() > p.lengthMs()) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const int in = memoryFile("mpegdll-fuzz-in");
    static const int out = memoryFile("mpegdll-fuzz-out");
    static const std::string inPath = procPath(in), outPath = procPath(out);
    if (!putInput(in, data, size)) return 0;

    vorlin::mpegdll::Player p;
    if (p.open(inPath) != 0) return 0;
    checkFacts(p);
    (void)p.bitrate();
    (void)p.layer();
    if (p.setOutputDevice(2, outPath.c_str()) != 0) __builtin_trap();

    uint8_t ended = 0;
    if (p.play(0, 0, &ended) == 0) {
        waitEnded(ended);
        checkFacts(p);
    }
    const int32_t middle = p.lengthMs() / 2;
    if (p.seek(middle) == 0) {
        ended = 0;
        if (p.play(middle, 0, &ended) == 0) {
            waitEnded(ended);
            checkFacts(p);
        }
    }
    p.close();
    return 0;
}
