#pragma once
#include <string>

// Starts the installed client, as the installed "vexa.xml" names it, with "-onlymain".
void LaunchClient();
// Starts the new client, as the downloaded "vexa.xml" names it, with the parameters.
void LaunchNewClient(const std::wstring& parameters);
