#include "timesync/ntsclient.h"

#include "platform/ntssecurity.h"
#include "platform/tickcounter.h"
#include "timesync/ntppacket.h"
#include "timesync/ntske.h"

#include <algorithm>
#include <array>

namespace {

// The extension fields of NTS.
constexpr std::uint16_t kUniqueIdentifier = 0x0104;
constexpr std::uint16_t kCookie = 0x0204;
constexpr std::uint16_t kAuthenticator = 0x0404;

constexpr std::size_t kUniqueIdentifierBytes = 32;
constexpr std::size_t kNonceBytes = 16;
constexpr std::uint16_t kNtpPort = 123;
// The kiss code of a server that could not read the cookie (its keys changed).
constexpr std::array<std::uint8_t, 4> kNakCode{'N', 'T', 'S', 'N'};
const char* const kExporterLabel = "EXPORTER-network-time-security";

void Put16(NtsBytes& out, std::size_t value)
{
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

void PutPadded(NtsBytes& out, const NtsBytes& bytes)
{
    out.insert(out.end(), bytes.begin(), bytes.end());
    out.resize((out.size() + 3) / 4 * 4, 0);
}

// The exporter's context: the protocol, the AEAD, and which direction the key protects.
NtsBytes KeyContext(std::uint8_t serverToClient)
{
    NtsBytes context;
    Put16(context, ntske::kProtocolNtpV4);
    Put16(context, ntske::kAeadAesSivCmac256);
    context.push_back(serverToClient);
    return context;
}

} // namespace

struct NtsClient::Association {
    std::string server; // the host the key exchange was made with
    NtsBytes clientToServer;
    NtsBytes serverToClient;
    std::deque<NtsBytes> cookies;
    std::uint32_t ntpAddress = 0;
    std::uint16_t ntpPort = kNtpPort;
};

namespace {

// Seals each request with a cookie and the client-to-server key, and checks each reply's unique
// identifier and authenticator; the cookies inside an authentic reply are kept.
class NtsGuard final : public NtpRequestGuard {
public:
    NtsGuard(NtsClient::Association& association, NtsSecurity& security)
        : m_association(association), m_security(security)
    {
    }

    bool CanSeal() const override { return !m_association.cookies.empty(); }

    void Seal(NtsBytes& request) override
    {
        m_uniqueIdentifier = m_security.Random(kUniqueIdentifierBytes);
        AppendExtensionField(request, kUniqueIdentifier, m_uniqueIdentifier);
        AppendExtensionField(request, kCookie, m_association.cookies.front());
        m_association.cookies.pop_front();
        const NtsBytes nonce = m_security.Random(kNonceBytes);
        const NtsBytes sealed = m_security.Seal(m_association.clientToServer, nonce, request, {});
        NtsBytes body;
        Put16(body, nonce.size());
        Put16(body, sealed.size());
        PutPadded(body, nonce);
        PutPadded(body, sealed);
        AppendExtensionField(request, kAuthenticator, body);
    }

    QueryFailure Check(const NtsBytes& reply) override
    {
        const auto fields = ParseExtensionFields(reply);
        if (!fields)
            return QueryFailure::Malformed;
        const auto field = [&fields](std::uint16_t type) {
            return std::find_if(fields->begin(), fields->end(), [type](const auto& f) { return f.type == type; });
        };
        const auto authenticator = field(kAuthenticator);
        const auto identifier = field(kUniqueIdentifier);
        if (authenticator == fields->end() && IsNak(reply) && identifier != fields->end() &&
            identifier->body == m_uniqueIdentifier) {
            // Unauthenticated by nature, so only believed to mean what it says: these cookies are dead.
            m_nak = true;
            return QueryFailure::KissOfDeath;
        }
        // Nothing may follow the authenticator: it would not be covered by it.
        if (authenticator == fields->end() || authenticator + 1 != fields->end())
            return QueryFailure::NotAuthenticated;
        if (identifier == fields->end() || identifier->body != m_uniqueIdentifier)
            return QueryFailure::WrongOrigin;
        const NtsBytes& body = authenticator->body;
        if (body.size() < 4)
            return QueryFailure::Unauthentic;
        const std::size_t nonceBytes = static_cast<std::size_t>(body[0] << 8 | body[1]);
        const std::size_t sealedBytes = static_cast<std::size_t>(body[2] << 8 | body[3]);
        const std::size_t sealedAt = 4 + (nonceBytes + 3) / 4 * 4;
        if (nonceBytes == 0 || sealedAt > body.size() || sealedBytes > body.size() - sealedAt)
            return QueryFailure::Unauthentic;
        const auto begin = body.begin();
        const NtsBytes nonce(begin + 4, begin + 4 + static_cast<std::ptrdiff_t>(nonceBytes));
        const NtsBytes sealed(begin + static_cast<std::ptrdiff_t>(sealedAt),
                           begin + static_cast<std::ptrdiff_t>(sealedAt + sealedBytes));
        const NtsBytes covered(reply.begin(), reply.begin() + static_cast<std::ptrdiff_t>(authenticator->offset));
        const auto plain = m_security.Open(m_association.serverToClient, nonce, covered, sealed);
        if (!plain)
            return QueryFailure::Unauthentic;
        if (const auto inner = ParseExtensionFields(*plain, 0))
            for (const NtpExtensionField& cookie : *inner)
                if (cookie.type == kCookie && m_association.cookies.size() < ntske::kMaxCookies)
                    m_association.cookies.push_back(cookie.body);
        return QueryFailure::None;
    }

