#include "app/core/link_problem_text.h"

#include <algorithm>

namespace {

using Kind = LinkProblem::Kind;

const char kServicesNote[] =
    "ModemManager probes new serial ports and holds them for a while: keep it off the unit's "
    "adapter with a udev rule (ENV{ID_MM_DEVICE_IGNORE}=\"1\") or stop it with "
    "\"sudo systemctl disable --now ModemManager\".";
const char kBrlttyNote[] =
    "brltty takes some USB serial adapters for braille displays: if you use no braille display, "
    "remove it with \"sudo apt-get remove brltty\".";

// Services known to take serial ports, and what to do about each.
struct KnownHolder {
    const char* name;
    const char* note;
};
const KnownHolder kKnownHolders[] = {{"ModemManager", kServicesNote}, {"brltty", kBrlttyNote}};

std::string Joined(const std::vector<std::string>& names, const std::string& prefix) {
    std::string text;
    for (const std::string& name : names) {
        text += "\n  " + prefix + name;
    }
    return text;
}

std::string HolderName(const platform::FileHolder& holder) {
    return (holder.name.empty() ? std::string("a program") : holder.name) + " (process " +
           std::to_string(holder.pid) + ")";
}

LinkProblemText Missing(const LinkProblem& problem, const DeviceFacts& facts) {
    LinkProblemText text;
    text.pane = "Disconnected: no device";
    if (problem.where.empty()) {
        text.detail =
            "No serial port is chosen: choose one in System > Dial setup, or name the "
            "device under [CommSetup] Device in Corvantis.ini.";
        return text;
    }
    text.detail = "The serial device " + problem.where + " is not there.";
    if (facts.byId.empty()) {
        text.detail += " No serial adapter is plugged in (" + facts.byIdDir +
                       " is empty or missing): plug the adapter in, or check its cable.";
    } else {
        text.detail +=
            " The serial adapters plugged in now are:" + Joined(facts.byId, facts.byIdDir + "/") +
            "\nPut the unit's one under [CommSetup] Device in Corvantis.ini.";
    }
    return text;
}

LinkProblemText Permission(const LinkProblem& problem, const DeviceFacts& facts) {
    LinkProblemText text;
    text.pane = "Disconnected: no permission";
    text.detail = "You may not open the serial device " + problem.where + ".";
    const platform::FileGroup& group = facts.group;
    const std::string user = facts.user.empty() ? "$USER" : facts.user;
    if (!group.known) {
        text.detail += " Check who may open it with \"ls -l " + problem.where + "\".";
        return text;
    }
    text.detail += " It belongs to the group \"" + group.name + "\"";
    if (group.gid == 0) {
        text.detail +=
            ", so only the administrator may open it: ask for a udev rule that gives it a group "
            "of its own (usually \"dialout\").";
    } else if (group.userListed && !group.processIn) {
        text.detail += ", and " + user +
                       " is a member, but this session started before that: log out and in "
                       "again (check with \"id\").";
    } else {
        text.detail += ". Add yourself to it with:\n  sudo usermod -aG " + group.name +
                       " $USER\nthen log out and in again (check with \"id\").";
    }
    return text;
}

LinkProblemText Busy(const LinkProblem& problem, const DeviceFacts& facts) {
    LinkProblemText text;
    text.pane = "Disconnected: device busy";
    text.detail = "The serial device " + problem.where + " is in use";
    if (facts.holders.empty()) {
        text.detail += " by another program (which one could not be seen: try \"sudo fuser -v " +
                       problem.where + "\").";
        return text;
    }
    text.detail += " by ";
    for (size_t i = 0; i < facts.holders.size(); ++i) {
        text.detail += (i == 0 ? "" : ", ") + HolderName(facts.holders[i]);
    }
    text.detail += ".";
    for (const KnownHolder& known : kKnownHolders) {
        const bool holds = std::any_of(
            facts.holders.begin(), facts.holders.end(),
            [&known](const platform::FileHolder& holder) { return holder.name == known.name; });
        if (holds) {
            text.detail += std::string("\n") + known.note;
        }
    }
    if (text.detail.find('\n') == std::string::npos) {
        text.detail += " Close it, or choose another line in System > Dial setup.";
    }
    return text;
}

}  // namespace

DeviceFacts GatherDeviceFacts(const LinkProblem& problem, const std::string& byIdDir) {
    DeviceFacts facts;
    facts.byIdDir = byIdDir;
    facts.user = platform::UserName();
    switch (problem.kind) {
        case Kind::DeviceMissing:
            facts.byId = platform::FolderEntries(byIdDir);
            break;
        case Kind::PermissionDenied:
            facts.group = platform::GroupOfFile(problem.where);
            break;
        case Kind::DeviceBusy:
            facts.holders = platform::HoldersOf(problem.where);
            break;
        default:
            break;
    }
    return facts;
}

LinkProblemText DescribeLinkProblem(const LinkProblem& problem, const DeviceFacts& facts) {
    switch (problem.kind) {
        case Kind::None:
            return {};
        case Kind::DeviceMissing:
            return Missing(problem, facts);
        case Kind::PermissionDenied:
            return Permission(problem, facts);
        case Kind::DeviceBusy:
            return Busy(problem, facts);
        case Kind::OpenFailed:
            return {"Disconnected: line fault", "The serial device " + problem.where +
                                                    " could not be opened: " + problem.detail +
                                                    "."};
        case Kind::LineLost:
            return {"Disconnected: line lost",
                    "The serial line " + problem.where +
                        " went away (the adapter was unplugged, or the far end closed it)."};
        case Kind::HostNotFound:
            return {"Disconnected: unknown host",
                    "The host of \"" + problem.where + "\" was not found (" + problem.detail +
                        "). Check the site's address in the phone book (host, one blank, port) "
                        "and the network's name service."};
        case Kind::Refused:
            return {"Disconnected: refused",
                    problem.where +
                        " refused the connection: nothing listens on that port. Check the port "
                        "number in the phone book, and that the unit's network adapter is on."};
        case Kind::NoAnswer:
            return {"Disconnected: no answer",
                    problem.where + " did not answer (" + problem.detail +
                        "). Check that the unit is on and reachable from here, and that no "
                        "firewall drops the connection."};
        case Kind::ConnectFailed:
            return {"Disconnected: no connection",
                    "The connection to " + problem.where + " failed: " + problem.detail + "."};
        case Kind::PeerClosed:
            return {"Disconnected: closed by unit",
                    "The unit at " + problem.where + " closed the connection."};
    }
    return {};
}

LinkProblemText DescribeModemRefusal(const std::string& number, const std::string& answer) {
    return {"Modem: " + answer,
            "The modem refused the call to " + number + " and answered \"" + answer +
                "\": it will not dial that number again for a while. Automatic reconnect has "
                "stopped; choose Connect to try again later."};
}

LinkProblemText DescribeNoCarrier(const std::string& device) {
    return {"Disconnected: no carrier",
            "The unit answered the login on " + device +
                ", but the line reports no carrier (DCD), so the pages will not be read. Many "
                "three-wire cables and USB adapters do not carry it: set IgnoreCarrier=1 under "
                "[CommSetup] in Corvantis.ini and connect again."};
}
