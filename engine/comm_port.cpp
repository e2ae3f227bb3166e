// CCommPort: switches each operation on the comm type to the serial line (direct and dial-up) or
// to the client socket (TCP/IP).
#include "engine/comm_port.h"

#include <sys/ioctl.h>

#include "app/state/app_state.h"
#include "engine/client_socket.h"
#include "engine/serial_line.h"
#include "engine/system.h"
#include "engine/tcp_address.h"
#include "platform/clock.h"
#include "platform/str_format.h"

CCommPort::CCommPort()
    : m_serial(std::make_unique<SerialLine>(*this)),
      m_socket(std::make_unique<CClientSocket>(this)) {}

CCommPort::~CCommPort() {
    CCommPort::Close();
}

std::string CCommPort::GetAddress() const {
    std::lock_guard<std::mutex> lock(m_addressLock);
    return m_address;
}

void CCommPort::SetAddress(const std::string& address) {
    std::lock_guard<std::mutex> lock(m_addressLock);
    m_address = address;
}

std::string CCommPort::DevicePath() const {
    if (!Device.empty()) {
        return Device;
    }
    return "/dev/ttyS" + std::to_string(SerialNo > 0 ? SerialNo - 1 : 0);
}

void CCommPort::NoteProblem(const LinkProblem& problem) {
    m_problem->Set(problem);
}

LinkProblem CCommPort::LastProblem() const {
    return m_problem->Get();
}

void CCommPort::ClearProblem() {
    NoteProblem(LinkProblem{});
}

bool CCommPort::Open() {
    if (IsOpen.load() == 1) {
        return true;
    }
    ClearProblem();
    if (CommType == COMM_TCPIP) {
        const std::string address = GetAddress();
        TcpAddress target;
        std::string error;
        if (!ParseTcpAddress(address, &target, &error)) {
            DebugLog("Open() fail! reason: TCP/IP address \"" + address + "\": " + error);
            NoteProblem({LinkProblem::Kind::HostNotFound, address, 0, error});
            return false;
        }
        if (!m_socket->Init(this, target.host, target.port)) {
            return false;
        }
        IsOpen.store(1);
        if (!m_socket->StartConnect()) {
            IsOpen.store(0);
            return false;
        }
        return true;
    }
    if (SerialNo == 0 && Device.empty()) {
        DebugLog("Open() fail! reason: no COM port chosen");
        NoteProblem({LinkProblem::Kind::DeviceMissing, "", 0, "no COM port chosen"});
        return false;
    }
    SerialLineSettings settings;
    settings.baudIndex = BaudIndex;
    settings.dataBits = DataBits;
    settings.parityIndex = ParityIndex;
    settings.stopIndex = StopIndex;
    settings.handshake = Handshake;
    return m_serial->Open(DevicePath(), settings);
}

bool CCommPort::Close() {
    // Both paths: the comm type may have changed since the port was opened.
    const bool lineWasOpen = m_serial->Close();
    m_socket->Close();
    IsOpen.store(0);
    Carrier.store(0);
    if (lineWasOpen) {
        // Lets the modem hang up (DTR is down) and the line settle before it is opened again.
        platform::Clock::SleepMs(CommType == COMM_DIALUP ? kDialupSettleMs : kDirectSettleMs);
    }
    return true;
}

bool CCommPort::Write(const char* bytes, int length) {
    if (CommType == COMM_TCPIP) {
        return m_socket->Send(bytes, length, kWriteLimitMs);
    }
    return m_serial->Write(bytes, length, kWriteLimitMs);
}

bool CCommPort::LinkUp() const {
    if (CommType == COMM_TCPIP) {
        return SocketConnected();
    }
    if (Carrier.load() == 1) {
        return true;
    }
    // A direct line that cannot report its modem lines, or is told to ignore its carrier, is up
    // while it is open.
    return CommType == COMM_DIRECT && IsOpen.load() == 1 &&
           (IgnoreCarrier || !m_serial->ReportsModemLines());
}

bool CCommPort::SocketConnected() const {
    return m_socket->Connected();
}

bool CCommPort::ReportsModemLines() const {
    return m_serial->ReportsModemLines();
}

bool CCommPort::ConnectThreadRunning() const {
    return m_socket->ConnectThreadRunning();
}

int CCommPort::Read(char* buffer, int capacity) {
    if (CommType == COMM_TCPIP) {
        return IsOpen.load() == 1 ? m_socket->Receive(buffer, capacity) : 0;
    }
    return m_serial->Read(buffer, capacity);
}

int CCommPort::ReadModemLines(int fd) {
    int bits = 0;
    if (::ioctl(fd, TIOCMGET, &bits) != 0) {
        return -1;
    }
    return bits;
}

const std::atomic<bool>* CCommPort::ReceiveCancelFlag() const {
    return CommType == COMM_TCPIP ? nullptr : m_serial->ClosingFlag();
}

void CCommPort::OnCommReceive() {
    char chunk[kBufferSize];
    const int count = Read(chunk, sizeof chunk);
    if (count <= 0) {
        return;
    }
    if (!Owner) {
        // What arrived is dropped (left unread it would wake the reader again and again).
        DebugLog(platform::StrFormat("serial receive fail! reason:comm ptr is null, CommID = %d",
                                     CommID));
        return;
    }
    Owner->ProcessChunk(chunk, count, ReceiveCancelFlag());
}
