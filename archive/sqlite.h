#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/exception.h"

// A small RAII layer over SQLite's C API: a connection, a prepared statement
// with bound values, a transaction. Every query goes through a prepared
// statement; no value is ever pasted into SQL text.
namespace archive {

// What failed, on which file, and SQLite's own reason, in French.
class ErreurArchive : public Exception {
  public:
    ErreurArchive(std::string message, int code = SQLITE_ERROR)
        : Exception(std::move(message)), code_(code) {}
    // SQLite's extended result code (SQLITE_BUSY, SQLITE_FULL…).
    int Code() const { return code_; }
    // Another program holds the archive: worth trying again later.
    bool Occupee() const {
        return (code_ & 0xff) == SQLITE_BUSY || (code_ & 0xff) == SQLITE_LOCKED;
    }

  private:
    int code_;
};

class Connexion;

class Requete {
  public:
    Requete(Connexion& connexion, std::string_view sql);
    ~Requete();
    Requete(const Requete&) = delete;
    Requete& operator=(const Requete&) = delete;

    // Parameters from 1, as SQLite numbers them.
    Requete& Lier(int i, int64_t valeur);
    Requete& Lier(int i, int valeur) { return Lier(i, static_cast<int64_t>(valeur)); }
    Requete& Lier(int i, size_t valeur) { return Lier(i, static_cast<int64_t>(valeur)); }
    Requete& Lier(int i, double valeur);
    Requete& Lier(int i, const std::string& valeur);
    Requete& Lier(int i, const char* valeur) { return Lier(i, std::string(valeur)); }
    Requete& LierNul(int i);
    template <typename T>
    Requete& Lier(int i, const std::optional<T>& valeur) {
        return valeur ? Lier(i, *valeur) : LierNul(i);
    }

    // True while a row is there to read.
    bool Pas();
    // Runs a statement that returns no row.
    void Executer();
    // Ready to bind and run again.
    void Reprendre();

    int Colonnes() const;  // of its rows
    bool Nul(int colonne) const;
    int64_t Entier(int colonne) const;
    double Reel(int colonne) const;
    std::string Texte(int colonne) const;
    std::optional<int64_t> EntierOuRien(int colonne) const;
    std::optional<double> ReelOuRien(int colonne) const;

  private:
    void Verifier(int code, const char* quoi);
    Connexion& connexion_;
    std::string sql_;
    sqlite3_stmt* requete_ = nullptr;
};

class Connexion {
  public:
    // flags as sqlite3_open_v2's; the path may be a "file:" URI.
    Connexion(const std::string& chemin, int flags, std::string nom);
    ~Connexion();
    Connexion(const Connexion&) = delete;
    Connexion& operator=(const Connexion&) = delete;

    // Statements without values (schema, pragmas).
    void Executer(const std::string& sql);
    // The first column of the first row of a query without values.
    int64_t Entier(const std::string& sql);
    int64_t DerniereLigne() const { return sqlite3_last_insert_rowid(base_); }
    int Modifiees() const { return sqlite3_changes(base_); }
    sqlite3* Get() { return base_; }
    // The file's name for messages.
    const std::string& Nom() const { return nom_; }

    // Raises ErreurArchive for code, with SQLite's reason: "quoi" says what
    // was being done.
    [[noreturn]] void Echec(int code, const std::string& quoi);

  private:
    friend class Requete;
    // Statements prepared once and kept for the next Requete of the same
    // text: an import runs the same dozen statements for each file.
    sqlite3_stmt* Preparee(std::string_view sql);
    void Rendre(std::string_view sql, sqlite3_stmt* requete);

    sqlite3* base_ = nullptr;
    std::string nom_;
    std::unordered_map<std::string, std::vector<sqlite3_stmt*>> libres_;
};

// BEGIN IMMEDIATE: the write lock at once, so a second writer waits for the
// busy timeout at the start rather than failing halfway through its work.
// Rolled back unless Valider was called.
class Transaction {
  public:
    explicit Transaction(Connexion& connexion, bool ecriture = true);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void Valider();

  private:
    Connexion& connexion_;
    bool ouverte_ = true;
};

}  // namespace archive
