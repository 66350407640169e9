// Platform service: the socket layer the time queries talk through: a counted start and clean-up
// of the layer, host and service lookups, TCP streams read one byte at a time, and UDP datagrams. The count is the query's own
// rule, not only Windows': its stop releases the layer round by round until the layer says no start
// is left, so a start leaked anywhere in the process is released too. POSIX has no layer to start and
// only keeps the count. Addresses and ports travel in network byte order. Implementations report
// failures through LastError with the codes below, whatever the platform's own codes are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using SocketHandle = std::intptr_t;
constexpr SocketHandle kNoSocket = -1;

// Failure reasons as LastError reports them.
namespace socket_error {
constexpr int kInterrupted = 10004;    // a blocking call was interrupted
constexpr int kWouldBlock = 10035;     // the operation is under way and completes later
constexpr int kNotInitialised = 10093; // no start of the layer is outstanding
constexpr int kRefused = 10061;        // the peer refused the connection
constexpr int kOther = 10022;          // any other failure
} // namespace socket_error

// What one receive of a single byte ended with.
enum class ReceiveResult {
    Byte,    // one byte arrived (from ReceiveFrom: one datagram)
    Closed,  // the peer has closed its side: no data, no error
    Failed,  // the receive reported an error (in LastError)
    Waiting, // nothing arrived within the wait; the connection is still open
};

// One UDP datagram as it came, with its sender (address and port in host order).
struct Datagram {
    std::vector<std::uint8_t> bytes;
    std::uint32_t address = 0;
    std::uint16_t port = 0;
};

// Datagrams longer than this are cut to it when received.
inline constexpr std::size_t kMaxDatagramBytes = 2048;

class SocketLayer {
public:
    virtual ~SocketLayer() = default;

    // Starts the layer for the given version (0x0101: 1.1). 0 on success, else an error code.
    // Starts are counted: each needs its own Cleanup.
    virtual int Startup(std::uint16_t version) = 0;
    // Releases one start: 0, or -1 with the reason in LastError (kNotInitialised when none is
    // outstanding). The last release closes every socket still open.
    virtual int Cleanup() = 0;
    // The reason of the latest failed call.
    virtual int LastError() const = 0;
    // Cancels a blocking call in progress, if any.
    virtual void CancelBlockingCall() = 0;

    // The address of a dotted IPv4 text ("192.0.2.1"), or nullopt when the text is not one.
    virtual std::optional<std::uint32_t> DottedAddress(const std::string& text) = 0;
    // The first IPv4 address of a host name, or nullopt when the lookup finds none.
    virtual std::optional<std::uint32_t> LookupHost(const std::string& name) = 0;
    // The port of the services-database entry for a port (any protocol), or nullopt.
    virtual std::optional<std::uint16_t> ServiceByPort(std::uint16_t port) = 0;
    // The port of the services-database entry for a name and protocol ("tcp"), or nullopt.
    virtual std::optional<std::uint16_t> ServiceByName(const std::string& name, const std::string& protocol) = 0;

    // A new IPv4 TCP socket, or kNoSocket (reason in LastError).
    virtual SocketHandle OpenStream() = 0;
    // Connects to address:port. 0, or -1 with the reason in LastError; kWouldBlock means the
    // connection is still being made and the first receive tells how it ended.
    virtual int Connect(SocketHandle socket, std::uint32_t address, std::uint16_t port) = 0;
    // Receives one byte into byte, waiting at most waitMs milliseconds (0: only what is there).
    virtual ReceiveResult Receive(SocketHandle socket, std::uint8_t& byte, int waitMs) = 0;
    // Shuts the connection down in both directions.
    virtual void Shutdown(SocketHandle socket) = 0;
    // Closes the socket and releases its handle.
    virtual void Close(SocketHandle socket) = 0;

    // A new IPv4 UDP socket, or kNoSocket (reason in LastError). A layer without datagrams has none.
    virtual SocketHandle OpenDatagram() { return kNoSocket; }
    // Sends bytes as one datagram to address:port. 0, or -1 with the reason in LastError.
    virtual int SendTo(SocketHandle /*socket*/, std::uint32_t /*address*/, std::uint16_t /*port*/,
                       const std::vector<std::uint8_t>& /*bytes*/)
    {
        return -1;
    }
    // Receives one datagram from anyone, waiting at most waitMs milliseconds: Byte when one came
    // (in datagram, at most kMaxDatagramBytes of it), Waiting when none did, Failed on an error.
    virtual ReceiveResult ReceiveFrom(SocketHandle /*socket*/, Datagram& /*datagram*/, int /*waitMs*/)
    {
        return ReceiveResult::Failed;
    }
};

// The socket layer of this computer.
std::unique_ptr<SocketLayer> MakeSystemSocketLayer();
