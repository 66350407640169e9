// The NTS client: NTP whose every reply proves it came from the server. First a key exchange over
// TLS 1.3 (TCP 4460, ALPN "ntske/1", the certificate checked against the host): it agrees on NTPv4
// and AES-SIV-CMAC-256, gives the two keys (from the TLS exporter) and cookies, opaque tickets the
// server turns back into those keys. Then NTP requests each carry a random unique identifier, one
// cookie and an authenticator over the whole request; a reply counts only when it carries the same
// identifier and an authenticator made with the server-to-client key, inside which come new
// cookies. Keys and cookies are kept for the next queries to the same server, so a key exchange
// is needed only when they run out, or when the server answers with an NTS NAK (a kiss-o'-death
// "NTSN" echoing the identifier: it can no longer read the cookie), which drops them.
//
// Without the platform's NtsSecurity (a build without a TLS library) every query fails as
// unavailable. Used by one thread at a time, like the NtpClient it drives.
#pragma once

#include "timesync/ntpclient.h"

#include <deque>
#include <memory>
#include <optional>
#include <string>

class NtsSecurity;

class NtsClient {
public:
    static constexpr std::uint16_t kKeyExchangePort = 4460;
    static constexpr int kKeyExchangeTimeoutMs = 5000; // connect, handshake and records together
    static constexpr int kReceiveSliceMs = 50;

    // security may be null: NTS is then unavailable.
    NtsClient(NetTime& net, NtpClient& ntp, NtsSecurity* security);
    ~NtsClient();
    NtsClient(const NtsClient&) = delete;
    NtsClient& operator=(const NtsClient&) = delete;

    // The whole query: a key exchange when no cookie is kept for server, then the NTP exchange.
    NtpResult Query(const std::string& server);

    // A PEM file whose certificates are trusted besides the system's (empty: none).
    void SetTrustedCertificate(std::string file) { m_trustedFile = std::move(file); }
    // Test hooks: the key exchange's port, and an NTP port that replaces the one it names.
    void SetKeyExchangePort(std::uint16_t port) { m_keyExchangePort = port; }
    void SetNtpPortOverride(std::optional<std::uint16_t> port) { m_ntpPortOverride = port; }
    // Cookies kept for the next queries.
    std::size_t CookiesKept() const;

    struct Association;

private:
    // Agrees keys with server; false with result's failure set when that fails.
    bool KeyExchange(const std::string& server, std::uint32_t address, NtpResult& result);
    // The NTP exchange under the association, which is dropped when the server sent a NAK (nak set).
    NtpResult GuardedExchange(bool& nak);

    NetTime& m_net;
    NtpClient& m_ntp;
    NtsSecurity* m_security;
    std::string m_trustedFile;
    std::uint16_t m_keyExchangePort = kKeyExchangePort;
    std::optional<std::uint16_t> m_ntpPortOverride;
    std::unique_ptr<Association> m_association;
};
