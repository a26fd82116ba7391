#include "bench/journal_trames.h"

#include <unistd.h>

#include <thread>

namespace banc {
namespace {

// Far more than the terminal and the simulator's queue hold at once.
constexpr size_t Taille = 1 << 16;

}  // namespace

JournalTrames::JournalTrames() : anneau_(Taille) {}

void JournalTrames::Noter(int numero, simulateur::Mode mode, const simulateur::Comptes& comptes,
                          Horloge::time_point ecrite) {
    if (fil_.load(std::memory_order_relaxed) == 0) fil_.store(gettid());
    anneau_[static_cast<size_t>(numero) % Taille] = {mode, comptes, ecrite};
    dernier_.store(numero, std::memory_order_release);
}

std::optional<JournalTrames::Trame> JournalTrames::Lire(int numero) const {
    const auto fin = Horloge::now() + std::chrono::seconds(1);
    while (Dernier() < numero) {
        if (Horloge::now() > fin) return std::nullopt;
        std::this_thread::yield();
    }
    const Trame t = anneau_[static_cast<size_t>(numero) % Taille];
    if (Dernier() - numero >= static_cast<int>(Taille)) return std::nullopt;
    return t;
}

}  // namespace banc
