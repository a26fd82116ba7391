#include "platform/localisation.h"

#include <libintl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

namespace localisation {
namespace {

std::mutex mutex;
std::vector<std::string>& Domains() {
    static std::vector<std::string> domains;
    return domains;
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string FindCatalogueDirectory() {
    char exe[4096];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return "";
    std::string folder(exe, static_cast<size_t>(n));
    for (int up = 0; up <= 3; ++up) {
        const auto slash = folder.rfind('/');
        if (slash == std::string::npos) break;
        folder.erase(slash);
        const std::string candidate = folder + "/share/solvenare/locale";
        if (IsDirectory(candidate)) return candidate;
    }
    return "";
}

}  // namespace

std::string CatalogueDirectory() {
    static const std::string directory = FindCatalogueDirectory();
    return directory;
}

void AddTextDomain(const std::string& domain) {
    std::lock_guard lock(mutex);
    auto& domains = Domains();
    if (std::find(domains.begin(), domains.end(), domain) != domains.end()) return;
    domains.push_back(domain);
    // Unbound, gettext would look in the system's folder, where another
    // package's catalogue of the same name may lie.
    const std::string directory = CatalogueDirectory();
    bindtextdomain(domain.c_str(), directory.empty() ? "/nonexistent" : directory.c_str());
    bind_textdomain_codeset(domain.c_str(), "UTF-8");
}

bool HasTextDomain(const std::string& domain) {
    std::lock_guard lock(mutex);
    auto& domains = Domains();
    return std::find(domains.begin(), domains.end(), domain) != domains.end();
}

std::string Translate(const std::string& text) {
    std::vector<std::string> domains;
    {
        std::lock_guard lock(mutex);
        domains = Domains();
    }
    // The empty text would bring back a catalogue's header.
    if (text.empty()) return text;
    for (const auto& domain : domains) {
        const char* translated = dgettext(domain.c_str(), text.c_str());
        if (translated != text.c_str()) return translated;
    }
    return text;
}

std::string SystemErrorText(int errorNumber) {
    char buffer[256];
    // The GNU strerror_r: follows the messages locale, as gettext does.
    return strerror_r(errorNumber, buffer, sizeof buffer);
}

std::string FrenchSystemErrorText(int errorNumber) {
    // Made once and kept: strerror_l reads it from any thread.
    static const locale_t french = newlocale(LC_ALL_MASK, "fr_FR.UTF-8", locale_t{});
    if (french == locale_t{}) return SystemErrorText(errorNumber);
    return strerror_l(errorNumber, french);
}

}  // namespace localisation
