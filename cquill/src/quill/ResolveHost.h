#pragma once
#include <string>
#include <vector>

namespace quill::net {

// The IPv4 addresses of a host name or dotted address as dotted texts, in the
// resolver's order; empty when the name cannot be resolved.
std::vector<std::string> ResolveHost(const std::string& host);

}  // namespace quill::net
