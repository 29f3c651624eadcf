#pragma once
// VORLIN_AVX2_CLONES before a function gives it an AVX2 copy chosen at load time. The chooser runs before
// a sanitizer's runtime is ready (ThreadSanitizer then crashes at start), so sanitizer builds get the plain
// copy only.

#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
#define VORLIN_AVX2_CLONES
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer) || __has_feature(address_sanitizer)
#define VORLIN_AVX2_CLONES
#endif
#endif
#ifndef VORLIN_AVX2_CLONES
#define VORLIN_AVX2_CLONES __attribute__((target_clones("avx2", "default")))
#endif
