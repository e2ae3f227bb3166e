// What the Status page shows, as one comparable text: every value and lamp of the page, in order,
// with whether it is shown. Tests compare the live page with the view a fresh page gives for a
// reply the unit really sent, so that nothing the unit did not send can pass unnoticed.
//
// UI thread only; a QApplication must exist.
#pragma once

#include <string>

class CWebPage_Status;

std::string StatusViewOf(const CWebPage_Status& page);
// The view of a Status page that got `reply` (the text as delivered, "EOT" included). The live
// page keeps its place as the receiver of Status replies.
std::string StatusViewOfReply(const std::string& reply);
// The view of a Status page that has had no reply yet.
std::string StatusViewOfNothing();
