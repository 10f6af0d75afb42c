#pragma once

#include <QByteArray>
#include <utility>
#include <vector>

// The headers every answer of the live results server carries: scripts,
// styles and requests only from the server itself (no inline script, no
// frames, no forms), no content sniffing, no referrer. The server sets no
// cookie and names no software.
namespace LiveSecurity {

inline const std::vector<std::pair<QByteArray, QByteArray>>& headers()
{
    static const std::vector<std::pair<QByteArray, QByteArray>> list{
        {"Content-Security-Policy",
         "default-src 'none'; script-src 'self'; style-src 'self'; connect-src 'self'; img-src 'self'; "
         "base-uri 'none'; form-action 'none'; frame-ancestors 'none'"},
        {"X-Content-Type-Options", "nosniff"},
        {"Referrer-Policy", "no-referrer"},
        {"X-Frame-Options", "DENY"},
        {"Cross-Origin-Opener-Policy", "same-origin"},
    };
    return list;
}

} // namespace LiveSecurity
