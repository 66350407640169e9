// The NTS key-exchange records (sent over TLS after ALPN "ntske/1"): each a critical bit and a
// 15-bit type, a 16-bit body length and the body, a message ending with an End of Message record.
// The client asks for NTPv4 and AEAD AES-SIV-CMAC-256; the server answers with its choices, the
// cookies for the NTP requests, and where to send them when that is not the host asked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ntske {

inline constexpr std::uint16_t kEndOfMessage = 0;
inline constexpr std::uint16_t kNextProtocol = 1;
inline constexpr std::uint16_t kError = 2;
inline constexpr std::uint16_t kWarning = 3;
inline constexpr std::uint16_t kAead = 4;
inline constexpr std::uint16_t kNewCookie = 5;
inline constexpr std::uint16_t kServer = 6;
inline constexpr std::uint16_t kPort = 7;
inline constexpr std::uint16_t kCritical = 0x8000;

inline constexpr std::uint16_t kProtocolNtpV4 = 0;
inline constexpr std::uint16_t kAeadAesSivCmac256 = 15;
inline constexpr std::size_t kKeyBytes = 32;
// A response longer than this is not a key exchange.
inline constexpr std::size_t kMaxResponseBytes = 65536;
inline constexpr std::size_t kMaxCookies = 8;

// The client's request: NTPv4, AES-SIV-CMAC-256, end.
std::vector<std::uint8_t> Request();

// What a server's response said.
struct Response {
    std::vector<std::vector<std::uint8_t>> cookies; // at most kMaxCookies kept
    std::optional<std::string> server;              // the NTP server, when not the host asked
    std::optional<std::uint16_t> port;              // its port, when not 123
};

// The response of the complete records in bytes. complete is set when an End of Message record was
// read; the response is nullopt (with why in English) when the records are malformed, report an
// error, refuse NTPv4 or AES-SIV-CMAC-256, carry an unknown critical record or give no cookie.
std::optional<Response> ParseResponse(const std::vector<std::uint8_t>& bytes, bool& complete, std::string& why);

} // namespace ntske
