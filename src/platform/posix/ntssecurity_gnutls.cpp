// NTS on GnuTLS (the TLS 1.3 key exchange and its exporter) and Nettle (AES-SIV-CMAC).
//
// Both are opened on the first NTS exchange, not linked: with what they bring (Hogweed, GMP, p11-kit,
// libtasn1, libidn2, libunistring) they would cost every start about 0.4 MiB and some 7 M
// instructions of linking and set-up, for a protocol only a user who picks an NTS server uses. Should
// they be missing then, each key exchange fails with the reason in the log.
#include "platform/ntssecurity.h"

#include <gnutls/crypto.h>
#include <gnutls/gnutls.h>
#include <nettle/siv-cmac.h>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <dlfcn.h>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <type_traits>
#include <unistd.h>

namespace {

// The sonames: their ABIs have kept them since GnuTLS 3.6 and Nettle 3.6.
constexpr const char* kGnutlsLibrary = "libgnutls.so.30";
constexpr const char* kNettleLibrary = "libnettle.so.8";

// Every function used, named as the library exports it (the headers map Nettle's short names to these).
#define CHRONIVO_GNUTLS_FUNCTIONS(X)                                                                    \
    X(gnutls_global_init) X(gnutls_record_get_direction) X(gnutls_deinit)                               \
    X(gnutls_certificate_free_credentials) X(gnutls_record_send) X(gnutls_record_recv)                  \
    X(gnutls_prf_rfc5705) X(gnutls_certificate_allocate_credentials)                                    \
    X(gnutls_certificate_set_x509_system_trust) X(gnutls_certificate_set_x509_trust_file) X(gnutls_init) \
    X(gnutls_priority_set_direct) X(gnutls_credentials_set) X(gnutls_server_name_set)                   \
    X(gnutls_session_set_verify_cert) X(gnutls_alpn_set_protocols) X(gnutls_transport_set_int2)         \
    X(gnutls_handshake) X(gnutls_session_get_verify_cert_status)                                        \
    X(gnutls_certificate_verification_status_print) X(gnutls_error_is_fatal) X(gnutls_strerror)         \
    X(gnutls_alpn_get_selected_protocol) X(gnutls_rnd)
#define CHRONIVO_NETTLE_FUNCTIONS(X)                                                                    \
    X(nettle_siv_cmac_aes128_set_key) X(nettle_siv_cmac_aes128_encrypt_message)                         \
    X(nettle_siv_cmac_aes128_decrypt_message)

struct TlsLibrary {
#define CHRONIVO_DECLARE(name) decltype(&::name) name = nullptr;
    CHRONIVO_GNUTLS_FUNCTIONS(CHRONIVO_DECLARE)
    CHRONIVO_NETTLE_FUNCTIONS(CHRONIVO_DECLARE)
#undef CHRONIVO_DECLARE
    gnutls_free_function* free = nullptr; // GnuTLS exports its deallocator as a variable
};

// Opens library and finds each function; false with why filled in when one is missing.
bool OpenTlsLibrary(TlsLibrary& calls, std::string& why)
{
    void* gnutls = dlopen(kGnutlsLibrary, RTLD_NOW | RTLD_LOCAL);
    void* nettle = gnutls ? dlopen(kNettleLibrary, RTLD_NOW | RTLD_LOCAL) : nullptr;
    if (!nettle) {
        const char* error = dlerror();
        why = std::string("the TLS library could not be opened (") + (error ? error : "unknown error") + ")";
        return false;
    }
    const auto resolve = [&why](void* library, const char* name, auto& function) {
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(library, name));
        if (!function && why.empty())
            why = std::string("the TLS library lacks ") + name;
    };
#define CHRONIVO_RESOLVE_GNUTLS(name) resolve(gnutls, #name, calls.name);
#define CHRONIVO_RESOLVE_NETTLE(name) resolve(nettle, #name, calls.name);
    CHRONIVO_GNUTLS_FUNCTIONS(CHRONIVO_RESOLVE_GNUTLS)
    CHRONIVO_NETTLE_FUNCTIONS(CHRONIVO_RESOLVE_NETTLE)
#undef CHRONIVO_RESOLVE_GNUTLS
#undef CHRONIVO_RESOLVE_NETTLE
    resolve(gnutls, "gnutls_free", calls.free);
    if (!why.empty())
        return false;
    calls.gnutls_global_init();
    return true;
}

