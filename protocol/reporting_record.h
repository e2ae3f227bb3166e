// The reporting settings record of unit page 55.
//
// A read reply, once its "EOT" is dropped, and the settings part of a write are the same record:
// 21 fields, each followed by "^":
//   0 system name, 1 secure ("Y" or "N"), 2..5 SMTP server, user name, password, sender address,
//   6..11 three e-mail recipients (address, description),
//   12..20 three pagers (description, service phone, dialling script).
#pragma once

#include <array>
#include <string>

constexpr int kReportFieldCount = 21;
constexpr int kPagerCount = 3;
// The longest system name the operator may type.
constexpr int kSystemNameLimit = 71;

enum ReportField {
    kFieldSystemName = 0,
    kFieldSecure = 1,
    kFieldSmtpServer = 2,
    kFieldSmtpPassword = 4,
    kFieldFirstEmail = 6,
    kFieldFirstPager = 12,
};

// Field of pager p's description, service phone and script.
constexpr int PagerField(int pager, int part) {
    return kFieldFirstPager + 3 * pager + part;
}
constexpr int kPagerScriptPart = 2;

using ReportFields = std::array<std::string, kReportFieldCount>;

// The unit's default pager script (the unit's own notation, passed on as it is).
extern const char* const kDefaultPagerScript;

// The 21 fields of a reply ("EOT" dropped); missing fields are empty.
ReportFields ParseReportReply(const std::string& text);
// The record: every field followed by "^".
std::string ComposeReportRecord(const ReportFields& fields);
// The operator's message when a field cannot be written ("^" would shift every later field on the
// unit), or empty.
std::string CheckReportFields(const ReportFields& fields);
