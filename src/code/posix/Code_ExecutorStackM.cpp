#include "code/posix/Code_ExecutorStackM.h"

#include <pthread.h>

uintptr_t CodePosix_StackLowestAddress()
{
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) != 0) return 0;
    void* lowest = nullptr;
    size_t size = 0;
    int failed = pthread_attr_getstack(&attributes, &lowest, &size);
    pthread_attr_destroy(&attributes);
    return failed != 0 ? 0 : reinterpret_cast<uintptr_t>(lowest);
}
