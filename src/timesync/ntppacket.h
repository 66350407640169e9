// The NTP wire format as a client needs it: 64-bit timestamps (seconds since 1 January 1900 UTC in
// 32.32 fixed point, era folded away), the 48-byte header, and the extension fields that follow it
// (type, length, body padded to four bytes) on which NTS builds. Only encoding and decoding live
// here; what a client accepts is decided by the client.
#pragma once

#include "base/datetime.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// Seconds since 1 January 1900 00:00 UTC of some era, 32.32 fixed point. Eras repeat every 2^32 s
// (136 years); differences are taken modulo that, so they are right within 68 years either way.
using NtpTime = std::uint64_t;

// The NTP time of a UTC date-time (days since 30 December 1899), in its era.
NtpTime NtpTimeOfUtc(TDateTime utc);
// later − earlier in seconds, across an era boundary (the difference nearest to zero).
double NtpSecondsBetween(NtpTime earlier, NtpTime later);

inline constexpr std::size_t kNtpHeaderBytes = 48;

namespace ntp_mode {
inline constexpr std::uint8_t kClient = 3;
inline constexpr std::uint8_t kServer = 4;
} // namespace ntp_mode

inline constexpr std::uint8_t kNtpLeapUnsynchronised = 3;
inline constexpr std::uint8_t kNtpStratumKiss = 0;
inline constexpr std::uint8_t kNtpStratumMax = 15;

struct NtpHeader {
    std::uint8_t leap = 0;    // 0..3; 3: the server's clock is not synchronised
    std::uint8_t version = 4; // 1..7
    std::uint8_t mode = ntp_mode::kClient;
    std::uint8_t stratum = 0; // 0: kiss-o'-death, 1..15: synchronised, 16..: not
    std::int8_t poll = 0;
    std::int8_t precision = 0;
    std::uint32_t rootDelay = 0;
    std::uint32_t rootDispersion = 0;
    std::array<std::uint8_t, 4> referenceId{}; // with stratum 0: the kiss code in ASCII
    NtpTime reference = 0;
    NtpTime origin = 0;   // the client's transmit timestamp, echoed
    NtpTime receive = 0;  // when the request reached the server
    NtpTime transmit = 0; // when the reply left the server
};

// The 48 bytes of a header, most significant first.
std::vector<std::uint8_t> EncodeNtpHeader(const NtpHeader& header);
// The header at the start of a packet, or nullopt when it is shorter than 48 bytes.
std::optional<NtpHeader> DecodeNtpHeader(const std::vector<std::uint8_t>& packet);

struct NtpExtensionField {
    std::uint16_t type = 0;
    std::vector<std::uint8_t> body; // padding included when parsed
    std::size_t offset = 0;         // where the field begins in the packet
};

// Appends a field: type, length (header included, padded to four bytes), body, zero padding.
void AppendExtensionField(std::vector<std::uint8_t>& packet, std::uint16_t type, const std::vector<std::uint8_t>& body);
// The extension fields from offset from on (the header's end by default), or nullopt when they do
// not tile the rest of the packet exactly (a length below 4, not a multiple of 4, or past the end).
std::optional<std::vector<NtpExtensionField>> ParseExtensionFields(const std::vector<std::uint8_t>& packet,
                                                                   std::size_t from = kNtpHeaderBytes);
