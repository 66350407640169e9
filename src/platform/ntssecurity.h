// Platform service: the cryptography NTS needs. A TLS 1.3 client connection for the key exchange
// (the server's certificate checked against the system's trusted authorities, plus one extra PEM
// file when given, and against the host name or address asked for; one ALPN protocol required;
// keys taken from the TLS exporter), the AEAD AES-SIV-CMAC-256 that protects each NTP exchange, and
// random bytes. Every wait is bounded by the caller's time-out. Debian builds it on GnuTLS and
// Nettle; a platform without them has none (MakeSystemNtsSecurity answers nullptr) and NTS fails
// there as unavailable.
#pragma once

#include "platform/socketlayer.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using NtsBytes = std::vector<std::uint8_t>;

// One TLS connection, open until destroyed.
class TlsConnection {
public:
    virtual ~TlsConnection() = default;
    // Sends all of bytes within timeoutMs; false on failure or time-out.
    virtual bool Send(const NtsBytes& bytes, int timeoutMs) = 0;
    // Appends what arrives within waitMs to into: Byte when something came, Closed at the end of the
    // stream, Failed on an error, Waiting when nothing came.
    virtual ReceiveResult Receive(NtsBytes& into, int waitMs) = 0;
    // size bytes of keying material exported under label and context (RFC 5705), or nullopt.
    virtual std::optional<NtsBytes> ExportKey(const std::string& label, const NtsBytes& context, std::size_t size) = 0;
};

struct TlsRequest {
    std::string host;      // checked against the certificate (a name, or a dotted address)
    std::uint32_t address = 0;
    std::uint16_t port = 0;
    std::string alpn;             // the one application protocol the server must agree to
    std::string extraTrustedFile; // a PEM file of certificates trusted besides the system's; may be empty
    int timeoutMs = 0;            // for the connect and the handshake together
};

// Why a connection was not made.
struct TlsFailure {
    bool certificate = false; // the server's certificate was not trusted for the host
    std::string reason;       // in English, for the log
};

class NtsSecurity {
public:
    virtual ~NtsSecurity() = default;
    // Connects and completes the handshake, or answers nullptr with failure filled in.
    virtual std::unique_ptr<TlsConnection> Connect(const TlsRequest& request, TlsFailure& failure) = 0;
    // AES-SIV-CMAC-256 (a 32-byte key): the 16-byte tag followed by the ciphertext.
    virtual NtsBytes Seal(const NtsBytes& key, const NtsBytes& nonce, const NtsBytes& associated, const NtsBytes& plain) = 0;
    // The plaintext, or nullopt when the tag does not verify.
    virtual std::optional<NtsBytes> Open(const NtsBytes& key, const NtsBytes& nonce, const NtsBytes& associated,
                                      const NtsBytes& sealed) = 0;
    // size bytes from the system's cryptographic random source.
    virtual NtsBytes Random(std::size_t size) = 0;
};

// This platform's, or nullptr where it has none.
std::unique_ptr<NtsSecurity> MakeSystemNtsSecurity();
