// Platform service: the dial-up links of the computer (modem, mobile broadband and other
// point-to-point connections) and whether each is connected now.
#pragma once

#include <memory>
#include <string>
#include <vector>

struct DialUpLink {
    std::string name;
    bool connected = false;
};

class DialUpStatus {
public:
    virtual ~DialUpStatus() = default;
    // Every dial-up link the platform knows of at this moment; empty when there is none or the
    // platform cannot tell.
    virtual std::vector<DialUpLink> Links() const = 0;
};

// The dial-up links of this computer.
std::unique_ptr<DialUpStatus> MakeSystemDialUpStatus();
