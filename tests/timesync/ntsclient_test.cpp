// The NTS client against a scripted key exchange and NTP server on fake time. The cipher is a
// stand-in (a keyed checksum ahead of the plain bytes, not AES-SIV): what is under test is which
// replies the client takes, which cookies it keeps, and how it recovers when the server forgets them.
#include "platform/ntssecurity.h"
#include "support/fake_timesync.h"
#include "timesync/ntpclient.h"
#include "timesync/ntppacket.h"
#include "timesync/ntsclient.h"
#include "timesync/ntske.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::uint32_t kServer = 0xC0000201; // 192.0.2.1
constexpr std::size_t kIdentifierEnd = kNtpHeaderBytes + 4 + 32;

void Append(Bytes& out, const Bytes& more)
{
    out.insert(out.end(), more.begin(), more.end());
}

Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts)
        Append(out, part);
    return out;
}

Bytes Record(std::uint16_t type, const Bytes& body)
{
    Bytes record{static_cast<std::uint8_t>(type >> 8), static_cast<std::uint8_t>(type), 0,
                 static_cast<std::uint8_t>(body.size())};
    Append(record, body);
    return record;
}

// Each key exchange is numbered; its keys and its cookies ({number, index}) carry the number.
class FakeNtsSecurity final : public NtsSecurity {
public:
    class Tls final : public TlsConnection {
    public:
        explicit Tls(std::uint8_t number) : m_number(number) {}
        bool Send(const Bytes&, int) override { return true; }
        ReceiveResult Receive(Bytes& into, int) override
        {
            Append(into, Record(ntske::kNextProtocol, {0, 0}));
            Append(into, Record(ntske::kAead, {0, ntske::kAeadAesSivCmac256}));
            for (std::uint8_t i = 0; i < ntske::kMaxCookies; ++i)
                Append(into, Record(ntske::kNewCookie, {m_number, i}));
            Append(into, Record(ntske::kEndOfMessage, {}));
            return ReceiveResult::Byte;
        }
        std::optional<Bytes> ExportKey(const std::string&, const Bytes& context, std::size_t size) override
        {
            return Key(m_number, context.back(), size);
        }

    private:
        std::uint8_t m_number;
    };

    static Bytes Key(std::uint8_t number, std::uint8_t serverToClient, std::size_t size = ntske::kKeyBytes)
    {
        return Bytes(size, static_cast<std::uint8_t>(number << 1 | serverToClient));
    }

    std::unique_ptr<TlsConnection> Connect(const TlsRequest&, TlsFailure&) override
    {
        return std::make_unique<Tls>(static_cast<std::uint8_t>(++keyExchanges));
    }
    Bytes Seal(const Bytes& key, const Bytes& nonce, const Bytes& associated, const Bytes& plain) override
    {
        Bytes sealed = Tag(key, nonce, associated, plain);
        Append(sealed, plain);
        return sealed;
    }
    std::optional<Bytes> Open(const Bytes& key, const Bytes& nonce, const Bytes& associated,
                              const Bytes& sealed) override
    {
        if (sealed.size() < 16)
            return std::nullopt;
        const Bytes plain(sealed.begin() + 16, sealed.end());
        if (!std::equal(sealed.begin(), sealed.begin() + 16, Tag(key, nonce, associated, plain).begin()))
            return std::nullopt;
        return plain;
    }
    Bytes Random(std::size_t size) override { return Bytes(size, ++m_random); }

    int keyExchanges = 0;

private:
    static Bytes Tag(const Bytes& key, const Bytes& nonce, const Bytes& associated, const Bytes& plain)
    {
        std::uint64_t hash = 14695981039346656037u; // FNV-1a over the parts, each closed by a separator
        for (const Bytes* part : {&key, &nonce, &associated, &plain})
            for (const std::uint8_t byte : Join({*part, {0xFF}}))
                hash = (hash ^ byte) * 1099511628211u;
        Bytes tag(16);
        for (std::size_t i = 0; i < tag.size(); ++i)
            tag[i] = static_cast<std::uint8_t>(hash >> (i % 8 * 8) ^ i);
        return tag;
    }
    std::uint8_t m_random = 0;
};

// Echoes the identifier and, for a cookie of a key exchange it can still read, seals a new cookie
// under that exchange's key; for an older one it answers with an NTS NAK.
struct ScriptedNtsServer {
    FakeNtsSecurity& security;
    const WorldClock& clock;
    std::uint8_t readsFrom = 1; // the first key exchange whose cookies it can read
    std::function<void(Bytes&)> tamper{};

