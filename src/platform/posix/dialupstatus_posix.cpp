#include "platform/posix/dialupstatus_posix.h"

#include "platform/filestore.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

namespace {

// Device types (ARPHRD_*) and flags (IFF_*) as the kernel numbers them.
constexpr int kTypeSlip = 256;
constexpr int kTypeCslip6 = 259; // SLIP, CSLIP, SLIP6, CSLIP6
constexpr int kTypePpp = 512;
constexpr int kTypeRawIp = 519;
constexpr unsigned kFlagUp = 0x1;
constexpr unsigned kFlagLoopback = 0x8;
constexpr unsigned kFlagPointToPoint = 0x10;

// Device attributes are short texts; sysfs reports them as a page long.
constexpr std::size_t kMaxAttributeBytes = 64 * 1024;

std::string Attribute(const std::filesystem::path& file)
{
    return ReadSmallFile(file.string(), kMaxAttributeBytes).bytes;
}

std::string FirstLine(const std::filesystem::path& file)
{
    std::string text = Attribute(file);
    text.resize(std::min(text.find('\n'), text.size()));
    return text;
}

template <typename Number> Number ParseNumber(const std::string& text, int base, Number fallback)
{
    std::string_view digits = text;
    if (base == 16 && digits.starts_with("0x"))
        digits.remove_prefix(2);
    Number value{};
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    return error == std::errc{} && end != digits.data() ? value : fallback;
}

bool IsWwanDevice(const std::filesystem::path& device)
{
    const std::string uevent = "\n" + Attribute(device / "uevent");
    return uevent.find("\nDEVTYPE=wwan\n") != std::string::npos || uevent.ends_with("\nDEVTYPE=wwan");
}

} // namespace

std::vector<DialUpLink> ReadDialUpLinks(const std::string& classNet)
{
    std::vector<DialUpLink> links;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(classNet, error)) {
        const std::filesystem::path device = entry.path();
        const int type = ParseNumber(FirstLine(device / "type"), 10, 0);
        const unsigned flags = ParseNumber(FirstLine(device / "flags"), 16, 0u);
        if (flags & kFlagLoopback)
            continue;
        const bool dialUpKind = (flags & kFlagPointToPoint) || type == kTypePpp || type == kTypeRawIp ||
                                (type >= kTypeSlip && type <= kTypeCslip6) || IsWwanDevice(device);
        if (!dialUpKind)
            continue;
        // Running: the link layer is there. A PPP link reports its state as "unknown" while it
        // carries traffic, so the carrier decides, with the states that say otherwise excluded.
        const std::string state = FirstLine(device / "operstate");
        const bool running = FirstLine(device / "carrier") == "1" && (state == "up" || state == "unknown");
        links.push_back({device.filename().string(), (flags & kFlagUp) != 0 && running});
    }
    std::sort(links.begin(), links.end(), [](const DialUpLink& a, const DialUpLink& b) { return a.name < b.name; });
    return links;
}

namespace {

class PosixDialUpStatus final : public DialUpStatus {
public:
    std::vector<DialUpLink> Links() const override { return ReadDialUpLinks("/sys/class/net"); }
};

} // namespace

std::unique_ptr<DialUpStatus> MakeSystemDialUpStatus()
{
    return std::make_unique<PosixDialUpStatus>();
}
