/* A stand-in for the MPEG audio library, for the faults the real one cannot show: a module missing an
 * entry (STAND_IN_MISSING_SEEK), an init that fails (STAND_IN_INIT_FAILS), and a position reported beyond
 * the stream's length (stand_in_set_position). Built as libmpegdll.so in folders of its own. */
#include "mpegdll/mpegdll.h"

static int32_t last_error = 0;
static int32_t position = 0;
static int32_t mode = MPEGDLL_MODE_CLOSED;

MPEGDLL_API void stand_in_set_position(int32_t pos) { position = pos; }

#ifdef STAND_IN_INIT_FAILS
int32_t init(void) { last_error = MPEGDLL_ERR_OUTPUT; return 0; }
#else
int32_t init(void) { last_error = 0; return 1; }
#endif
int32_t deinit(void) { return 0; }
int32_t LastError(void) { return last_error; }
int32_t Open(const char* name, int32_t m, void* p1, void* p2, void* p3, void* p4, void* p5, void* p6, void* p7) {
    (void)p1; (void)p2; (void)p3; (void)p4; (void)p5; (void)p6; (void)p7;
    last_error = (m != 0 || !name || !name[0]) ? MPEGDLL_ERR_INPUT : 0;
    if (!last_error) mode = MPEGDLL_MODE_STOPPED;
    return 0;
}
int32_t Close(void) { mode = MPEGDLL_MODE_CLOSED; last_error = 0; return 0; }
int32_t GetLength(void) { last_error = 0; return 1000; }
int32_t GetCurrentPos(void) { last_error = 0; return position; }
int32_t GetPlayerMode(void) { last_error = 0; return mode; }
int32_t ResetPlayerMode(void) { return 0; }
int32_t SetPriority(int32_t p) { (void)p; last_error = 0; return 0; }
int32_t SetOutputDevice(int32_t d, const char* n) { (void)d; (void)n; last_error = 0; return 0; }
int32_t Play(int32_t s, int32_t e, uint8_t* ended) {
    (void)s; (void)e; (void)ended;
    last_error = 0;
    mode = MPEGDLL_MODE_PLAYING;
    return 0;
}
int32_t Stop(void) { mode = MPEGDLL_MODE_STOPPED; last_error = 0; return 0; }
int32_t Pause(int32_t r) { mode = r ? MPEGDLL_MODE_PLAYING : MPEGDLL_MODE_PAUSED; last_error = 0; return 0; }
int32_t Restart(void) { mode = MPEGDLL_MODE_PLAYING; last_error = 0; return 0; }
#ifndef STAND_IN_MISSING_SEEK
int32_t Seek(int32_t ms) { (void)ms; return 0; }
#endif
int32_t GetFrequency(void) { return 0; }
int32_t GetBitrate(void) { return 0; }
int32_t GetLayer(void) { return 0; }
