// Placeholder port: compiles and links; the serial and TCP/IP paths replace it.
#include "engine/comm_port.h"

#include "engine/system.h"

// Filled in by the serial and TCP/IP paths.
class SerialLine {};
class CClientSocket {};

CCommPort::CCommPort() = default;
CCommPort::~CCommPort() = default;

std::string CCommPort::GetAddress() const {
    std::lock_guard<std::mutex> lock(m_addressLock);
    return m_address;
}

void CCommPort::SetAddress(const std::string& address) {
    std::lock_guard<std::mutex> lock(m_addressLock);
    m_address = address;
}

bool CCommPort::Open() { return false; }
bool CCommPort::Close() { return true; }
bool CCommPort::Write(const char*, int) { return false; }
bool CCommPort::LinkUp() const { return false; }
bool CCommPort::SocketConnected() const { return false; }
int CCommPort::Read(char*, int) { return 0; }

std::string CCommPort::DevicePath() const {
    if (!Device.empty()) {
        return Device;
    }
    return "/dev/ttyS" + std::to_string(SerialNo > 0 ? SerialNo - 1 : 0);
}

void CCommPort::OnCommReceive() {
    if (!Owner) {
        return;
    }
    char chunk[4096];
    int count = Read(chunk, sizeof chunk);
    if (count > 0) {
        Owner->ProcessChunk(chunk, count);
    }
}
