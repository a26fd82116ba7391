#include "platform/ports.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "platform/port_publication.h"

namespace ports {
namespace {

const char* sysTty = "/sys/class/tty";

std::vector<std::string> Entries(const std::string& directory) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(directory.c_str())) {
        while (dirent* e = readdir(dir)) {
            const std::string name = e->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(dir);
    }
    return names;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

// A terminal the kernel ties to a device: not a console or a pseudo-terminal.
// A UART that the serial core registered without hardware behind it reports
// type 0.
bool IsRealSerialPort(const std::string& name) {
    const std::string base = std::string(sysTty) + "/" + name;
    if (!Exists(base + "/device")) return false;
    std::ifstream type(base + "/type");
    int value = -1;
    if (type >> value) return value != 0;
    return true;
}

// The first line of a sysfs attribute, without its line end; "" when absent.
std::string Attribute(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' '))
        line.pop_back();
    return line;
}

std::string RealPath(const std::string& path) {
    char* resolved = realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return "";
    std::string result = resolved;
    std::free(resolved);
    return result;
}

std::string LinkTargetName(const std::string& link) {
    const std::string target = RealPath(link);
    const auto slash = target.rfind('/');
    return slash == std::string::npos ? "" : target.substr(slash + 1);
}

}  // namespace

std::string DescribePort(const std::string& name, const std::string& sysRoot) {
    std::vector<std::string> lines;
    auto Add = [&lines](const std::string& label, const std::string& value) {
        if (!value.empty()) lines.push_back(label + value);
    };
    const std::string root = RealPath(sysRoot);
    const std::string device = name.find('/') == std::string::npos && !root.empty()
                                   ? RealPath(sysRoot + "/class/tty/" + name + "/device")
                                   : "";
    if (!device.empty()) {
        // The USB device is the nearest folder above the port that carries
        // the USB identity.
        for (std::string dir = device; dir.size() > root.size() && dir.rfind(root, 0) == 0;
             dir.erase(dir.rfind('/'))) {
            if (!Exists(dir + "/idVendor")) continue;
            Add("Fabricant : ", Attribute(dir + "/manufacturer"));
            Add("Produit : ", Attribute(dir + "/product"));
            Add("Numéro de série : ", Attribute(dir + "/serial"));
            const std::string vendor = Attribute(dir + "/idVendor");
            const std::string product = Attribute(dir + "/idProduct");
            if (!vendor.empty() && !product.empty()) Add("USB : ", vendor + ":" + product);
            break;
        }
        Add("Pilote : ", LinkTargetName(device + "/driver"));
    }
    if (lines.empty()) Add("Port publié par un programme : ", PublishedPortPath(name));
    std::string text;
    for (const auto& line : lines) text += (text.empty() ? "" : "\n") + line;
    return text;
}

bool NaturalLess(const std::string& a, const std::string& b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const bool da = a[i] >= '0' && a[i] <= '9';
        const bool db = b[j] >= '0' && b[j] <= '9';
        if (da && db) {
            size_t ei = i, ej = j;
            while (ei < a.size() && a[ei] >= '0' && a[ei] <= '9') ++ei;
            while (ej < b.size() && b[ej] >= '0' && b[ej] <= '9') ++ej;
            std::string na = a.substr(i, ei - i), nb = b.substr(j, ej - j);
            na.erase(0, std::min(na.find_first_not_of('0'), na.size()));
            nb.erase(0, std::min(nb.find_first_not_of('0'), nb.size()));
            if (na.size() != nb.size()) return na.size() < nb.size();
            if (na != nb) return na < nb;
            i = ei;
            j = ej;
        } else {
            if (a[i] != b[j]) return a[i] < b[j];
            ++i;
            ++j;
        }
    }
    return a.size() - i < b.size() - j;
}

std::string PublishedPortsDirectory() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        runtime != nullptr && *runtime != '\0')
        return std::string(runtime) + "/solvenare/ports";
    return "/tmp/solvenare-" + std::to_string(getuid()) + "/ports";
}

std::string PublishedPortPath(const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..")
        return "";
    const std::string link = PublishedPortsDirectory() + "/" + name;
    char target[4096];
    const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
    if (n <= 0) return "";
    target[n] = '\0';
    // A link left behind by a program that has ended points at nothing, or
    // at a terminal that is now someone else's.
    return Exists(target) && PublisherHoldsPort(name) ? std::string(target) : "";
}

namespace {
std::function<std::vector<std::string>()>& TestList() {
    static std::function<std::vector<std::string>()> list;
    return list;
}
}  // namespace

void SetListSerialPortsForTests(std::function<std::vector<std::string>()> list) {
    TestList() = std::move(list);
}

std::vector<std::string> ListSerialPorts() {
    if (TestList()) return TestList()();
    std::vector<std::string> found;
    for (const auto& name : Entries(sysTty))
        if (IsRealSerialPort(name)) found.push_back(name);
    std::sort(found.begin(), found.end(), NaturalLess);

    std::vector<std::string> published;
    for (const auto& name : Entries(PublishedPortsDirectory()))
        if (!PublishedPortPath(name).empty()) published.push_back(name);
    std::sort(published.begin(), published.end(), NaturalLess);
    found.insert(found.end(), published.begin(), published.end());
    return found;
}

}  // namespace ports
