#include "engine/os_error.h"

#include <string.h>

std::string OsErrorText(int err) {
    char buffer[128];
    // The GNU strerror_r returns the text, in `buffer` or a static string.
    return strerror_r(err, buffer, sizeof buffer);
}
