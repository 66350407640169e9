#include "platform/ntssecurity.h"

#include <gnutls/crypto.h>
#include <gnutls/gnutls.h>
#include <nettle/siv-cmac.h>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits until fd is ready for what the TLS layer wants next (reading, or writing when it says so).
bool WaitReady(int fd, gnutls_session_t session, int waitMs)
{
    pollfd ready{fd, static_cast<short>(gnutls_record_get_direction(session) ? POLLOUT : POLLIN), 0};
    return ::poll(&ready, 1, waitMs) > 0;
}

class GnutlsConnection final : public TlsConnection {
public:
    GnutlsConnection(int fd, gnutls_session_t session, gnutls_certificate_credentials_t credentials)
        : m_fd(fd), m_session(session), m_credentials(credentials)
    {
    }
    ~GnutlsConnection() override
    {
        gnutls_deinit(m_session);
        gnutls_certificate_free_credentials(m_credentials);
        ::close(m_fd);
    }
    GnutlsConnection(const GnutlsConnection&) = delete;
    GnutlsConnection& operator=(const GnutlsConnection&) = delete;

    bool Send(const NtsBytes& bytes, int timeoutMs) override
    {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t result = gnutls_record_send(m_session, bytes.data() + sent, bytes.size() - sent);
            if (result > 0) {
                sent += static_cast<std::size_t>(result);
                continue;
            }
            if ((result != GNUTLS_E_AGAIN && result != GNUTLS_E_INTERRUPTED) ||
                !WaitReady(m_fd, m_session, RemainingMs(deadline)))
                return false;
        }
        return true;
    }

    ReceiveResult Receive(NtsBytes& into, int waitMs) override
    {
        std::uint8_t buffer[4096];
        ssize_t result = gnutls_record_recv(m_session, buffer, sizeof buffer);
        if (result == GNUTLS_E_AGAIN || result == GNUTLS_E_INTERRUPTED) {
            if (!WaitReady(m_fd, m_session, waitMs))
                return ReceiveResult::Waiting;
            result = gnutls_record_recv(m_session, buffer, sizeof buffer);
        }
        if (result > 0) {
            into.insert(into.end(), buffer, buffer + result);
            return ReceiveResult::Byte;
        }
        if (result == 0)
            return ReceiveResult::Closed;
        if (result == GNUTLS_E_AGAIN || result == GNUTLS_E_INTERRUPTED)
            return ReceiveResult::Waiting;
        // A peer that closes without the TLS close is the end of its stream too.
        return result == GNUTLS_E_PREMATURE_TERMINATION ? ReceiveResult::Closed : ReceiveResult::Failed;
    }

    std::optional<NtsBytes> ExportKey(const std::string& label, const NtsBytes& context, std::size_t size) override
    {
        NtsBytes key(size);
        const int result =
            gnutls_prf_rfc5705(m_session, label.size(), label.data(), context.size(),
                               reinterpret_cast<const char*>(context.data()), size, reinterpret_cast<char*>(key.data()));
        if (result < 0)
            return std::nullopt;
        return key;
    }

private:
    int m_fd;
    gnutls_session_t m_session;
    gnutls_certificate_credentials_t m_credentials;
};

// A TCP connection to address:port within the deadline, or -1.
int ConnectWithin(std::uint32_t address, std::uint16_t port, Clock::time_point deadline, std::string& reason)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        reason = "no socket";
        return -1;
    }
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    peer.sin_addr.s_addr = htonl(address);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0 && errno != EINPROGRESS) {
        reason = "connection refused";
        ::close(fd);
        return -1;
    }
    pollfd ready{fd, POLLOUT, 0};
    int error = 0;
    socklen_t length = sizeof error;
    if (::poll(&ready, 1, RemainingMs(deadline)) <= 0 || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 ||
        error != 0) {
        reason = error != 0 ? "connection refused" : "no connection within the time-out";
        ::close(fd);
        return -1;
    }
    return fd;
}

class GnutlsNtsSecurity final : public NtsSecurity {
public:
    GnutlsNtsSecurity() { gnutls_global_init(); }
    ~GnutlsNtsSecurity() override { gnutls_global_deinit(); }
    GnutlsNtsSecurity(const GnutlsNtsSecurity&) = delete;
    GnutlsNtsSecurity& operator=(const GnutlsNtsSecurity&) = delete;

