#include "toolkit/savedialog.h"

#include <QApplication>
#include <QFileDialog>
#include <cctype>
#include <sstream>

#include "toolkit/qtconvert.h"

namespace toolkit {

namespace {

TSaveDialog::ExecuteHook& Hook() {
    static TSaveDialog::ExecuteHook hook;
    return hook;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator)) parts.push_back(part);
    return parts;
}

// "*.TXT" as "*.[tT][xX][tT]".
std::string EitherCase(const std::string& pattern) {
    std::string out;
    for (char c : pattern) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalpha(u)) {
            out += '[';
            out += static_cast<char>(std::tolower(u));
            out += static_cast<char>(std::toupper(u));
            out += ']';
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::vector<std::string> NameFilters(const std::string& filter) {
    const std::vector<std::string> parts = Split(filter, '|');
    std::vector<std::string> filters;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::string patterns;
        for (const std::string& p : Split(parts[i + 1], ';')) {
            if (p.empty()) continue;
            if (!patterns.empty()) patterns += ' ';
            patterns += EitherCase(p);
        }
        // Qt reads the patterns from the last parentheses; the description's
        // own are hidden with them by HideNameFilterDetails.
        filters.push_back(parts[i] + " (" + patterns + ")");
    }
    return filters;
}

std::string WithDefaultExt(const std::string& name, const std::string& ext) {
    if (ext.empty() || name.empty()) return name;
    const size_t slash = name.find_last_of('/');
    const std::string last = slash == std::string::npos ? name : name.substr(slash + 1);
    if (last.empty() || last.find('.') != std::string::npos) return name;
    return name + (ext.front() == '.' ? ext : "." + ext);
}

TSaveDialog::TSaveDialog(std::string name) : name_(std::move(name)) {}

void TSaveDialog::SetExecuteHook(ExecuteHook hook) {
    Hook() = std::move(hook);
}

bool TSaveDialog::Execute() {
    std::optional<std::string> chosen;
    if (Hook()) {
        chosen = Hook()(*this);
    } else {
        QFileDialog dialog(QApplication::activeWindow(), ToQString(title_));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // The non-native dialog is the one that Qt's French translation covers.
        dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite |
                          QFileDialog::HideNameFilterDetails);
        QStringList filters;
        for (const std::string& f : NameFilters(filter_)) {
            filters << ToQString(f);
        }
        if (!filters.isEmpty()) dialog.setNameFilters(filters);
        if (!initialDir_.empty()) dialog.setDirectory(ToQString(initialDir_));
        if (!fileName_.empty()) dialog.selectFile(ToQString(fileName_));
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
            chosen = FromQString(dialog.selectedFiles().constFirst());
        }
    }
    if (!chosen || chosen->empty()) return false;
    fileName_ = WithDefaultExt(*chosen, defaultExt_);
    return true;
}

}  // namespace toolkit
