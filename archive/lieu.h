#pragma once

#include <string>

// Where the archive is when no --archive names it, for every program that
// opens it (the command line, the seasons window, the day view).
namespace archive {

// The program's folder: the current one when it holds the settings file,
// else the installed program's (SOLVENARE_DOSSIER or ~/Solvenare) when it
// exists, else the current one.
std::string ArchiveParDefaut();

}  // namespace archive