// The libraries, opened on the first call for the program's life (never closed: GnuTLS keeps global
// state), or nullptr with why (when given) filled in. Safe from any thread.
const TlsLibrary* Tls(std::string* why = nullptr)
{
    struct Opened {
        TlsLibrary calls;
        std::string failure;
        bool ok = false;
    };
    static const Opened opened = [] {
        Opened result;
        result.ok = OpenTlsLibrary(result.calls, result.failure);
        return result;
    }();
    if (!opened.ok && why)
        *why = opened.failure;
    return opened.ok ? &opened.calls : nullptr;
}

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits until fd is ready for what the TLS layer wants next (reading, or writing when it says so).
bool WaitReady(const TlsLibrary& tls, int fd, gnutls_session_t session, int waitMs)
{
    pollfd ready{fd, static_cast<short>(tls.gnutls_record_get_direction(session) ? POLLOUT : POLLIN), 0};
    return ::poll(&ready, 1, waitMs) > 0;
}

class GnutlsConnection final : public TlsConnection {
public:
    GnutlsConnection(const TlsLibrary& tls, int fd, gnutls_session_t session,
                     gnutls_certificate_credentials_t credentials)
        : m_tls(tls), m_fd(fd), m_session(session), m_credentials(credentials)
    {
    }
    ~GnutlsConnection() override
    {
        m_tls.gnutls_deinit(m_session);
        m_tls.gnutls_certificate_free_credentials(m_credentials);
        ::close(m_fd);
    }
    GnutlsConnection(const GnutlsConnection&) = delete;
    GnutlsConnection& operator=(const GnutlsConnection&) = delete;