    // Whether the server answered a request with an NTS NAK: it can no longer read our cookies.
    bool NakReceived() const { return m_nak; }

private:
    static bool IsNak(const NtsBytes& reply)
    {
        const auto header = DecodeNtpHeader(reply);
        return header && header->stratum == kNtpStratumKiss && header->referenceId == kNakCode;
    }

    NtsClient::Association& m_association;
    NtsSecurity& m_security;
    NtsBytes m_uniqueIdentifier;
    bool m_nak = false;
};

} // namespace

NtsClient::NtsClient(NetTime& net, NtpClient& ntp, NtsSecurity* security)
    : m_net(net), m_ntp(ntp), m_security(security)
{
}

NtsClient::~NtsClient() = default;

std::size_t NtsClient::CookiesKept() const
{
    return m_association ? m_association->cookies.size() : 0;
}

NtpResult NtsClient::Query(const std::string& server)
{
    NtpResult result;
    result.failure = QueryFailure::NoAnswer;
    if (!m_security) {
        result.failure = QueryFailure::Unavailable;
        return result;
    }
    if (!m_net.StartSockets())
        return result;
    if (const auto address = m_net.ResolveAddress(server)) {
        if (!m_association || m_association->server != server || m_association->cookies.empty())
            m_association.reset();
        const bool kept = m_association != nullptr;
        bool nak = false;
        if (m_association || KeyExchange(server, *address, result))
            result = GuardedExchange(nak);
        // Kept cookies go stale when the server changes its keys or restarts: one fresh key
        // exchange then, but not after a fresh one (its server would only refuse again).
        if (nak && kept && !result.best && KeyExchange(server, *address, result))
            result = GuardedExchange(nak);
    }
    m_net.StopSockets();
    return result;
}

NtpResult NtsClient::GuardedExchange(bool& nak)
{
    NtsGuard guard(*m_association, *m_security);
    const std::uint16_t port = m_ntpPortOverride.value_or(m_association->ntpPort);
    NtpResult result = m_ntp.Exchange(m_association->ntpAddress, port, &guard);
    nak = guard.NakReceived();
    if (nak)
        m_association.reset();
    return result;
}

bool NtsClient::KeyExchange(const std::string& server, std::uint32_t address, NtpResult& result)
{
    const auto fail = [&result](QueryFailure failure, std::string why) {
        result.failure = failure;
        result.detail = std::move(why);
        return false;
    };
    const TickCounter& ticks = m_net.Ticks();
    const std::uint32_t start = ticks.Now();
    TlsRequest request{server, address, m_keyExchangePort, "ntske/1", m_trustedFile, kKeyExchangeTimeoutMs};
    TlsFailure failure;
    const std::unique_ptr<TlsConnection> tls = m_security->Connect(request, failure);
    if (!tls)
        return fail(failure.certificate ? QueryFailure::Certificate : QueryFailure::KeyExchange, failure.reason);
    if (!tls->Send(ntske::Request(), kKeyExchangeTimeoutMs - ElapsedMs(start, ticks.Now())))
        return fail(QueryFailure::KeyExchange, "the request could not be sent");

    NtsBytes received;
    std::optional<ntske::Response> response;
    bool complete = false;
    std::string why;
    while (!complete) {
        const int remaining = kKeyExchangeTimeoutMs - ElapsedMs(start, ticks.Now());
        if (remaining <= 0)
            return fail(QueryFailure::KeyExchange, "the server stalled");
        const ReceiveResult got = tls->Receive(received, std::min(remaining, kReceiveSliceMs));
        if (got == ReceiveResult::Failed || got == ReceiveResult::Closed || received.size() > ntske::kMaxResponseBytes)
            return fail(QueryFailure::KeyExchange, "the server ended the exchange early");
        if (got == ReceiveResult::Waiting) {
            m_net.HandleOneMessage();
            continue;
        }
        response = ntske::ParseResponse(received, complete, why);
        if (!response)
            return fail(QueryFailure::KeyExchange, why);
    }

    auto association = std::make_unique<Association>();
    association->server = server;
    const auto c2s = tls->ExportKey(kExporterLabel, KeyContext(0), ntske::kKeyBytes);
    const auto s2c = tls->ExportKey(kExporterLabel, KeyContext(1), ntske::kKeyBytes);
    if (!c2s || !s2c)
        return fail(QueryFailure::KeyExchange, "no keys from the TLS exporter");
    association->clientToServer = *c2s;
    association->serverToClient = *s2c;
    association->cookies.assign(response->cookies.begin(), response->cookies.end());
    association->ntpAddress = address;
    if (response->server) {
        const auto named = m_net.ResolveAddress(*response->server);
        if (!named)
            return fail(QueryFailure::KeyExchange, "the NTP server it names is not found");
        association->ntpAddress = *named;
    }
    association->ntpPort = response->port.value_or(kNtpPort);
    m_association = std::move(association);
    return true;
}
