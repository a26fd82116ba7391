#include "archive/schema.h"

namespace archive {

namespace {

// The only clause here that is SQLite's own: a records table stored as its
// primary key's B-tree, with no hidden rowid beside it. A records table
// keyed by (series, line) otherwise holds its rows twice (the table and the
// key's index), about 25 bytes more per record. Elsewhere (PostgreSQL) the
// same table is declared without the suffix.
constexpr char SansRowid[] = " WITHOUT ROWID";

// Version 1. Raw values only: derived values are computed again by the
// science on reading; the days' summaries are a cache stamped with the
// version of the computation that made them. Voltages and depths are
// integers in millionths (the file has at most six decimals: exact); times
// are seconds since 1970 (UTC).
std::string Schema1() {
    return std::string(R"(
CREATE TABLE reglages (
    cle TEXT PRIMARY KEY,
    valeur TEXT NOT NULL
);
CREATE TABLE sites (
    id INTEGER PRIMARY KEY,
    nom TEXT NOT NULL,
    latitude REAL NOT NULL,
    longitude REAL NOT NULL,
    altitude REAL NOT NULL,
    fuseau TEXT NOT NULL,
    UNIQUE (latitude, longitude, altitude, fuseau)
);
CREATE TABLE instruments (
    id INTEGER PRIMARY KEY,
    numero TEXT NOT NULL,
    version TEXT NOT NULL,
    UNIQUE (numero, version)
);
CREATE TABLE fichiers (
    id INTEGER PRIMARY KEY,
    origine TEXT NOT NULL,
    chemin TEXT NOT NULL,
    taille INTEGER NOT NULL,
    empreinte TEXT NOT NULL,
    lignes INTEGER NOT NULL,
    site INTEGER NOT NULL REFERENCES sites (id),
    annee INTEGER,
    ozone REAL,
    modification TEXT NOT NULL,
    importe TEXT NOT NULL
);
CREATE INDEX fichiers_chemin ON fichiers (chemin, origine);
CREATE INDEX fichiers_empreinte ON fichiers (empreinte, taille);
CREATE TABLE series (
    id INTEGER PRIMARY KEY,
    fichier INTEGER NOT NULL REFERENCES fichiers (id) ON DELETE CASCADE,
    ligne INTEGER NOT NULL,
    instrument INTEGER NOT NULL REFERENCES instruments (id),
    bloc TEXT NOT NULL,
    date TEXT NOT NULL,
    jour_semaine INTEGER NOT NULL,
    jour INTEGER NOT NULL,
    mois INTEGER NOT NULL,
    pression INTEGER,
    angle INTEGER,
    v0_vert REAL,
    vn_vert REAL,
    v0_rouge REAL,
    vn_rouge REAL,
    valeurs_refusees INTEGER NOT NULL,
    pression_refusee INTEGER NOT NULL,
    annee INTEGER,
    UNIQUE (fichier, ligne)
);
CREATE INDEX series_instrument ON series (instrument);
CREATE TABLE mesures (
    serie INTEGER NOT NULL REFERENCES series (id) ON DELETE CASCADE,
    ligne INTEGER NOT NULL,
    utc INTEGER,
    mode INTEGER NOT NULL,
    jours INTEGER NOT NULL,
    secondes INTEGER NOT NULL,
    v_vert INTEGER,
    eo_vert INTEGER,
    v_rouge INTEGER,
    eo_rouge INTEGER,
    temperature INTEGER,
    PRIMARY KEY (serie, ligne)
))") + SansRowid +
           R"(;
CREATE TABLE resumes_jours (
    jour TEXT NOT NULL,
    site INTEGER NOT NULL REFERENCES sites (id),
    instrument TEXT NOT NULL,
    enregistrements INTEGER NOT NULL,
    niveau15 INTEGER NOT NULL,
    vert_mediane REAL, vert_min REAL, vert_max REAL,
    rouge_mediane REAL, rouge_min REAL, rouge_max REAL,
    angstrom_mediane REAL, angstrom_min REAL, angstrom_max REAL,
    PRIMARY KEY (jour, site, instrument)
);
CREATE TABLE jours_fichiers (
    fichier INTEGER NOT NULL REFERENCES fichiers (id) ON DELETE CASCADE,
    jour TEXT NOT NULL,
    site INTEGER NOT NULL REFERENCES sites (id),
    instrument TEXT NOT NULL,
    PRIMARY KEY (fichier, jour, instrument)
);
CREATE INDEX jours_fichiers_jour ON jours_fichiers (jour, site, instrument);
)";
}

// Version 2. Each half-day's Langley fit of each channel, a cache of the
// science like the summaries: made at import from the records computed
// then, made again with them when the computation changes. The header's
// constants are the calibration period's key.
constexpr char Schema2[] = R"(
CREATE TABLE langleys (
    serie INTEGER NOT NULL REFERENCES series (id) ON DELETE CASCADE,
    instrument INTEGER NOT NULL REFERENCES instruments (id),
    canal TEXT NOT NULL,
    jour TEXT NOT NULL,
    demi TEXT NOT NULL,
    v0_vert_entete REAL, vn_vert_entete REAL, v0_rouge_entete REAL, vn_rouge_entete REAL,
    v0 REAL NOT NULL,
    erreur_type REAL NOT NULL,
    pente REAL NOT NULL,
    r2 REAL NOT NULL,
    points INTEGER NOT NULL,
    exclus INTEGER NOT NULL,
    verdict TEXT NOT NULL,
    accepte INTEGER NOT NULL,
    PRIMARY KEY (serie, canal, demi)
);
CREATE INDEX langleys_instrument ON langleys (instrument, jour);
)";

