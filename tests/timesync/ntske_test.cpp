// The NTS key-exchange records: the request the client sends, and each way a server's response can
// be incomplete, refused or taken.
#include "timesync/ntske.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Record(std::uint16_t type, Bytes body, bool critical = true)
{
    body.insert(body.begin(), {static_cast<std::uint8_t>((critical ? 0x80 : 0) | type >> 8),
                               static_cast<std::uint8_t>(type), static_cast<std::uint8_t>(body.size() >> 8),
                               static_cast<std::uint8_t>(body.size())});
    return body;
}

Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

const Bytes kNtpV4 = Record(ntske::kNextProtocol, {0, 0});
const Bytes kSiv = Record(ntske::kAead, {0, 15});
const Bytes kCookie = Record(ntske::kNewCookie, Bytes(100, 7), false);
const Bytes kEnd = Record(ntske::kEndOfMessage, {});

TEST(NtsKeyExchange, RequestAsksForNtpV4AndAesSivCmac256)
{
    EXPECT_EQ(ntske::Request(), Join({kNtpV4, kSiv, kEnd}));
}

TEST(NtsKeyExchange, ResponsesAreTakenOnlyWhenCompleteAndAgreeing)
{
    struct Case {
        const char* name;
        Bytes bytes;
        bool taken;
        bool complete;
        const char* why;
    };
    const Case cases[] = {
        {"whole", Join({kNtpV4, kSiv, kCookie, Record(ntske::kPort, {0x04, 0x63}), kEnd}), true, true, ""},
        {"cut in a record", Join({kNtpV4, kSiv, Bytes(kCookie.begin(), kCookie.end() - 5)}), true, false, ""},
        {"no cookie", Join({kNtpV4, kSiv, kEnd}), false, true, "the server gave no cookie"},
        {"other AEAD", Join({kNtpV4, Record(ntske::kAead, {0, 17}), kCookie, kEnd}), false, true,
         "the server refused AES-SIV-CMAC-256"},
        {"error", Join({Record(ntske::kError, {0, 1}), kEnd}), false, false, "the server reported error 1"},
        {"unknown critical", Join({kNtpV4, Record(0x55, {}), kEnd}), false, false, "an unknown critical record 85"},
        {"unknown, not critical", Join({kNtpV4, kSiv, Record(0x55, {}, false), kCookie, kEnd}), true, true, ""},
    };
    for (const Case& c : cases) {
        bool complete = false;
        std::string why;
        const auto response = ntske::ParseResponse(c.bytes, complete, why);
        EXPECT_EQ(response.has_value(), c.taken) << c.name;
        EXPECT_EQ(why, c.why) << c.name;
        if (response && c.complete) {
            EXPECT_TRUE(complete) << c.name;
            EXPECT_EQ(response->cookies, std::vector<Bytes>{Bytes(100, 7)}) << c.name;
        }
    }
    bool complete = false;
    std::string why;
    EXPECT_EQ(ntske::ParseResponse(Join({kNtpV4, kSiv, kCookie, Record(ntske::kPort, {0x04, 0x63}), kEnd}), complete,
                                   why)->port,
              std::optional<std::uint16_t>(1123));
}

} // namespace
