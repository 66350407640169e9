#include "timesync/ntppacket.h"

#include <cmath>

namespace {

constexpr TDateTime kNtpEpoch = 2.0; // 1 January 1900 00:00 as a date-time
constexpr double kFractionScale = 4294967296.0; // 2^32

void PutBigEndian(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes)
{
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

std::uint64_t GetBigEndian(const std::vector<std::uint8_t>& in, std::size_t at, int bytes)
{
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 8) | in[at + static_cast<std::size_t>(i)];
    return value;
}

} // namespace

NtpTime NtpTimeOfUtc(TDateTime utc)
{
    const double seconds = (utc - kNtpEpoch) * kSecondsPerDay;
    const double whole = std::floor(seconds);
    // Whole seconds fold into the era by the unsigned wrap; a date before 1900 lands in era −1.
    const auto era = static_cast<std::uint64_t>(static_cast<std::int64_t>(whole));
    auto fraction = static_cast<std::uint64_t>((seconds - whole) * kFractionScale);
    fraction = std::min<std::uint64_t>(fraction, 0xFFFFFFFFu);
    return (era << 32) | fraction;
}

double NtpSecondsBetween(NtpTime earlier, NtpTime later)
{
    return static_cast<double>(static_cast<std::int64_t>(later - earlier)) / kFractionScale;
}

std::vector<std::uint8_t> EncodeNtpHeader(const NtpHeader& header)
{
    std::vector<std::uint8_t> out;
    out.reserve(kNtpHeaderBytes);
    out.push_back(static_cast<std::uint8_t>((header.leap & 3) << 6 | (header.version & 7) << 3 | (header.mode & 7)));
    out.push_back(header.stratum);
    out.push_back(static_cast<std::uint8_t>(header.poll));
    out.push_back(static_cast<std::uint8_t>(header.precision));
    PutBigEndian(out, header.rootDelay, 4);
    PutBigEndian(out, header.rootDispersion, 4);
    out.insert(out.end(), header.referenceId.begin(), header.referenceId.end());
    for (const NtpTime stamp : {header.reference, header.origin, header.receive, header.transmit})
        PutBigEndian(out, stamp, 8);
    return out;
}

std::optional<NtpHeader> DecodeNtpHeader(const std::vector<std::uint8_t>& packet)
{
    if (packet.size() < kNtpHeaderBytes)
        return std::nullopt;
    NtpHeader header;
    header.leap = packet[0] >> 6;
    header.version = (packet[0] >> 3) & 7;
    header.mode = packet[0] & 7;
    header.stratum = packet[1];
    header.poll = static_cast<std::int8_t>(packet[2]);
    header.precision = static_cast<std::int8_t>(packet[3]);
    header.rootDelay = static_cast<std::uint32_t>(GetBigEndian(packet, 4, 4));
    header.rootDispersion = static_cast<std::uint32_t>(GetBigEndian(packet, 8, 4));
    for (std::size_t i = 0; i < 4; ++i)
        header.referenceId[i] = packet[12 + i];
    header.reference = GetBigEndian(packet, 16, 8);
    header.origin = GetBigEndian(packet, 24, 8);
    header.receive = GetBigEndian(packet, 32, 8);
    header.transmit = GetBigEndian(packet, 40, 8);
    return header;
}

void AppendExtensionField(std::vector<std::uint8_t>& packet, std::uint16_t type, const std::vector<std::uint8_t>& body)
{
    const std::size_t padded = (body.size() + 3) / 4 * 4;
    PutBigEndian(packet, type, 2);
    PutBigEndian(packet, 4 + padded, 2);
    packet.insert(packet.end(), body.begin(), body.end());
    packet.resize(packet.size() + padded - body.size(), 0);
}

std::optional<std::vector<NtpExtensionField>> ParseExtensionFields(const std::vector<std::uint8_t>& packet,
                                                                   std::size_t from)
{
    std::vector<NtpExtensionField> fields;
    std::size_t at = from;
    if (packet.size() < at)
        return std::nullopt;
    while (at < packet.size()) {
        if (packet.size() - at < 4)
            return std::nullopt;
        const auto type = static_cast<std::uint16_t>(GetBigEndian(packet, at, 2));
        const auto length = static_cast<std::size_t>(GetBigEndian(packet, at + 2, 2));
        if (length < 4 || length % 4 != 0 || length > packet.size() - at)
            return std::nullopt;
        const auto begin = packet.begin() + static_cast<std::ptrdiff_t>(at);
        fields.push_back({type, std::vector<std::uint8_t>(begin + 4, begin + static_cast<std::ptrdiff_t>(length)), at});
        at += length;
    }
    return fields;
}
