#include "platform/textfile.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "platform/descripteur.h"
#include "platform/localisation.h"

namespace {

// Windows-1252 bytes 0x80 to 0x9F; 0 where the code page has no character.
constexpr char32_t high[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes one UTF-8 character at i; a malformed byte decodes as itself.
char32_t NextUtf8(const std::string& s, size_t& i) {
    const auto b = static_cast<unsigned char>(s[i]);
    const size_t extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    if (extra == 0 || b >= 0xF8 || i + extra >= s.size()) {
        ++i;
        return b;
    }
    char32_t c = b & (0x3F >> extra);
    for (size_t k = 1; k <= extra; ++k) {
        const auto cont = static_cast<unsigned char>(s[i + k]);
        if ((cont & 0xC0) != 0x80) {
            ++i;
            return b;
        }
        c = (c << 6) | (cont & 0x3F);
    }
    i += extra + 1;
    return c;
}

std::string ReadAll(const std::string& path) {
    platform::Descripteur file;
    if (const int error = platform::Ouvrir(path, platform::Acces::Lecture, file))
        throw EInOutError(error);
    std::string data;
    if (const int error = platform::LireTout(file.Get(), data)) throw EInOutError(error);
    return data;
}

}  // namespace

namespace {

std::string FirstLine(int errorCode) {
    return errorCode == ENOENT ? "Fichier introuvable" : "Erreur E/S " + std::to_string(errorCode);
}

}  // namespace

EInOutError::EInOutError(int errorCode) : Exception(FirstLine(errorCode)), errorCode_(errorCode) {}

EInOutError::EInOutError(int errorCode, const std::string& path)
    : Exception(FirstLine(errorCode) + "\n" + FileErrorDetail(path, errorCode)),
      errorCode_(errorCode) {}

std::string FileErrorDetail(const std::string& path, int errorCode) {
    std::string text = localisation::FrenchSystemErrorText(errorCode);
    // After a colon a French sentence goes on in small letters.
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z') {
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    } else if (text.rfind("É", 0) == 0) {
        text.replace(0, 2, "é");
    }
    return path + " : " + text;
}

std::string Utf8ToWindows1252(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const char32_t c = NextUtf8(text, i);
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out += static_cast<char>(c);
            continue;
        }
        char byte = '?';
        for (int k = 0; k < 32; ++k)
            if (high[k] != 0 && high[k] == c) byte = static_cast<char>(0x80 + k);
        out += byte;
    }
    return out;
}

std::string Windows1252ToUtf8(const std::string& bytes) {
    // Most lines are plain ASCII, the same in both.
    if (std::all_of(bytes.begin(), bytes.end(),
                    [](char ch) { return static_cast<unsigned char>(ch) < 0x80; }))
        return bytes;
    std::string out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b >= 0x80 && b < 0xA0) {
            AppendUtf8(out, high[b - 0x80] != 0 ? high[b - 0x80] : b);
        } else {
            AppendUtf8(out, b);
        }
    }
    return out;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::vector<std::string> ReadTextLines(const std::string& path) {
    const std::string data = ReadAll(path);
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < data.size(); ++i) {
        const char c = data[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(Windows1252ToUtf8(line));
            line.clear();
            if (c == '\r' && i + 1 < data.size() && data[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(Windows1252ToUtf8(line));
    return lines;
}

void WriteTextFile(const std::string& path, const std::vector<std::string>& lines) {
    std::string data;
    for (const auto& line : lines) data += Utf8ToWindows1252(line) + "\r\n";
    platform::Descripteur file;
    if (const int error = platform::Ouvrir(path, platform::Acces::Remplacement, file))
        throw EInOutError(error);
    if (const int error = platform::EcrireTout(file.Get(), data)) throw EInOutError(error);
    if (const int error = file.Fermer()) throw EInOutError(error);
}
