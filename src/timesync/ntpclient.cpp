#include "timesync/ntpclient.h"

#include "platform/localclock.h"
#include "platform/tickcounter.h"
#include "timesync/ntppacket.h"

#include <algorithm>
#include <random>

namespace {

constexpr std::uint8_t kVersion = 4;

NtpTime RandomTimestamp()
{
    // Not the client's time: a nonce that an off-path forger cannot guess, and that tells nothing
    // of this computer's clock.
    std::random_device source;
    const NtpTime high = source();
    return (high << 32) | source();
}

std::string KissCode(const NtpHeader& header)
{
    std::string code;
    for (const std::uint8_t c : header.referenceId)
        code += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    return code;
}

} // namespace

QueryAnswer AnswerOf(const NtpResult& result)
{
    QueryAnswer answer;
    if (!result.best) {
        answer.failure = result.failure == QueryFailure::None ? QueryFailure::NoAnswer : result.failure;
        answer.detail = result.detail;
        return answer;
    }
    answer.serverTime = result.best->localAtReply + result.best->offsetSeconds / kSecondsPerDay;
    answer.replyTick = result.best->replyTick;
    return answer;
}

struct NtpClient::Attempt {
    std::uint32_t address = 0;
    std::uint16_t port = 0;
    NtpTime transmit = 0; // the nonce sent, expected back as the origin
    NtpTime sentAt = 0;   // t1, the client's clock
};

NtpClient::NtpClient(NetTime& net, const LocalClock& clock) : m_net(net), m_clock(clock) {}

TDateTime NtpClient::UtcNow() const
{
    return m_clock.Now() + m_bias;
}

NtpResult NtpClient::Query(const std::string& server, const std::string& service)
{
    NtpResult result;
    result.failure = QueryFailure::NoAnswer;
    if (!m_net.StartSockets())
        return result;
    const auto address = m_net.ResolveAddress(server);
    const auto port = m_net.ResolvePort(service, "udp");
    if (address && port)
        result = Exchange(*address, *port);
    m_net.StopSockets();
    return result;
}

NtpResult NtpClient::Exchange(std::uint32_t address, std::uint16_t port, NtpRequestGuard* guard)
{
    NtpResult result;
    result.failure = QueryFailure::NoAnswer;
    SocketLayer& sockets = m_net.Sockets();
    const SocketHandle socket = sockets.OpenDatagram();
    if (socket == kNoSocket)
        return result;
    m_bias = m_net.TimeZoneBias();
    Attempt attempt{address, port};
    for (int i = 0; i < kSamples; ++i) {
        if (guard && !guard->CanSeal())
            break;
        if (!ExchangeOnce(socket, attempt, guard, result))
            break;
    }
    sockets.Close(socket);
    if (result.best)
        result.failure = QueryFailure::None;
    return result;
}

bool NtpClient::ExchangeOnce(SocketHandle socket, Attempt& attempt, NtpRequestGuard* guard, NtpResult& result)
{
    NtpHeader request;
    request.version = kVersion;
    request.mode = ntp_mode::kClient;
    attempt.transmit = RandomTimestamp();
    request.transmit = attempt.transmit;
    std::vector<std::uint8_t> bytes = EncodeNtpHeader(request);
    if (guard)
        guard->Seal(bytes);

    SocketLayer& sockets = m_net.Sockets();
    const TickCounter& ticks = m_net.Ticks();
    const std::uint32_t start = ticks.Now();
    attempt.sentAt = NtpTimeOfUtc(UtcNow());
    if (sockets.SendTo(socket, attempt.address, attempt.port, bytes) != 0)
        return false;

    for (;;) {
        const int remaining = kReplyTimeoutMs - ElapsedMs(start, ticks.Now());
        if (remaining <= 0)
            return true;
        Datagram datagram;
        const ReceiveResult received = sockets.ReceiveFrom(socket, datagram, std::min(remaining, kReceiveSliceMs));
        // Both ends of the exchange are read at once, before anything else can run.
        const NtpTime arrivedAt = NtpTimeOfUtc(UtcNow());
        const TDateTime localAt = m_clock.Now();
        const std::uint32_t arrivedTick = ticks.Now();
        if (received == ReceiveResult::Failed)
            return true; // an unreachable port, reported by the system: this request is lost
        if (received != ReceiveResult::Byte) {
            m_net.HandleOneMessage();
            continue;
        }
        std::string detail;
        const QueryFailure refusal = Refusal(datagram, attempt, guard, detail);
        if (refusal != QueryFailure::None) {
            if (refusal > result.failure) {
                result.failure = refusal;
                result.detail = detail;
            }
            // A server that refuses to serve, or has no time to give, will not change its mind.
            if (refusal == QueryFailure::KissOfDeath || refusal == QueryFailure::Unsynchronised)
                return false;
            continue;
        }
        const NtpHeader reply = *DecodeNtpHeader(datagram.bytes);
        NtpSample sample;
        sample.offsetSeconds =
            (NtpSecondsBetween(attempt.sentAt, reply.receive) + NtpSecondsBetween(arrivedAt, reply.transmit)) / 2;
        sample.delaySeconds =
            NtpSecondsBetween(attempt.sentAt, arrivedAt) - NtpSecondsBetween(reply.receive, reply.transmit);
        sample.localAtReply = localAt;
        sample.replyTick = arrivedTick;
        ++result.samples;
        if (!result.best || sample.delaySeconds < result.best->delaySeconds)
            result.best = sample;
        return true;
    }
}

QueryFailure NtpClient::Refusal(const Datagram& datagram, const Attempt& attempt, NtpRequestGuard* guard,
                                std::string& detail) const
{
    if (datagram.address != attempt.address || datagram.port != attempt.port)
        return QueryFailure::WrongSender;
    const auto header = DecodeNtpHeader(datagram.bytes);
    if (!header)
        return QueryFailure::Malformed;
    if (header->mode != ntp_mode::kServer || header->version < 1 || header->version > kVersion)
        return QueryFailure::NotAReply;
    if (header->origin != attempt.transmit)
        return QueryFailure::WrongOrigin;
    if (guard) {
        const QueryFailure failure = guard->Check(datagram.bytes);
        if (failure == QueryFailure::KissOfDeath)
            detail = KissCode(*header);
        if (failure != QueryFailure::None)
            return failure;
    }
    if (header->stratum == kNtpStratumKiss) {
        detail = KissCode(*header);
        return QueryFailure::KissOfDeath;
    }
    if (header->leap == kNtpLeapUnsynchronised || header->stratum > kNtpStratumMax || header->transmit == 0)
        return QueryFailure::Unsynchronised;
    return QueryFailure::None;
}
