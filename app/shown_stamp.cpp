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
    if (clock_gettime(CLOCK_MONOTONIC, &now) != 0) {
        std::perror("corvantis: clock_gettime");
        return;
    }
    std::fprintf(stderr, "corvantis: window shown at %.3f\n",
                 static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6);
    std::fflush(stderr);
}
