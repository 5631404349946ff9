// An http or https address taken apart for a transfer: scheme, host, port, user, password and the
// path with its query. A pure function of the text, so that every address a script may give can be
// checked without a network.
#pragma once

#include <cstdint>
#include <string>

struct HttpUrl {
    std::string scheme; // "http" or "https", in lower case
    std::string host;
    int32_t port = 0;
    std::string user;
    std::string password;
    std::string path; // from the first '/', query included, unsafe bytes percent-encoded; "/" at least
};

// False for anything but an http or https address (scheme in any case) with a host and a port from 1
// to 65535. The port is the scheme's (80, 443) unless the host names one after a ':'. The fragment
// ("#...") is never sent and is dropped.
bool HttpUrl_Split(const char* url, HttpUrl& parts);

// Whether a transfer to these parts goes over TLS: an https scheme, and for a GET also port 443
// (http://host:443 too).
bool HttpUrl_Secure(const HttpUrl& parts, bool post);

// The address handed to the transfer: scheme by HttpUrl_Secure, host, port and path; no user.
std::string HttpUrl_Target(const HttpUrl& parts, bool post);
