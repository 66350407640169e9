#include "timesync/ntske.h"

namespace ntske {

namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint16_t value)
{
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

void PutRecord(std::vector<std::uint8_t>& out, std::uint16_t type, const std::vector<std::uint16_t>& body)
{
    Put16(out, static_cast<std::uint16_t>(type | kCritical));
    Put16(out, static_cast<std::uint16_t>(body.size() * 2));
    for (const std::uint16_t value : body)
        Put16(out, value);
}

std::uint16_t Get16(const std::vector<std::uint8_t>& in, std::size_t at)
{
    return static_cast<std::uint16_t>(in[at] << 8 | in[at + 1]);
}

// A body of 16-bit values holds wanted among them.
bool Offers(const std::vector<std::uint8_t>& bytes, std::size_t at, std::size_t length, std::uint16_t wanted)
{
    for (std::size_t i = 0; i + 1 < length; i += 2)
        if (Get16(bytes, at + i) == wanted)
            return true;
    return false;
}

} // namespace

std::vector<std::uint8_t> Request()
{
    std::vector<std::uint8_t> out;
    PutRecord(out, kNextProtocol, {kProtocolNtpV4});
    PutRecord(out, kAead, {kAeadAesSivCmac256});
    PutRecord(out, kEndOfMessage, {});
    return out;
}

std::optional<Response> ParseResponse(const std::vector<std::uint8_t>& bytes, bool& complete, std::string& why)
{
    Response response;
    bool protocol = false;
    bool aead = false;
    complete = false;
    std::size_t at = 0;
    while (bytes.size() - at >= 4) {
        const std::uint16_t type = Get16(bytes, at) & static_cast<std::uint16_t>(~kCritical);
        const bool critical = (Get16(bytes, at) & kCritical) != 0;
        const std::size_t length = Get16(bytes, at + 2);
        if (bytes.size() - at - 4 < length)
            return response; // the rest has not come yet
        const std::size_t body = at + 4;
        at = body + length;
        switch (type) {
        case kEndOfMessage:
            complete = true;
            break;
        case kNextProtocol:
            protocol = length == 2 && Offers(bytes, body, length, kProtocolNtpV4);
            break;
        case kAead:
            aead = length == 2 && Offers(bytes, body, length, kAeadAesSivCmac256);
            break;
        case kError:
            why = "the server reported error " + std::to_string(length >= 2 ? Get16(bytes, body) : 0);
            return std::nullopt;
        case kNewCookie:
            if (response.cookies.size() < kMaxCookies && length > 0)
                response.cookies.emplace_back(bytes.begin() + static_cast<std::ptrdiff_t>(body),
                                              bytes.begin() + static_cast<std::ptrdiff_t>(at));
            break;
        case kServer:
            response.server = std::string(bytes.begin() + static_cast<std::ptrdiff_t>(body),
                                          bytes.begin() + static_cast<std::ptrdiff_t>(at));
            break;
        case kPort:
            if (length != 2) {
                why = "a malformed port record";
                return std::nullopt;
            }
            response.port = Get16(bytes, body);
            break;
        case kWarning:
            break;
        default:
            if (critical) {
                why = "an unknown critical record " + std::to_string(type);
                return std::nullopt;
            }
        }
        if (complete)
            break;
    }
    if (!complete)
        return response;
    if (!protocol || !aead) {
        why = protocol ? "the server refused AES-SIV-CMAC-256" : "the server refused NTPv4";
        return std::nullopt;
    }
    if (response.cookies.empty()) {
        why = "the server gave no cookie";
        return std::nullopt;
    }
    return response;
}

} // namespace ntske
