#pragma once

#include <string>

// The lookup through which the serial layer passes its English messages.
// No translation catalogue ships with the program, so every text comes back
// unchanged; the domains are kept so that one could be added.
namespace localisation {

void AddTextDomain(const std::string& domain);
bool HasTextDomain(const std::string& domain);
std::string Translate(const std::string& text);

}  // namespace localisation
