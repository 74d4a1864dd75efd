#pragma once
#include <string>

#include <curl/curl.h>

// HTTPS trust: libcurl checks server certificates against the system's store. When
// "update-ca.pem" is in the updater's folder, the authorities in it are the only
// ones trusted instead, so a publisher (or a test) can run its own.

// The native path of "update-ca.pem"; empty when there is none. A set of transfers
// looks it up once and applies it to each.
std::string FindCertificateAuthority();
// Trusts only the authorities of that file; an empty path keeps the system's store.
void ApplyCertificateAuthority(CURL* curl, const std::string& authority);
