// The MPEG audio library's 19 entries (libmpegdll.so, C linkage). Integers are 32-bit, pointers are
// native. A program loads the library at run time (dlopen) and resolves every entry by name; the
// typedefs below are the entries' exact types.
//
// After every call the caller reads LastError: 0 means the call succeeded, 1..5 are
//   1 internal decoder error, 2 incorrect mode, 3 input stream error, 4 input stream is non-seekable,
//   5 output device failure.
// Positions and lengths are in milliseconds. Player modes: 0 no stream open, 1 stopped (open, not
// playing, also after the end), 2 paused, 3 playing.
// Play returns at once; the stream plays on the library's own thread, and when it has played to its
// end the library stores 1 into the caller's end byte (an atomic one-byte store; read it atomically,
// e.g. with std::atomic_ref<uint8_t>). Stop never sets the byte.
// Every entry is meant for one controlling thread (the program's main thread).
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define MPEGDLL_API __attribute__((visibility("default")))

enum {
    MPEGDLL_MODE_CLOSED = 0,
    MPEGDLL_MODE_STOPPED = 1,
    MPEGDLL_MODE_PAUSED = 2,
    MPEGDLL_MODE_PLAYING = 3,
};
enum {
    MPEGDLL_OK = 0,
    MPEGDLL_ERR_DECODER = 1,
    MPEGDLL_ERR_MODE = 2,
    MPEGDLL_ERR_INPUT = 3,
    MPEGDLL_ERR_NOT_SEEKABLE = 4,
    MPEGDLL_ERR_OUTPUT = 5,
};
enum {
    MPEGDLL_DEVICE_WAVEMAPPER = 0,
    MPEGDLL_DEVICE_PCMFILE = 2,
};

// true (1): ready.
MPEGDLL_API int32_t init(void);
// Stops and closes whatever is open.
MPEGDLL_API int32_t deinit(void);
MPEGDLL_API int32_t LastError(void);
// Opens `name` (mode 0). Stream mode (mode 1, six callbacks and a user pointer) is not supported: error 3.
MPEGDLL_API int32_t Open(const char* name, int32_t mode, void* p1, void* p2, void* p3, void* p4, void* p5,
                         void* p6, void* p7);
MPEGDLL_API int32_t Close(void);
MPEGDLL_API int32_t GetLength(void);
MPEGDLL_API int32_t GetCurrentPos(void);
MPEGDLL_API int32_t GetPlayerMode(void);
MPEGDLL_API int32_t ResetPlayerMode(void);
// -15, -2, -1, 0, 1, 2 or 15: the playing thread's priority (best effort: raising may be refused).
MPEGDLL_API int32_t SetPriority(int32_t priority);
// 0: the sound output; 2: write the decoded PCM to the WAV file `name`.
MPEGDLL_API int32_t SetOutputDevice(int32_t device, const char* name);
// Plays from `startMs` to `endMs` (0: to the end); nonzero result = failure.
MPEGDLL_API int32_t Play(int32_t startMs, int32_t endMs, uint8_t* ended);
MPEGDLL_API int32_t Stop(void);
// 0: pause, 1: resume.
MPEGDLL_API int32_t Pause(int32_t resume);
// Plays the open stream again from the start.
MPEGDLL_API int32_t Restart(void);
MPEGDLL_API int32_t Seek(int32_t ms);
MPEGDLL_API int32_t GetFrequency(void);
MPEGDLL_API int32_t GetBitrate(void);
MPEGDLL_API int32_t GetLayer(void);

typedef int32_t (*mpegdll_init_fn)(void);
typedef int32_t (*mpegdll_deinit_fn)(void);
typedef int32_t (*mpegdll_LastError_fn)(void);
typedef int32_t (*mpegdll_Open_fn)(const char*, int32_t, void*, void*, void*, void*, void*, void*, void*);
typedef int32_t (*mpegdll_Close_fn)(void);
typedef int32_t (*mpegdll_GetLength_fn)(void);
typedef int32_t (*mpegdll_GetCurrentPos_fn)(void);
typedef int32_t (*mpegdll_GetPlayerMode_fn)(void);
typedef int32_t (*mpegdll_ResetPlayerMode_fn)(void);
typedef int32_t (*mpegdll_SetPriority_fn)(int32_t);
typedef int32_t (*mpegdll_SetOutputDevice_fn)(int32_t, const char*);
typedef int32_t (*mpegdll_Play_fn)(int32_t, int32_t, uint8_t*);
typedef int32_t (*mpegdll_Stop_fn)(void);
typedef int32_t (*mpegdll_Pause_fn)(int32_t);
typedef int32_t (*mpegdll_Restart_fn)(void);
typedef int32_t (*mpegdll_Seek_fn)(int32_t);
typedef int32_t (*mpegdll_GetFrequency_fn)(void);
typedef int32_t (*mpegdll_GetBitrate_fn)(void);
typedef int32_t (*mpegdll_GetLayer_fn)(void);

#ifdef __cplusplus
}
#endif
