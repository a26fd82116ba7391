#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/exception.h"

// The program's text files (settings, links, data) are Windows-1252 with
// CR LF line ends; inside the program every text is UTF-8.

// An input/output error, with the system's text for it: "Fichier introuvable"
// for a missing file, "Erreur E/S <n>" otherwise (n is the errno).
class EInOutError : public Exception {
  public:
    explicit EInOutError(int errorCode);
    // The same first line, then a second naming the file and giving the
    // system's French text for the error (FileErrorDetail).
    EInOutError(int errorCode, const std::string& path);
    // The same error said in the caller's own words.
    static EInOutError Said(int errorCode, std::string message) {
        return EInOutError(Words{}, errorCode, std::move(message));
    }
    int ErrorCode() const { return errorCode_; }

  private:
    struct Words {};
    EInOutError(Words, int errorCode, std::string message)
        : Exception(std::move(message)), errorCode_(errorCode) {}
    int errorCode_;
};

// "<path> : <the system's French text, from a small letter>", which says
// which file failed and why: "… : système de fichiers accessible en lecture
// seulement".
std::string FileErrorDetail(const std::string& path, int errorCode);

std::string Utf8ToWindows1252(const std::string& text);  // unmappable characters become '?'
std::string Windows1252ToUtf8(const std::string& bytes);

bool FileExists(const std::string& path);

// The lines of a text file, as UTF-8. A line ends at CR LF, LF or a lone CR;
// a last line without an end is a line, a final line end adds none.
std::vector<std::string> ReadTextLines(const std::string& path);
// Creates or replaces the file with these lines, each ended by CR LF.
void WriteTextFile(const std::string& path, const std::vector<std::string>& lines);
