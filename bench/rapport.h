#pragma once

#include <string>
#include <vector>

// What the benches print besides their figures: failed checks, medians, the
// date.
namespace banc {

// Prints a failed check; the bench then ends with a failure.
void Faute(const std::string& texte);
bool Echec();

double Mediane(std::vector<double> v);

// "2026-12-08 09:05", local time.
std::string DateHeure();

}  // namespace banc
