// The library's exported entries: one process-wide player behind a lock, and the last call's error.
#include "mpegdll/mpegdll.h"
#include "mpegdll/player.h"

#include <atomic>
#include <mutex>

namespace {

using vorlin::mpegdll::Player;

std::mutex g_mutex;
Player* g_player = nullptr; // created by init, kept until the process ends (the library is never unloaded)
std::atomic<int32_t> g_lastError{0};

// Runs `fn` on the player under the lock; records its error code. Without init: "Incorrect mode".
template <class Fn> int32_t call(Fn fn) {
    std::lock_guard lock(g_mutex);
    if (!g_player) {
        g_lastError.store(MPEGDLL_ERR_MODE);
        return 0;
    }
    int32_t result = 0;
    int err = MPEGDLL_OK;
    try {
        err = fn(*g_player, result);
    } catch (...) {
        err = MPEGDLL_ERR_DECODER; // nothing may cross the C boundary
    }
    g_lastError.store(err);
    return result;
}

} // namespace

extern "C" {

int32_t init(void) {
    std::lock_guard lock(g_mutex);
    if (!g_player) g_player = new (std::nothrow) Player;
    g_lastError.store(g_player ? MPEGDLL_OK : MPEGDLL_ERR_DECODER);
    return g_player ? 1 : 0;
}

int32_t deinit(void) {
    return call([](Player& p, int32_t&) { return p.close(); });
}

int32_t LastError(void) {
    return g_lastError.load();
}

int32_t Open(const char* name, int32_t mode, void*, void*, void*, void*, void*, void*, void*) {
    return call([&](Player& p, int32_t&) {
        if (mode != 0 || !name || !*name) return int(MPEGDLL_ERR_INPUT);
        return p.open(name);
    });
}

int32_t Close(void) {
    return call([](Player& p, int32_t&) { return p.close(); });
}

int32_t GetLength(void) {
    return call([](Player& p, int32_t& r) {
        if (p.mode() == MPEGDLL_MODE_CLOSED) return int(MPEGDLL_ERR_MODE);
        r = p.lengthMs();
        return int(MPEGDLL_OK);
    });
}

int32_t GetCurrentPos(void) {
    return call([](Player& p, int32_t& r) {
        if (p.mode() == MPEGDLL_MODE_CLOSED) return int(MPEGDLL_ERR_MODE);
        r = p.positionMs();
        return int(MPEGDLL_OK);
    });
}

int32_t GetPlayerMode(void) {
    return call([](Player& p, int32_t& r) {
        r = p.mode();
        return int(MPEGDLL_OK);
    });
}

int32_t ResetPlayerMode(void) {
    return call([](Player& p, int32_t&) { return p.resetMode(); });
}

int32_t SetPriority(int32_t priority) {
    return call([&](Player& p, int32_t&) { return p.setPriority(priority); });
}

int32_t SetOutputDevice(int32_t device, const char* name) {
    return call([&](Player& p, int32_t&) { return p.setOutputDevice(device, name); });
}

int32_t Play(int32_t startMs, int32_t endMs, uint8_t* ended) {
    return call([&](Player& p, int32_t& r) {
        const int err = p.play(startMs, endMs, ended);
        r = err == MPEGDLL_OK ? 0 : 1;
        return err;
    });
}

int32_t Stop(void) {
    return call([](Player& p, int32_t&) { return p.stop(); });
}

int32_t Pause(int32_t resume) {
    return call([&](Player& p, int32_t&) { return p.pause(resume == 0); });
}

int32_t Restart(void) {
    return call([](Player& p, int32_t&) { return p.restart(); });
}

int32_t Seek(int32_t ms) {
    return call([&](Player& p, int32_t&) { return p.seek(ms); });
}

int32_t GetFrequency(void) {
    return call([](Player& p, int32_t& r) {
        r = p.frequency();
        return p.mode() == MPEGDLL_MODE_CLOSED ? int(MPEGDLL_ERR_MODE) : int(MPEGDLL_OK);
    });
}

int32_t GetBitrate(void) {
    return call([](Player& p, int32_t& r) {
        r = p.bitrate();
        return p.mode() == MPEGDLL_MODE_CLOSED ? int(MPEGDLL_ERR_MODE) : int(MPEGDLL_OK);
    });
}

int32_t GetLayer(void) {
    return call([](Player& p, int32_t& r) {
        r = p.layer();
        return p.mode() == MPEGDLL_MODE_CLOSED ? int(MPEGDLL_ERR_MODE) : int(MPEGDLL_OK);
    });
}

} // extern "C"
