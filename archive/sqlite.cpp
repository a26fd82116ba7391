#include "archive/sqlite.h"

namespace archive {

namespace {

// SQLite's reason in French for the failures a user can act on; its own
// English text for the rest, given after.
std::string Raison(int code, sqlite3* base) {
    const std::string anglais = base != nullptr ? sqlite3_errmsg(base) : sqlite3_errstr(code);
    switch (code & 0xff) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return "l'archive est occupée par un autre programme (" + anglais + ")";
        case SQLITE_FULL:
            return "disque plein (" + anglais + ")";
        case SQLITE_READONLY:
            return "archive en lecture seule (" + anglais + ")";
        case SQLITE_NOTADB:
            return "ce n'est pas une archive SQLite (" + anglais + ")";
        case SQLITE_CORRUPT:
            return "archive abîmée (" + anglais + ")";
        case SQLITE_CANTOPEN:
            return "ouverture impossible (" + anglais + ")";
        case SQLITE_IOERR:
            return "erreur d'entrée-sortie, disque plein ou fichier trop grand ? (" + anglais + ")";
        case SQLITE_NOMEM:
            return "mémoire insuffisante";
        default:
            return anglais;
    }
}

}  // namespace

Connexion::Connexion(const std::string& chemin, int flags, std::string nom) : nom_(std::move(nom)) {
    const int code = sqlite3_open_v2(chemin.c_str(), &base_, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (code != SQLITE_OK) {
        const std::string raison = Raison(code, base_);
        sqlite3_close_v2(base_);
        base_ = nullptr;
        throw ErreurArchive("Impossible d'ouvrir l'archive « " + nom_ + " » : " + raison, code);
    }
    sqlite3_extended_result_codes(base_, 1);
}

Connexion::~Connexion() {
    for (auto& [sql, requetes] : libres_)
        for (sqlite3_stmt* r : requetes) sqlite3_finalize(r);
    sqlite3_close_v2(base_);
}

sqlite3_stmt* Connexion::Preparee(std::string_view sql) {
    const auto libres = libres_.find(std::string(sql));
    if (libres != libres_.end() && !libres->second.empty()) {
        sqlite3_stmt* r = libres->second.back();
        libres->second.pop_back();
        return r;
    }
    sqlite3_stmt* r = nullptr;
    const int code = sqlite3_prepare_v3(base_, sql.data(), static_cast<int>(sql.size()),
                                        SQLITE_PREPARE_PERSISTENT, &r, nullptr);
    if (code != SQLITE_OK) Echec(code, "Lecture impossible");
    return r;
}

void Connexion::Rendre(std::string_view sql, sqlite3_stmt* requete) {
    if (requete == nullptr) return;
    sqlite3_reset(requete);
    sqlite3_clear_bindings(requete);
    libres_[std::string(sql)].push_back(requete);
}

void Connexion::Echec(int code, const std::string& quoi) {
    throw ErreurArchive(quoi + " dans l'archive « " + nom_ + " » : " + Raison(code, base_), code);
}

void Connexion::Executer(const std::string& sql) {
    char* message = nullptr;
    const int code = sqlite3_exec(base_, sql.c_str(), nullptr, nullptr, &message);
    sqlite3_free(message);
    if (code != SQLITE_OK) Echec(code, "Échec de « " + sql.substr(0, 40) + " »");
}

int64_t Connexion::Entier(const std::string& sql) {
    Requete r(*this, sql);
    return r.Pas() ? r.Entier(0) : 0;
}

Requete::Requete(Connexion& connexion, std::string_view sql)
    : connexion_(connexion), sql_(sql), requete_(connexion.Preparee(sql)) {}

Requete::~Requete() {
    connexion_.Rendre(sql_, requete_);
}

void Requete::Verifier(int code, const char* quoi) {
    if (code != SQLITE_OK) connexion_.Echec(code, quoi);
}

Requete& Requete::Lier(int i, int64_t valeur) {
    Verifier(sqlite3_bind_int64(requete_, i, valeur), "Valeur refusée");
    return *this;
}
Requete& Requete::Lier(int i, double valeur) {
    Verifier(sqlite3_bind_double(requete_, i, valeur), "Valeur refusée");
    return *this;
}
Requete& Requete::Lier(int i, const std::string& valeur) {
    Verifier(sqlite3_bind_text(requete_, i, valeur.data(), static_cast<int>(valeur.size()),
                               SQLITE_TRANSIENT),
             "Valeur refusée");
    return *this;
}
Requete& Requete::LierNul(int i) {
    Verifier(sqlite3_bind_null(requete_, i), "Valeur refusée");
    return *this;
}

bool Requete::Pas() {
    const int code = sqlite3_step(requete_);
    if (code == SQLITE_ROW) return true;
    if (code == SQLITE_DONE) return false;
    sqlite3_reset(requete_);
    connexion_.Echec(
        code, sqlite3_stmt_readonly(requete_) ? "Lecture impossible" : "Écriture impossible");
}

void Requete::Executer() {
    while (Pas()) {
    }
    Reprendre();
}

void Requete::Reprendre() {
    sqlite3_reset(requete_);
    sqlite3_clear_bindings(requete_);
}

int Requete::Colonnes() const {
    return sqlite3_column_count(requete_);
}
bool Requete::Nul(int c) const {
    return sqlite3_column_type(requete_, c) == SQLITE_NULL;
}
int64_t Requete::Entier(int c) const {
    return sqlite3_column_int64(requete_, c);
}
double Requete::Reel(int c) const {
    return sqlite3_column_double(requete_, c);
}
std::string Requete::Texte(int c) const {
    const auto* texte = sqlite3_column_text(requete_, c);
    return texte == nullptr ? std::string()
                            : std::string(reinterpret_cast<const char*>(texte),
                                          static_cast<size_t>(sqlite3_column_bytes(requete_, c)));
}
std::optional<int64_t> Requete::EntierOuRien(int c) const {
    return Nul(c) ? std::nullopt : std::optional<int64_t>(Entier(c));
}
std::optional<double> Requete::ReelOuRien(int c) const {
    return Nul(c) ? std::nullopt : std::optional<double>(Reel(c));
}

Transaction::Transaction(Connexion& connexion, bool ecriture) : connexion_(connexion) {
    const int code = sqlite3_exec(connexion_.Get(), ecriture ? "BEGIN IMMEDIATE" : "BEGIN", nullptr,
                                  nullptr, nullptr);
    if (code != SQLITE_OK) {
        ouverte_ = false;
        connexion_.Echec(code, ecriture ? "Écriture impossible" : "Lecture impossible");
    }
}

Transaction::~Transaction() {
    if (ouverte_) sqlite3_exec(connexion_.Get(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::Valider() {
    const int code = sqlite3_exec(connexion_.Get(), "COMMIT", nullptr, nullptr, nullptr);
    if (code != SQLITE_OK) connexion_.Echec(code, "Écriture impossible");
    ouverte_ = false;
}

}  // namespace archive
