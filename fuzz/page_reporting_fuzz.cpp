// The Reporting Set Up page's reading of a "/55" reply on any text: 21 fields, none holding the
// "^" separator, and the record a write composes from them reads back as the same 21 fields (a
// write sent unchanged never shifts a field on the unit).
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "protocol/reporting_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const ReportFields fields = ParseReportReply(text);
    for (const std::string& field : fields) {
        FUZZ_CHECK(field.find('^') == std::string::npos);
        FUZZ_CHECK(text.find(field) != std::string::npos);
    }
    FUZZ_CHECK(CheckReportFields(fields).empty());

    const std::string record = ComposeReportRecord(fields);
    size_t separators = 0;
    for (char c : record) {
        separators += c == '^' ? 1 : 0;
    }
    FUZZ_CHECK(separators == static_cast<size_t>(kReportFieldCount));
    FUZZ_CHECK(ParseReportReply(record) == fields);

    // A field the operator typed a separator into is refused before anything is sent.
    ReportFields typed = fields;
    typed[static_cast<size_t>(size % kReportFieldCount)] += "^";
    FUZZ_CHECK(!CheckReportFields(typed).empty());
    return 0;
}
