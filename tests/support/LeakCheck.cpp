#include "support/LeakCheck.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUILLORY_TEST_LEAK_CHECK 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define QUILLORY_TEST_LEAK_CHECK 1
#endif

#ifdef QUILLORY_TEST_LEAK_CHECK
#include <sanitizer/lsan_interface.h>

#include <dirent.h>
#include <sys/types.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#endif

namespace quillory::test {

#ifdef QUILLORY_TEST_LEAK_CHECK
namespace {

// The scheduler's state letter of one thread of this process ('R' running or ready to run, 'S'
// asleep, ...), or 0 when the thread is gone.
char ThreadState(const char* id) {
    const std::string path = std::string("/proc/self/task/") + id + "/stat";
    FILE* file = std::fopen(path.c_str(), "r");
    if (!file)
        return 0;
    char line[512] = {};
    const size_t length = std::fread(line, 1, sizeof line - 1, file);
    std::fclose(file);
    line[length] = 0;
    // The name in parentheses may hold blanks and parentheses; the state follows the last ')'.
    const char* end = std::strrchr(line, ')');
    return end && end[1] == ' ' ? end[2] : 0;
}

bool AnotherThreadRuns() {
    DIR* tasks = opendir("/proc/self/task");
    if (!tasks)
        return false;
    const std::string self = std::to_string(gettid());
    bool runs = false;
    while (const dirent* entry = readdir(tasks)) {
        if (entry->d_name[0] == '.' || self == entry->d_name)
            continue;
        if (ThreadState(entry->d_name) == 'R') {
            runs = true;
            break;
        }
    }
    closedir(tasks);
    return runs;
}

} // namespace
#endif

void CheckLeaksAtEnd() {
#ifdef QUILLORY_TEST_LEAK_CHECK
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (AnotherThreadRuns() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    __lsan_do_leak_check();
#endif
}

} // namespace quillory::test
