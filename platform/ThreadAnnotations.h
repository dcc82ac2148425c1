// Happens-before annotations for ThreadSanitizer.
//
// A worker's results are handed to the main thread through QThread's own
// finished flag, whose lock lives in Qt's uninstrumented code; the sanitizer
// cannot see that hand-over and would report the reads as races. These two
// marks tell it. In every other build they compile to nothing.
#pragma once

#if defined(STEREOLINT_TSAN)
extern "C" void __tsan_acquire(void* address);
extern "C" void __tsan_release(void* address);
#define STEREOLINT_HAPPENS_BEFORE(address) __tsan_release(static_cast<void*>(address))
#define STEREOLINT_HAPPENS_AFTER(address) __tsan_acquire(static_cast<void*>(address))
#else
#define STEREOLINT_HAPPENS_BEFORE(address) static_cast<void>(address)
#define STEREOLINT_HAPPENS_AFTER(address) static_cast<void>(address)
#endif
