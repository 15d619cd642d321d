#ifndef THREAD_H
#define THREAD_H

// Starting detached POSIX threads and sleeping; used only by the networking code.

namespace Thread
{
// Starts routine(argument) on a new thread that is neither joined nor kept.
void createThread(void* (*routine)(void*), void* argument);
void uSleep(int microseconds);
}

#endif
