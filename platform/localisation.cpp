#include "localisation.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace localisation {
namespace {

std::mutex mutex;
std::vector<std::string>& Domains() {
    static std::vector<std::string> domains;
    return domains;
}

}  // namespace

void AddTextDomain(const std::string& domain) {
    std::lock_guard lock(mutex);
    auto& domains = Domains();
    if (std::find(domains.begin(), domains.end(), domain) == domains.end())
        domains.push_back(domain);
}

bool HasTextDomain(const std::string& domain) {
    std::lock_guard lock(mutex);
    auto& domains = Domains();
    return std::find(domains.begin(), domains.end(), domain) != domains.end();
}

std::string Translate(const std::string& text) {
    return text;
}

}  // namespace localisation
