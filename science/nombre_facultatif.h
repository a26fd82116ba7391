#pragma once

#include <limits>
#include <optional>

// A number or nothing in the room of one double: nothing is a NaN, which no
// computed value is (a NaN is always "no meaning"). It offers the part of
// std::optional<double> the results use, so that a record's many values keep
// a whole day's results small (half the size of std::optional's).
namespace science {

class NombreFacultatif {
  public:
    constexpr NombreFacultatif() = default;
    constexpr NombreFacultatif(std::nullopt_t) {}
    // A NaN given is nothing.
    constexpr NombreFacultatif(double valeur) : valeur_(valeur) {}
    constexpr NombreFacultatif(const std::optional<double>& valeur)
        : valeur_(valeur ? *valeur : Rien) {}

    constexpr NombreFacultatif& operator=(std::nullopt_t) {
        valeur_ = Rien;
        return *this;
    }
    constexpr void reset() { valeur_ = Rien; }

    constexpr bool has_value() const { return valeur_ == valeur_; }
    constexpr explicit operator bool() const { return has_value(); }
    // As std::optional's: only where there is a value.
    constexpr double operator*() const { return valeur_; }
    constexpr double value() const {
        if (!has_value()) throw std::bad_optional_access();
        return valeur_;
    }
    constexpr double value_or(double defaut) const { return has_value() ? valeur_ : defaut; }

    constexpr operator std::optional<double>() const {
        return has_value() ? std::optional<double>(valeur_) : std::nullopt;
    }

    // As std::optional's: nothing equals nothing and no number.
    friend constexpr bool operator==(const NombreFacultatif& a, const NombreFacultatif& b) {
        return a.has_value() == b.has_value() && (!a.has_value() || a.valeur_ == b.valeur_);
    }
    friend constexpr bool operator==(const NombreFacultatif& a, std::nullopt_t) {
        return !a.has_value();
    }

  private:
    static constexpr double Rien = std::numeric_limits<double>::quiet_NaN();
    double valeur_ = Rien;
};

static_assert(sizeof(NombreFacultatif) == sizeof(double));

}  // namespace science