    std::unique_ptr<TlsConnection> Connect(const TlsRequest& request, TlsFailure& failure) override
    {
        const auto deadline = Clock::now() + std::chrono::milliseconds(request.timeoutMs);
        const int fd = ConnectWithin(request.address, request.port, deadline, failure.reason);
        if (fd < 0)
            return nullptr;

        gnutls_certificate_credentials_t credentials = nullptr;
        gnutls_certificate_allocate_credentials(&credentials);
        gnutls_certificate_set_x509_system_trust(credentials);
        if (!request.extraTrustedFile.empty() &&
            gnutls_certificate_set_x509_trust_file(credentials, request.extraTrustedFile.c_str(), GNUTLS_X509_FMT_PEM) < 0)
            failure.reason = "the trusted certificate file could not be read";
        gnutls_session_t session = nullptr;
        gnutls_init(&session, GNUTLS_CLIENT | GNUTLS_NONBLOCK);
        auto connection = std::make_unique<GnutlsConnection>(fd, session, credentials);
        if (!failure.reason.empty())
            return nullptr;
        gnutls_priority_set_direct(session, "NORMAL:-VERS-ALL:+VERS-TLS1.3", nullptr);
        gnutls_credentials_set(session, GNUTLS_CRD_CERTIFICATE, credentials);
        in_addr dotted{};
        if (::inet_pton(AF_INET, request.host.c_str(), &dotted) != 1)
            gnutls_server_name_set(session, GNUTLS_NAME_DNS, request.host.data(), request.host.size());
        gnutls_session_set_verify_cert(session, request.host.c_str(), 0);
        gnutls_datum_t alpn{reinterpret_cast<unsigned char*>(const_cast<char*>(request.alpn.data())),
                            static_cast<unsigned>(request.alpn.size())};
        gnutls_alpn_set_protocols(session, &alpn, 1, GNUTLS_ALPN_MANDATORY);
        gnutls_transport_set_int(session, fd);

        for (;;) {
            const int result = gnutls_handshake(session);
            if (result == GNUTLS_E_SUCCESS)
                break;
            if (result == GNUTLS_E_CERTIFICATE_VERIFICATION_ERROR) {
                failure.certificate = true;
                gnutls_datum_t text{};
                const unsigned status = gnutls_session_get_verify_cert_status(session);
                gnutls_certificate_verification_status_print(status, GNUTLS_CRT_X509, &text, 0);
                failure.reason = text.data ? reinterpret_cast<const char*>(text.data) : "not trusted";
                gnutls_free(text.data);
                return nullptr;
            }
            if (gnutls_error_is_fatal(result)) {
                failure.reason = gnutls_strerror(result);
                return nullptr;
            }
            if (!WaitReady(fd, session, RemainingMs(deadline))) {
                failure.reason = "the TLS handshake stalled";
                return nullptr;
            }
        }
        gnutls_datum_t selected{};
        if (gnutls_alpn_get_selected_protocol(session, &selected) != 0 ||
            std::string(reinterpret_cast<const char*>(selected.data), selected.size) != request.alpn) {
            failure.reason = "the server did not agree to " + request.alpn;
            return nullptr;
        }
        return connection;
    }

    NtsBytes Seal(const NtsBytes& key, const NtsBytes& nonce, const NtsBytes& associated, const NtsBytes& plain) override
    {
        if (nonce.empty() || key.size() != SIV_CMAC_AES128_KEY_SIZE)
            return {};
        siv_cmac_aes128_ctx context{};
        siv_cmac_aes128_set_key(&context, key.data());
        NtsBytes sealed(plain.size() + SIV_DIGEST_SIZE);
        siv_cmac_aes128_encrypt_message(&context, nonce.size(), nonce.data(), associated.size(), associated.data(),
                                        sealed.size(), sealed.data(), plain.data());
        return sealed;
    }

    std::optional<NtsBytes> Open(const NtsBytes& key, const NtsBytes& nonce, const NtsBytes& associated,
                              const NtsBytes& sealed) override
    {
        if (sealed.size() < SIV_DIGEST_SIZE || nonce.empty() || key.size() != SIV_CMAC_AES128_KEY_SIZE)
            return std::nullopt;
        siv_cmac_aes128_ctx context{};
        siv_cmac_aes128_set_key(&context, key.data());
        NtsBytes plain(sealed.size() - SIV_DIGEST_SIZE);
        if (!siv_cmac_aes128_decrypt_message(&context, nonce.size(), nonce.data(), associated.size(), associated.data(),
                                             plain.size(), plain.data(), sealed.data()))
            return std::nullopt;
        return plain;
    }

    NtsBytes Random(std::size_t size) override
    {
        NtsBytes bytes(size);
        gnutls_rnd(GNUTLS_RND_RANDOM, bytes.data(), bytes.size());
        return bytes;
    }
};

} // namespace

std::unique_ptr<NtsSecurity> MakeSystemNtsSecurity()
{
    return std::make_unique<GnutlsNtsSecurity>();
}
