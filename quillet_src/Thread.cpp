#include "Thread.h"

#include "Errors.h"

#include <pthread.h>
#include <unistd.h>
#ifdef _WIN32
#include <windows.h>
#endif

namespace Thread
{
void createThread(void* (*routine)(void*), void* argument)
{
    pthread_attr_t attributes;
    int const ret1 = pthread_attr_init(&attributes) == 0 ? 0 : -1;
    ASSERT(ret1 != -1, "error during arguments initialisation (pthread_attr).");
    // Nobody joins these threads, so let their resources go when they end.
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    pthread_t thread;
    int const ret2 = pthread_create(&thread, &attributes, routine, argument) == 0 ? 0 : -1;
    pthread_attr_destroy(&attributes);
    ASSERT(ret2 != -1, "error during the creation of the new thread.");
}

void uSleep(int microseconds)
{
#ifdef _WIN32
    // Whole milliseconds, rounded up so that a short wait still waits.
    Sleep(static_cast<DWORD>((microseconds + 999) / 1000));
#else
    usleep(microseconds);
#endif
}
}
