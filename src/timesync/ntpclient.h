// The NTP client: client mode of NTP as simple clients use it. Each request carries a random
// transmit timestamp that the reply must echo as its origin, so only a reply to this very request
// counts; the client notes its own clock when the request leaves (t1) and the reply comes (t4), and
// takes the server's receive (t2) and transmit (t3) times from the reply:
//     offset = ((t2 − t1) + (t3 − t4)) / 2      delay = (t4 − t1) − (t3 − t2)
// A few requests are made and the reply with the lowest delay is kept, the one least disturbed by
// the network. Replies from elsewhere, malformed or not matching are set aside and the wait goes on
// (a forger on the path cannot end a query early); a server that says it is not synchronised or
// sends a kiss-o'-death ends the query, which then reports why.
//
// NTS (ntsclient.h) runs the same exchange with a guard that adds its extension fields to each
// request and checks them on the reply. Like NetTime, whose socket-layer start it shares, a client
// is used by one thread at a time.
#pragma once

#include "timesync/nettime.h"
#include "timesync/timequery.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class LocalClock;

// What NTS adds to a request and checks on its reply.
class NtpRequestGuard {
public:
    virtual ~NtpRequestGuard() = default;
    // Whether another request can be guarded (NTS spends one cookie on each).
    virtual bool CanSeal() const = 0;
    // Appends the guard's extension fields to a request's 48 header bytes.
    virtual void Seal(std::vector<std::uint8_t>& request) = 0;
    // Checks a reply to the latest sealed request whose header already matched: None when it is
    // authentic, KissOfDeath for a refusal the guard believes unauthenticated, else why not.
    virtual QueryFailure Check(const std::vector<std::uint8_t>& reply) = 0;
};

// One reply taken: its offset and delay, and when it came by the local clock and the tick counter.
struct NtpSample {
    double offsetSeconds = 0.0; // server − client
    double delaySeconds = 0.0;  // the round trip less the server's own time
    TDateTime localAtReply = 0.0;
    std::uint32_t replyTick = 0;
};

struct NtpResult {
    std::optional<NtpSample> best; // the lowest-delay sample, when one was taken
    int samples = 0;               // replies taken
    QueryFailure failure = QueryFailure::None; // when none was taken: the most telling refusal
    std::string detail;                        // the kiss code
};

// The answer of a query for the clock update: the server's time at the best reply.
QueryAnswer AnswerOf(const NtpResult& result);

class NtpClient {
public:
    static constexpr int kSamples = 4;
    static constexpr int kReplyTimeoutMs = 2000; // per request
    static constexpr int kReceiveSliceMs = 50;   // longest receive wait between message rounds

    // net's socket layer, tick counter, pump and zone are used; clock tells t1 and t4.
    NtpClient(NetTime& net, const LocalClock& clock);

    // The whole query: starts the socket layer, resolves server and service (a port or a "udp"
    // service name), exchanges, stops the layer.
    NtpResult Query(const std::string& server, const std::string& service = "123");
    // Up to kSamples exchanges with address:port over one UDP socket, with the socket layer already
    // started; guard, when given, seals each request and checks each reply.
    NtpResult Exchange(std::uint32_t address, std::uint16_t port, NtpRequestGuard* guard = nullptr);

private:
    struct Attempt;
    // One request and the wait for its reply; false when the query must end (a final refusal).
    bool ExchangeOnce(SocketHandle socket, Attempt& attempt, NtpRequestGuard* guard, NtpResult& result);
    // Why a datagram is not a reply to the request, or None.
    QueryFailure Refusal(const Datagram& datagram, const Attempt& attempt, NtpRequestGuard* guard,
                         std::string& detail) const;
    TDateTime UtcNow() const;

    NetTime& m_net;
    const LocalClock& m_clock;
    double m_bias = 0.0; // of the zone when the exchange began, days
};
