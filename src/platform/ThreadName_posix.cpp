#include "platform/ThreadName.h"

#include <pthread.h>

#include <cstring>
#include <string>

void NameThisThread(const char* sName) {
    // The kernel keeps 15 bytes and the terminating zero.
    const std::string name(sName, strnlen(sName, 15));
    pthread_setname_np(pthread_self(), name.c_str());
}
