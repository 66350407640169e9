// What every time query hands back, whichever protocol asked the server: the Time protocol (TCP,
// whole seconds), NTP (UDP, offset and delay) or NTS (NTP with a key agreed over TLS). One answer
// type carries the server's time or the reason none was taken, so the clock update, its log line
// and its message box treat the three alike.
#pragma once

#include "base/datetime.h"

#include <cstdint>
#include <string>

// The protocol of "Protocol" in the settings, by its stored number.
enum class TimeProtocol : int {
    Time = 0, // RFC 868 over TCP port 37
    Ntp = 1,  // NTP client mode over UDP port 123
    Nts = 2,  // NTS key exchange over TLS (TCP 4460), then authenticated NTP
};

// The stored number of a protocol, or Time for a number out of range.
TimeProtocol TimeProtocolOf(int stored);

// Why no time was taken. The order is the order of precedence when several replies were refused
// for different reasons: the most telling one is reported.
enum class QueryFailure {
    None,
    NoAnswer,        // nothing came back within the waits
    WrongSender,     // replies came from another address or port
    Malformed,       // a reply too short or not well formed
    NotAReply,       // not a server reply of a known version
    WrongOrigin,     // a reply to another request: forged or replayed
    NotAuthenticated, // an NTS reply without its authenticator
    Unauthentic,     // an NTS reply whose authenticator does not verify
    Unsynchronised,  // the server says its clock is not synchronised (leap 3, stratum 16 or more)
    KissOfDeath,     // the server refuses to serve (stratum 0); detail holds its code
    KeyExchange,     // the NTS key exchange failed; detail says how
    Certificate,     // the server's certificate is not trusted; detail says why
    Unavailable,     // this build has no NTS
};

// The reason in English with "%1" where the detail goes, marked for translation in context
// "TcvMain": "" for None and NoAnswer (the outcome then says only that the server was not reached).
const char* QueryFailureTemplate(QueryFailure failure);
// The reason in English as the log keeps it: the template with the detail put in.
std::string QueryFailureText(QueryFailure failure, const std::string& detail);

// What a query brought back, handed from wherever it ran to the attempt that asked for it.
struct QueryAnswer {
    TDateTime serverTime = 0.0;  // the server's time as a local date-time at replyTick; 0.0: none
    std::uint32_t replyTick = 0; // tick count (ms) when the reply came
    QueryFailure failure = QueryFailure::None;
    std::string detail; // the kiss code, or what failed in the key exchange
};