// Version 3. Each instrument's calibration knots (the recommendations at
// its accepted half-days, with their period's header constants), kept so
// that a batch of imports finds which days' level 2.0 they moved; each
// day's count at level 2.0, and whether it is to be computed again.
constexpr char Schema3[] = R"(
CREATE TABLE noeuds (
    instrument TEXT NOT NULL,
    canal TEXT NOT NULL,
    periode INTEGER NOT NULL,
    jour REAL NOT NULL,
    v0_vert_entete REAL NOT NULL, v0_rouge_entete REAL NOT NULL,
    vn_vert_entete REAL NOT NULL, vn_rouge_entete REAL NOT NULL,
    v0 REAL NOT NULL,
    ecart_type REAL NOT NULL,
    erreur_type REAL NOT NULL,
    nombre INTEGER NOT NULL,
    PRIMARY KEY (instrument, canal, periode, jour)
);
CREATE INDEX noeuds_jour ON noeuds (instrument, jour);
ALTER TABLE resumes_jours ADD COLUMN niveau20 INTEGER NOT NULL DEFAULT 0;
ALTER TABLE resumes_jours ADD COLUMN a_revoir INTEGER NOT NULL DEFAULT 0;
CREATE INDEX resumes_jours_a_revoir ON resumes_jours (a_revoir) WHERE a_revoir = 1;
INSERT INTO reglages (cle, valeur) VALUES ('noeuds_a_revoir', '1')
    ON CONFLICT (cle) DO UPDATE SET valeur = excluded.valeur;
)";

}  // namespace

const std::vector<std::string>& Migrations() {
    static const std::vector<std::string> migrations = {Schema1(), Schema2, Schema3};
    return migrations;
}

int VersionSchema() {
    return static_cast<int>(Migrations().size());
}

int VersionFichier(Connexion& base) {
    return static_cast<int>(base.Entier("PRAGMA user_version"));
}

void Migrer(Connexion& base, int jusqua) {
    for (int version = VersionFichier(base) + 1; version <= jusqua; ++version) {
        Transaction t(base);
        // Read again under the write lock: another program may have done it.
        if (VersionFichier(base) >= version) continue;
        base.Executer(Migrations()[static_cast<size_t>(version - 1)]);
        // Pragmas take no bound values; these are the program's own numbers.
        if (version == 1)
            base.Executer("PRAGMA application_id = " + std::to_string(IdentiteArchive));
        base.Executer("PRAGMA user_version = " + std::to_string(version));
        t.Valider();
    }
}

}  // namespace archive
