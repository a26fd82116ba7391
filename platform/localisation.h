#pragma once

#include <string>

// The lookup through which the serial layer passes its English messages.
//
// It is the system's gettext: a domain added here is bound to the catalogues
// compiled with the program, found beside the executable in
// <prefix>/share/solvenare/locale, <prefix> being the executable's folder or
// one of its three parents (the build tree and an installed copy alike).
// Which catalogue applies is gettext's own rule: the language list in
// LANGUAGE, then the locale named by LC_ALL, LC_MESSAGES or LANG, the first
// one set. Both need the program to have taken its locale from the
// environment (Qt does so at start) and that locale to exist on the machine;
// in the C locale, or where no catalogue has the text, the text comes back
// unchanged.
namespace localisation {

void AddTextDomain(const std::string& domain);
bool HasTextDomain(const std::string& domain);
// The text from the first domain, in the order added, that translates it.
std::string Translate(const std::string& text);

// The system's text for an error number, in the language of the messages.
std::string SystemErrorText(int errorNumber);
// The system's French text for an error number (the fr_FR.UTF-8 locale's),
// whatever the user's locale: what the program's French messages quote.
// Where that locale is not installed, the text in the user's language.
std::string FrenchSystemErrorText(int errorNumber);

// The folder the domains are bound to, or "" when none was found.
std::string CatalogueDirectory();

}  // namespace localisation
