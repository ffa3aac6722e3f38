// The IPv6 rows of the connection list as text, in the IPv4 rows' columns:
// addresses in brackets ("[::1]:80"), and for a remote address that carries
// an IPv4 one (::ffff:a.b.c.d) its location.
#pragma once

#include <vector>

#include "host/connection_rows.h"
#include "proc_net_linux.h"

namespace qx::host {

std::vector<ConnectionRow> FormatIpv6Rows(const std::vector<net::Ipv6Row>& rows, bool tcp,
                                          const CQQwry& locations,
                                          const ProcessPathFunction& processPath);

}  // namespace qx::host
