#include "app/demo_unit.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "app/core/phone_book.h"
#include "app/core/settings.h"
#include "platform/ini_file.h"
#include "sim/unit_simulator.h"

namespace {

constexpr const char* kLoopback = "127.0.0.1";

std::string TemporaryFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = tmp && *tmp ? tmp : "/tmp";
    while (dir.size() > 1 && dir.back() == '/') {
        dir.pop_back();
    }
    return dir;
}

}  // namespace

CDemoUnit::CDemoUnit() = default;

CDemoUnit::~CDemoUnit() {
    if (m_unit) {
        m_unit->Stop();
    }
}

bool CDemoUnit::Start(std::string* error) {
    if (!MakeFolder(error)) {
        return false;
    }
    sim::UnitOptions options;
    options.demo = true;
    m_password = options.password;
    m_unit = std::make_unique<sim::UnitSimulator>(options);
    const int port = m_unit->StartTcp(kLoopback, 0);
    if (port < 0) {
        *error =
            "cannot start the demo unit on " + std::string(kLoopback) + ": " + m_unit->LastError();
        return false;
    }
    m_address = std::string(kLoopback) + " " + std::to_string(port);
    return WriteSettings(error);
}

bool CDemoUnit::MakeFolder(std::string* error) {
    std::string pattern = TemporaryFolder() + "/corvantis-demo-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        *error = "cannot make the demo folder " + pattern + ": " + std::strerror(errno);
        return false;
    }
    m_folder = pattern;
    const std::string logDir = settings::LogDir(m_folder);
    if (mkdir(logDir.c_str(), 0700) != 0) {
        *error = "cannot make the demo's log folder " + logDir + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool CDemoUnit::WriteSettings(std::string* error) {
    platform::IniFile ini;
    if (!ini.Load(settings::ProfilePath(m_folder))) {
        *error = "cannot read the demo settings: " + ini.LastError();
        return false;
    }
    ini.SetInt("CommSetup", "CommType", 2);
    ini.SetString("CommSetup", "Telephone", m_address);
    ini.SetInt("Settings", "WriteLog", 1);
    ini.SetInt("Settings", "DebugLog", 1);
    CPhoneEntry site;
    site.SetSiteName(kSiteName);
    site.SetPhone(m_address);
    phonebook::Store(ini, &site);
    if (!ini.Save()) {
        *error = "cannot write the demo settings: " + ini.LastError();
        return false;
    }
    return true;
}

std::string CDemoUnit::Banner() const {
    return "Corvantis demo\n"
           "  folder:   " +
           m_folder +
           " (Corvantis.ini and the Log folder; kept after the demo)\n"
           "  site:     \"" +
           kSiteName + "\" at " + m_address +
           " (a simulated unit in this program)\n"
           "  password: " +
           m_password + " (for RESET and Accept)\n";
}
