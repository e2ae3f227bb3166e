#include "protocol/reporting_record.h"

#include "protocol/split_fields.h"

const char* const kDefaultPagerScript =
    R"(\W4\XM\r\W2\X[Content]\r\W2\S\X//\U\X//\L\X//\A\X//\R\X//\D\X//\T\r\r)";

ReportFields ParseReportReply(const std::string& text) {
    const Fields100 split = SplitFields<100>(text, "^");
    ReportFields fields;
    for (int i = 0; i < kReportFieldCount; ++i) {
        fields[i] = split[i];
    }
    return fields;
}

std::string ComposeReportRecord(const ReportFields& fields) {
    std::string record;
    for (const std::string& field : fields) {
        record += field + "^";
    }
    return record;
}

std::string CheckReportFields(const ReportFields& fields) {
    for (const std::string& field : fields) {
        if (field.find('^') != std::string::npos) {
            return "don't input '^'.";
        }
    }
    return {};
}