    bool Send(const NtsBytes& bytes, int timeoutMs) override
    {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t result = m_tls.gnutls_record_send(m_session, bytes.data() + sent, bytes.size() - sent);
            if (result > 0) {
                sent += static_cast<std::size_t>(result);
                continue;
            }
            if ((result != GNUTLS_E_AGAIN && result != GNUTLS_E_INTERRUPTED) ||
                !WaitReady(m_tls, m_fd, m_session, RemainingMs(deadline)))
                return false;
        }
        return true;
    }

    ReceiveResult Receive(NtsBytes& into, int waitMs) override
    {
        std::uint8_t buffer[4096];
        ssize_t result = m_tls.gnutls_record_recv(m_session, buffer, sizeof buffer);
        if (result == GNUTLS_E_AGAIN || result == GNUTLS_E_INTERRUPTED) {
            if (!WaitReady(m_tls, m_fd, m_session, waitMs))
                return ReceiveResult::Waiting;
            result = m_tls.gnutls_record_recv(m_session, buffer, sizeof buffer);
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
            m_tls.gnutls_prf_rfc5705(m_session, label.size(), label.data(), context.size(),
                                     reinterpret_cast<const char*>(context.data()), size,
                                     reinterpret_cast<char*>(key.data()));
        if (result < 0)
            return std::nullopt;
        return key;
    }

private:
    const TlsLibrary& m_tls;
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
    std::unique_ptr<TlsConnection> Connect(const TlsRequest& request, TlsFailure& failure) override
    {
        const TlsLibrary* const opened = Tls(&failure.reason);
        if (!opened)
            return nullptr;
        const TlsLibrary& tls = *opened;
        const auto deadline = Clock::now() + std::chrono::milliseconds(request.timeoutMs);
        const int fd = ConnectWithin(request.address, request.port, deadline, failure.reason);
        if (fd < 0)
            return nullptr;

        gnutls_certificate_credentials_t credentials = nullptr;
        tls.gnutls_certificate_allocate_credentials(&credentials);
        tls.gnutls_certificate_set_x509_system_trust(credentials);
        if (!request.extraTrustedFile.empty() &&
            tls.gnutls_certificate_set_x509_trust_file(credentials, request.extraTrustedFile.c_str(), GNUTLS_X509_FMT_PEM) < 0)
            failure.reason = "the trusted certificate file could not be read";
        gnutls_session_t session = nullptr;
        tls.gnutls_init(&session, GNUTLS_CLIENT | GNUTLS_NONBLOCK);
        auto connection = std::make_unique<GnutlsConnection>(tls, fd, session, credentials);
        if (!failure.reason.empty())
            return nullptr;
        tls.gnutls_priority_set_direct(session, "NORMAL:-VERS-ALL:+VERS-TLS1.3", nullptr);
        tls.gnutls_credentials_set(session, GNUTLS_CRD_CERTIFICATE, credentials);
        in_addr dotted{};
        if (::inet_pton(AF_INET, request.host.c_str(), &dotted) != 1)
            tls.gnutls_server_name_set(session, GNUTLS_NAME_DNS, request.host.data(), request.host.size());
        tls.gnutls_session_set_verify_cert(session, request.host.c_str(), 0);
        gnutls_datum_t alpn{reinterpret_cast<unsigned char*>(const_cast<char*>(request.alpn.data())),
                            static_cast<unsigned>(request.alpn.size())};
        tls.gnutls_alpn_set_protocols(session, &alpn, 1, GNUTLS_ALPN_MANDATORY);
        tls.gnutls_transport_set_int2(session, fd, fd);

        for (;;) {
            const int result = tls.gnutls_handshake(session);
            if (result == GNUTLS_E_SUCCESS)
                break;
            if (result == GNUTLS_E_CERTIFICATE_VERIFICATION_ERROR) {
                failure.certificate = true;
                gnutls_datum_t text{};
                const unsigned status = tls.gnutls_session_get_verify_cert_status(session);
                tls.gnutls_certificate_verification_status_print(status, GNUTLS_CRT_X509, &text, 0);
                failure.reason = text.data ? reinterpret_cast<const char*>(text.data) : "not trusted";
                (*tls.free)(text.data);
                return nullptr;
            }
            if (tls.gnutls_error_is_fatal(result)) {
                failure.reason = tls.gnutls_strerror(result);
                return nullptr;
            }
            if (!WaitReady(tls, fd, session, RemainingMs(deadline))) {
                failure.reason = "the TLS handshake stalled";
                return nullptr;
            }
        }
        gnutls_datum_t selected{};
        if (tls.gnutls_alpn_get_selected_protocol(session, &selected) != 0 ||
            std::string(reinterpret_cast<const char*>(selected.data), selected.size) != request.alpn) {
            failure.reason = "the server did not agree to " + request.alpn;
            return nullptr;
        }
        return connection;
    }

    NtsBytes Seal(const NtsBytes& key, const NtsBytes& nonce, const NtsBytes& associated, const NtsBytes& plain) override
    {
        const TlsLibrary* const tls = Tls();
        if (!tls || nonce.empty() || key.size() != SIV_CMAC_AES128_KEY_SIZE)
            return {};
        siv_cmac_aes128_ctx context{};
        tls->nettle_siv_cmac_aes128_set_key(&context, key.data());
        NtsBytes sealed(plain.size() + SIV_DIGEST_SIZE);
        tls->nettle_siv_cmac_aes128_encrypt_message(&context, nonce.size(), nonce.data(), associated.size(), associated.data(),
                                        sealed.size(), sealed.data(), plain.data());
        return sealed;
    }

    std::optional<NtsBytes> Open(const NtsBytes& key, const NtsBytes& nonce, const NtsBytes& associated,
                              const NtsBytes& sealed) override
    {
        const TlsLibrary* const tls = Tls();
        if (!tls || sealed.size() < SIV_DIGEST_SIZE || nonce.empty() || key.size() != SIV_CMAC_AES128_KEY_SIZE)
            return std::nullopt;
        siv_cmac_aes128_ctx context{};
        tls->nettle_siv_cmac_aes128_set_key(&context, key.data());
        NtsBytes plain(sealed.size() - SIV_DIGEST_SIZE);
        if (!tls->nettle_siv_cmac_aes128_decrypt_message(&context, nonce.size(), nonce.data(), associated.size(), associated.data(),
                                             plain.size(), plain.data(), sealed.data()))
            return std::nullopt;
        return plain;
    }

    NtsBytes Random(std::size_t size) override
    {
        const TlsLibrary* const tls = Tls();
        if (!tls)
            return {}; // not reached: nothing is sealed before a key exchange succeeded
        NtsBytes bytes(size);
        tls->gnutls_rnd(GNUTLS_RND_RANDOM, bytes.data(), bytes.size());
        return bytes;
    }
};

} // namespace

std::unique_ptr<NtsSecurity> MakeSystemNtsSecurity()
{
    return std::make_unique<GnutlsNtsSecurity>();
}
