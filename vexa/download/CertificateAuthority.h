#pragma once
#include <curl/curl.h>

// HTTPS trust: libcurl checks server certificates against the system's store. When
// "update-ca.pem" is in the updater's folder, the authorities in it are the only
// ones trusted instead, so a publisher (or a test) can run its own.
void ApplyCertificateAuthority(CURL* curl);
