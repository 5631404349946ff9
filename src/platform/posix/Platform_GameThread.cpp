#include "platform/posix/Platform_GameThread.h"

#include <pthread.h>

namespace {

struct ThreadCall {
    int (*body)(void*);
    void* argument;
    int answer;
};

void* RunCall(void* pointer)
{
    auto* call = static_cast<ThreadCall*>(pointer);
    call->answer = call->body(call->argument);
    return nullptr;
}

} // namespace

int Platform_RunOnLargeStack(int (*body)(void*), void* argument, size_t stackBytes)
{
    ThreadCall call{body, argument, 0};
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) return body(argument);
    pthread_t thread;
    bool started = pthread_attr_setstacksize(&attributes, stackBytes) == 0 &&
                   pthread_create(&thread, &attributes, RunCall, &call) == 0;
    pthread_attr_destroy(&attributes);
    if (!started) return body(argument);
    pthread_join(thread, nullptr);
    return call.answer;
}