    std::vector<TimedDatagram> operator()(const Bytes& sent)
    {
        const auto fields = *ParseExtensionFields(sent);
        const std::uint8_t number = fields.at(1).body.at(0);
        const bool readable = number >= readsFrom;
        NtpHeader header;
        header.mode = ntp_mode::kServer;
        header.stratum = readable ? 1 : kNtpStratumKiss;
        if (!readable)
            header.referenceId = {'N', 'T', 'S', 'N'};
        header.origin = DecodeNtpHeader(sent)->transmit;
        header.receive = header.transmit = NtpTimeOfUtc(clock.Now());
        Bytes reply = EncodeNtpHeader(header);
        AppendExtensionField(reply, 0x0104, fields.at(0).body);
        if (readable) {
            Bytes cookie;
            AppendExtensionField(cookie, 0x0204, {number, 100});
            const Bytes nonce(16, 9);
            const Bytes sealed = security.Seal(FakeNtsSecurity::Key(number, 1), nonce, reply, cookie);
            AppendExtensionField(reply, 0x0404,
                                 Join({{0, 16, 0, static_cast<std::uint8_t>(sealed.size())}, nonce, sealed}));
        }
        if (tamper)
            tamper(reply);
        return {{20, {reply, kServer, 123}}};
    }
};

TEST(NtsClient, TakesOnlyAuthenticRepliesAndRecoversFromANak)
{
    const auto nak = [](Bytes& reply) {
        reply.resize(kIdentifierEnd);
        reply[1] = kNtpStratumKiss;
        std::copy_n("NTSN", 4, reply.begin() + 12);
    };
    struct Case {
        const char* name;
        std::function<void(Bytes&)> tamper;
        bool kept;              // an earlier query made the association
        std::uint8_t readsFrom; // the server reads no cookie of an earlier key exchange
        const char* failure;    // as the log says it; "" for a time taken
        int keyExchanges;       // in all
        std::size_t cookiesKept;
    };
    const Case cases[] = {
        {"authentic", {}, true, 1, "", 1, 8},
        {"forged authenticator", [](Bytes& r) { r.back() ^= 1; }, false, 1, "reply refused: authentication failed", 1,
         4},
        {"stripped authenticator", [](Bytes& r) { r.resize(kIdentifierEnd); }, false, 1,
         "reply refused: not authenticated", 1, 4},
        {"field after the authenticator",
         [](Bytes& r) {
             AppendExtensionField(r, 0x0204, {1, 200});
         },
         false, 1, "reply refused: not authenticated", 1, 4},
        {"wrong identifier", [](Bytes& r) { r[kNtpHeaderBytes + 4] ^= 1; }, false, 1,
         "reply refused: does not answer this request (forged or replayed)", 1, 4},
        {"NAK, kept association: fresh key exchange", {}, true, 2, "", 2, 8},
        {"NAK, fresh association: no retry", {}, false, 2, "kiss-o'-death NTSN", 1, 0},
        {"NAK after the retry too", {}, true, 9, "kiss-o'-death NTSN", 2, 0},
        {"NAK with a wrong identifier",
         [&nak](Bytes& r) {
             nak(r);
             r[kNtpHeaderBytes + 4] ^= 1;
         },
         false, 1, "reply refused: not authenticated", 1, 4},
    };
    for (const Case& c : cases) {
        TestClock ticks;
        FakePump pump{ticks};
        FakeTimeZone zone;
        ScriptedSocketLayer sockets{ticks};
        NetTime net{{sockets, ticks, pump, zone}};
        WorldClock world{ticks, 45413.5};
        NtpClient ntp{net, world};
        FakeNtsSecurity security;
        NtsClient client{net, ntp, &security};
        ScriptedNtsServer server{security, world};
        sockets.datagramServer = std::ref(server);
        if (c.kept) {
            ASSERT_TRUE(client.Query("192.0.2.1").best) << c.name;
        }
        server.readsFrom = c.readsFrom;
        server.tamper = c.tamper;
        const NtpResult result = client.Query("192.0.2.1");
        EXPECT_EQ(QueryFailureText(result.failure, result.detail), c.failure) << c.name;
        EXPECT_EQ(result.best.has_value(), *c.failure == '\0') << c.name;
        EXPECT_EQ(security.keyExchanges, c.keyExchanges) << c.name;
        EXPECT_EQ(client.CookiesKept(), c.cookiesKept) << c.name;
    }
}

} // namespace
