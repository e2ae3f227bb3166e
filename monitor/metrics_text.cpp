#include <charconv>

#include "monitor/outputs.h"

namespace {

// Label values: backslash, double quote and line feed are escaped.
std::string LabelValue(const std::string& latin1) {
    std::string out;
    for (char c : Latin1ToUtf8(latin1)) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\n':
                out += "\\n";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// The shortest text that reads back as the same value.
std::string Number(double value) {
    char buf[32];
    const auto result = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, result.ptr);
}

class Family {
public:
    Family(std::string& out, const char* name, const char* type, const char* help)
        : m_out(out), m_name(name) {
        m_out += "# HELP ";
        m_out += name;
        m_out += ' ';
        m_out += help;
        m_out += "\n# TYPE ";
        m_out += name;
        m_out += ' ';
        m_out += type;
        m_out += '\n';
    }
    void Sample(const std::string& labels, double value) {
        m_out += m_name;
        if (!labels.empty()) {
            m_out += '{';
            m_out += labels;
            m_out += '}';
        }
        m_out += ' ';
        m_out += Number(value);
        m_out += '\n';
    }

private:
    std::string& m_out;
    const char* m_name;
};

std::string SiteLabel(const SiteReading& s) {
    return "site=\"" + LabelValue(s.name) + "\"";
}

std::string DryerLabels(const SiteReading& s, int index) {
    return SiteLabel(s) + ",dryer=\"" + std::to_string(index + 1) + "\"";
}

// Each dryer family: a value per dryer the last reply reported.
template <typename Fn>
void DryerFamily(std::string& out, const BoardSnapshot& snap, const char* name, const char* help,
                 Fn value) {
    Family family(out, name, "gauge", help);
    for (const SiteReading& s : snap.sites) {
        if (!s.status) {
            continue;
        }
        for (int i = 0; i < 8; ++i) {
            if (DryerPresent(*s.status, i)) {
                family.Sample(DryerLabels(s, i), value(*s.status, i));
            }
        }
    }
}

}  // namespace

std::string RenderMetrics(const BoardSnapshot& snap) {
    std::string out;
    out.reserve(512 + snap.sites.size() * 2048);
    {
        Family up(out, "corvantis_site_up", "gauge",
                  "1 when the last poll of the site was answered.");
        for (const SiteReading& s : snap.sites) {
            up.Sample(SiteLabel(s), s.up ? 1 : 0);
        }
    }
    {
        Family last(out, "corvantis_site_last_success_timestamp_seconds", "gauge",
                    "Unix time of the last answered poll (0 when none yet).");
        for (const SiteReading& s : snap.sites) {
            last.Sample(SiteLabel(s), s.lastSuccessUnix);
        }
    }
    {
        Family duration(out, "corvantis_site_poll_duration_seconds", "gauge",
                        "How long the last answered poll took, login included.");
        for (const SiteReading& s : snap.sites) {
            duration.Sample(SiteLabel(s), s.pollSeconds);
        }
    }
    {
        Family failures(out, "corvantis_site_poll_failures_total", "counter",
                        "Polls of the site that were not answered.");
        for (const SiteReading& s : snap.sites) {
            failures.Sample(SiteLabel(s), static_cast<double>(s.failures));
        }
    }
    DryerFamily(out, snap, "corvantis_dryer_alarm", "1 while the dryer's alarm lamp is on.",
                [](const StatusReply& r, int i) { return DryerBit(r.alarmMask, i) ? 1.0 : 0.0; });
    DryerFamily(out, snap, "corvantis_dryer_online", "1 while the dryer's online lamp is on.",
                [](const StatusReply& r, int i) { return DryerBit(r.onlineMask, i) ? 1.0 : 0.0; });
    DryerFamily(out, snap, "corvantis_dryer_standby", "1 while the dryer's standby lamp is on.",
                [](const StatusReply& r, int i) { return DryerBit(r.standbyMask, i) ? 1.0 : 0.0; });
    {
        Family info(out, "corvantis_dryer_info", "gauge",
                    "The dryer's status text and model as the unit shows them (value 1).");
        for (const SiteReading& s : snap.sites) {
            if (!s.status) {
                continue;
            }
            for (int i = 0; i < 8; ++i) {
                if (DryerPresent(*s.status, i)) {
                    const DryerDetail& d = s.status->dryers[static_cast<size_t>(i)];
                    info.Sample(DryerLabels(s, i) + ",status=\"" + LabelValue(d.status) +
                                    "\",model=\"" + LabelValue(d.model) + "\"",
                                1);
                }
            }
        }
    }
    {
        Family sites(out, "corvantis_monitor_sites", "gauge", "Sites this monitor watches.");
        sites.Sample("", static_cast<double>(snap.sites.size()));
    }
    return out;
}
