#pragma once
// Why the gateway cannot play an address: the words shown to the user and a short kind that the
// page maps onto its error codes (the outcomes of the host's address probe, plus the gateway's own).

#include <stdexcept>
#include <string>

namespace zentavo {

class GatewayError : public std::runtime_error {
public:
    // kind: one of failure_kinds (player/contract/host_names.h).
    GatewayError(std::string kind, const std::string& words) : std::runtime_error(words), kind_(std::move(kind)) {}

    const std::string& Kind() const { return kind_; }

private:
    std::string kind_;
};

} // namespace zentavo
