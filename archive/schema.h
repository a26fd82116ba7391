#pragma once

#include <string>
#include <vector>

#include "archive/sqlite.h"

// The archive's tables and their migrations. Migration n brings the schema
// from version n − 1 to n; the version is kept in the file (user_version),
// so that an archive made by an older program is brought up to date once.
namespace archive {

// Marks the file as the program's archive (application_id): "Solv".
inline constexpr int IdentiteArchive = 0x536f6c76;

const std::vector<std::string>& Migrations();
int VersionSchema();

// The schema's version in the file, 0 for a new one.
int VersionFichier(Connexion& base);

// Applies the migrations after the file's version up to `jusqua`, each in
// its own transaction with the version it reaches.
void Migrer(Connexion& base, int jusqua);

}  // namespace archive
