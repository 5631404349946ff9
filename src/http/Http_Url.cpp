#include "http/Http_Url.h"

#include <strings.h>

#include <cstring>

namespace {

constexpr int32_t HTTP_PORT = 80;
constexpr int32_t HTTPS_PORT = 443;
constexpr int32_t LAST_PORT = 65535;

// Bytes a browser would not send as they stand in a request line.
bool Unsafe(unsigned char c)
{
    return c <= 0x20 || c >= 0x7F || std::strchr("\"<>\\^`{|}", c) != nullptr;
}

std::string EncodePath(const std::string& path)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : path) {
        auto byte = static_cast<unsigned char>(c);
        if (!Unsafe(byte)) {
            out += c;
            continue;
        }
        out += '%';
        out += hex[byte >> 4];
        out += hex[byte & 15];
    }
    return out.empty() || out[0] != '/' ? "/" + out : out;
}

// Only decimal digits, 1 to 65535.
bool ParsePort(const std::string& text, int32_t& port)
{
    if (text.empty() || text.size() > 5) return false;
    int32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > LAST_PORT) return false;
    port = value;
    return true;
}

// Names and IPv4 addresses; an IPv6 address in brackets.
bool HostAllowed(const std::string& host)
{
    bool bracketed = host.size() > 2 && host.front() == '[' && host.back() == ']';
    for (size_t i = bracketed ? 1 : 0; i < host.size() - (bracketed ? 1 : 0); ++i) {
        char c = host[i];
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                     c == '.' || c == '_';
        if (!plain && !(bracketed && c == ':')) return false;
    }
    return !host.empty();
}

// "host", "host:port" or "[v6]:port": the port from the first ':' after the host (a bracketed
// address keeps its own colons).
bool SplitHostPort(const std::string& text, HttpUrl& parts)
{
    size_t from = 0;
    if (!text.empty() && text[0] == '[') {
        from = text.find(']');
        if (from == std::string::npos) return false;
    }
    size_t colon = text.find(':', from);
    parts.host = text.substr(0, colon);
    if (colon != std::string::npos && !ParsePort(text.substr(colon + 1), parts.port)) return false;
    return HostAllowed(parts.host);
}

void SplitUser(const std::string& text, HttpUrl& parts)
{
    size_t colon = text.find(':');
    parts.user = text.substr(0, colon);
    if (colon != std::string::npos) parts.password = text.substr(colon + 1);
}

} // namespace

bool HttpUrl_Split(const char* url, HttpUrl& parts)
{
    parts = HttpUrl();
    if (url == nullptr) return false;
    std::string text = url;
    size_t authorityAt;
    if (strncasecmp(url, "http://", 7) == 0) {
        parts.scheme = "http";
        parts.port = HTTP_PORT;
        authorityAt = 7;
    } else if (strncasecmp(url, "https://", 8) == 0) {
        parts.scheme = "https";
        parts.port = HTTPS_PORT;
        authorityAt = 8;
    } else {
        return false;
    }
    text = text.substr(0, text.find('#'));
    size_t pathAt = text.find_first_of("/?", authorityAt);
    std::string authority = text.substr(authorityAt, pathAt == std::string::npos ? std::string::npos : pathAt - authorityAt);
    size_t at = authority.rfind('@');
    if (at != std::string::npos) {
        SplitUser(authority.substr(0, at), parts);
        authority.erase(0, at + 1);
    }
    if (!SplitHostPort(authority, parts)) return false;
    parts.path = EncodePath(pathAt == std::string::npos ? "" : text.substr(pathAt));
    return true;
}

bool HttpUrl_Secure(const HttpUrl& parts, bool post)
{
    return parts.scheme == "https" || (!post && parts.port == HTTPS_PORT);
}

std::string HttpUrl_Target(const HttpUrl& parts, bool post)
{
    return std::string(HttpUrl_Secure(parts, post) ? "https" : "http") + "://" + parts.host + ":" +
           std::to_string(parts.port) + parts.path;
}
