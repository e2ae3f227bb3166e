// CCommPort: the one port class of a System, for the three comm types (0 direct serial, 1 dial-up
// modem on a serial line, 2 TCP/IP). The serial path runs on termios with a read thread; the TCP/IP
// path on a non-blocking socket whose notifications run on the UI thread (see client_socket.h).
//
// The operations are virtual so that tests can put a scripted port in place of a real line; the
// console itself only ever creates CCommPort.
//
// Threads:
//   Open       worker (serial, dial-up) or UI thread (TCP/IP, through CSystem::OpenPort)
//   Close      UI thread (or the destroying thread); never deadlocks against a read thread that is
//              handing a reply to the UI thread. A TCP/IP port is closed and destroyed on the UI
//              thread while the UI dispatcher still exists (it ends the socket's watch there).
//   Write      worker
//   LinkUp, Carrier, IsOpen, SocketConnected: any thread
//   Settings (SerialNo ... Handshake, Device): set by the document on the UI thread while the
//   worker does not use the port (before Start, or on a port not yet given to the System).
//   Address: any thread through GetAddress / SetAddress.
//   NoteProblem, LastProblem, ClearProblem: any thread (the worker, the read thread, the connect
//   thread and the UI thread all note what they see).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "engine/link_problem.h"

class CSystem;
class CClientSocket;
class SerialLine;

constexpr uint8_t COMM_DIRECT = 0;
constexpr uint8_t COMM_DIALUP = 1;
constexpr uint8_t COMM_TCPIP = 2;

class CCommPort {
public:
    CCommPort();
    virtual ~CCommPort();  // Close()
    CCommPort(const CCommPort&) = delete;
    CCommPort& operator=(const CCommPort&) = delete;

    CSystem* Owner = nullptr;
    uint8_t CommID = 0;
    uint8_t SerialNo = 0;
    uint8_t CommType = COMM_DIRECT;
    uint8_t BaudIndex = 0;
    uint8_t DataBits = 0;
    uint8_t StopIndex = 0;
    uint8_t ParityIndex = 0;
    uint8_t Handshake = 0;
    // Linux: the serial device to open; empty means COM n is "/dev/ttyS<n-1>".
    std::string Device;
    // A direct line counts as up while it is open, whatever its carrier-detect line says (a
    // three-wire cable, or an adapter that does not wire DCD).
    bool IgnoreCarrier = false;

    std::atomic<int> Carrier{0};
    std::atomic<int> IsOpen{0};

    std::string GetAddress() const;
    void SetAddress(const std::string& address);

    virtual bool Open();
    virtual bool Close();
    // Worker. True when every byte was written.
    virtual bool Write(const char* bytes, int length);
    // "Is the line up": serial and dial-up, Carrier (a direct line whose device cannot report its
    // modem lines, or that ignores its carrier, counts as up while open); TCP/IP, the socket's
    // Connected.
    virtual bool LinkUp() const;
    // TCP/IP: the socket's Connected; false on the serial path.
    virtual bool SocketConnected() const;

    // The device path COM n opens (Device when set).
    std::string DevicePath() const;

    // Receive handler: reads what has arrived (up to 4096 bytes) and feeds the owner's receive
    // side. Called by the read thread (serial) or the socket's receive notification (TCP/IP).
    void OnCommReceive();
    // Reads up to `capacity` bytes that have arrived; 0 when none.
    virtual int Read(char* buffer, int capacity);

    // Serial: true while the open line can report its modem lines (a pseudo-terminal or a
    // serial-over-IP port cannot; a direct line then counts as up while open).
    bool ReportsModemLines() const;
    // The last reason the link did not come up or went down; Kind::None after a good open.
    void NoteProblem(const LinkProblem& problem);
    LinkProblem LastProblem() const;
    void ClearProblem();
    const std::shared_ptr<LinkProblemSlot>& ProblemSlot() const { return m_problem; }

    // TCP/IP, UI thread: true while a connect thread runs (tests).
    bool ConnectThreadRunning() const;

    // The limits of a write (program ms), and how long a closed line settles.
    static constexpr int64_t kWriteLimitMs = 5000;
    static constexpr int64_t kDialupSettleMs = 1000;
    static constexpr int64_t kDirectSettleMs = 500;

protected:
    // Read thread: the modem-status bits of the open line (TIOCM_CAR and the others), or -1 with
    // errno set when they cannot be read (ENOTTY or EINVAL: the device has no modem lines). Tests
    // put a scripted modem here; a subclass that does must Close() in its own destructor.
    virtual int ReadModemLines(int fd);

private:
    // The flag that cancels a hand-over of received data while the port closes (serial), or
    // null (TCP/IP: the receive side runs on the UI thread).
    const std::atomic<bool>* ReceiveCancelFlag() const;

    mutable std::mutex m_addressLock;
    std::string m_address;
    std::shared_ptr<LinkProblemSlot> m_problem = std::make_shared<LinkProblemSlot>();
    std::unique_ptr<SerialLine> m_serial;
    std::unique_ptr<CClientSocket> m_socket;

    friend class SerialLine;
    friend class CClientSocket;
};
