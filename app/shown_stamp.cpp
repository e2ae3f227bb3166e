#include "app/shown_stamp.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

void StampWindowShown() {
    static bool stamped = false;
    if (stamped || std::getenv("CORVANTIS_SHOWN_STAMP") == nullptr) {
        return;
    }
    stamped = true;
    timespec now{};
    timespec cpu{};
    if (clock_gettime(CLOCK_MONOTONIC, &now) != 0 ||
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu) != 0) {
        std::perror("corvantis: clock_gettime");
        return;
    }
    const auto ms = [](const timespec& t) {
        return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
    };
    std::fprintf(stderr, "corvantis: window shown at %.3f after %.3f ms of CPU\n", ms(now),
                 ms(cpu));
    std::fflush(stderr);
}
