#include "monitor/monitor_config.h"

#include "app/core/phone_book.h"
#include "app/core/settings.h"
#include "engine/comm_port.h"
#include "engine/tcp_address.h"
#include "platform/ini_file.h"

MonitorConfig ReadMonitorConfig(const platform::IniFile& ini, const Shard& shard) {
    MonitorConfig config;
    const int poll = ini.GetInt("Monitor", "PollSeconds", kDefaultPollSeconds);
    config.pollSeconds = poll > 0 ? poll : kDefaultPollSeconds;
    const int sweep = ini.GetInt("Monitor", "SweepMinutes", kDefaultSweepMinutes);
    config.sweepMinutes = sweep > 0 ? sweep : kDefaultSweepMinutes;

    CHalvoricApp line;  // the [CommSetup] line, read as the console reads it
    settings::Read(ini, ".", line);
    const uint8_t lineType = line.m_nCommType == COMM_TCPIP ? COMM_DIALUP : line.m_nCommType;

    CPhoneEntry* head = nullptr;
    phonebook::Load(ini, head);
    for (const CPhoneEntry* e = head; e; e = e->next) {
        SiteConfig site;
        site.name = e->siteName;
        site.phone = e->phone;
        if (!shard.Holds(site.name)) {
            ++config.skippedByShard;
            continue;
        }
        TcpAddress address;
        if (ParseTcpAddress(site.phone, &address)) {
            site.commType = COMM_TCPIP;
        } else {
            site.commType = lineType;
            site.serialNo = line.m_nSerialNo;
            site.baudIndex = line.m_nBaudIndex;
            site.device = line.m_strDevice;
            site.hangUpAfterPoll = true;
        }
        config.sites.push_back(site);
    }
    delete head;
    return config;
}
