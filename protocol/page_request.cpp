#include "protocol/page_request.h"

#include <cstdio>

std::string BuildPageRequest(int unitPage, int a, int b) {
    char page[16];
    std::snprintf(page, sizeof page, "%02d", unitPage);
    return "/" + std::string(page) + ".htm?val=" + std::to_string(a) + "-" + std::to_string(b) +
           "\r";
}

std::string BuildPageRead(int unitPage) {
    return BuildPageRequest(unitPage, 0, 0);
}

std::string BuildPageWrite(int unitPage, const std::string& password, const std::string& fields) {
    std::string text = BuildPageRequest(unitPage, 1, 0);
    text.pop_back();  // the "\r" comes after the fields
    return text + "," + password + ";" + fields + "\r";
}
