// Export marker of the settings library and the critical section type it
// exports. The library is built with hidden visibility: only what carries
// PELLUMOR_API is seen by its callers.
#pragma once

#include "kstypes.h"

#include <pthread.h>

#define PELLUMOR_API __attribute__((visibility("default")))

#ifndef KS_CRITICAL_SECTION_DEFINED
#define KS_CRITICAL_SECTION_DEFINED
// A recursive process-local lock, entered and left by the thread that
// holds it (the same thread may enter it again).
struct CRITICAL_SECTION {
    pthread_mutex_t mutex;
};
using LPCRITICAL_SECTION = CRITICAL_SECTION*;

inline void InitializeCriticalSection(LPCRITICAL_SECTION cs)
{
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&cs->mutex, &attr);
    pthread_mutexattr_destroy(&attr);
}
inline void DeleteCriticalSection(LPCRITICAL_SECTION cs) { pthread_mutex_destroy(&cs->mutex); }
inline void EnterCriticalSection(LPCRITICAL_SECTION cs) { pthread_mutex_lock(&cs->mutex); }
inline void LeaveCriticalSection(LPCRITICAL_SECTION cs) { pthread_mutex_unlock(&cs->mutex); }
inline BOOL TryEnterCriticalSection(LPCRITICAL_SECTION cs) { return pthread_mutex_trylock(&cs->mutex) == 0; }
#endif
