#pragma once

#include <optional>
#include <string>
#include <string_view>

// The V0 link between the day view and the main window: one local socket per
// user, on which the main window listens. The day view sends the V0s of a
// Langley fit; the main window puts them into its expert entries, when they
// are open, and answers in one line. Nothing reaches the instrument this way:
// the user still validates the expert entries in the main window.
namespace journee {

// In $XDG_RUNTIME_DIR (private to the user), else in /tmp under the user's id.
// The socket keeps its older name so that both ends of any version meet.
std::string NomLienV0();

struct ReportV0 {
    std::string photometre;  // the number in the data file's header
    double v0Vert = 0, v0Rouge = 0;
};

// "V0;7;2.1234;1.9876\n"
std::string MessageV0(const ReportV0& report);
std::optional<ReportV0> LireMessageV0(std::string_view ligne);

struct Reponse {
    bool acceptee = false;
    std::string texte;  // French, for the user
};

// "OK;texte\n" or "REFUS;texte\n"
std::string MessageReponse(const Reponse& reponse);
std::optional<Reponse> LireReponse(std::string_view ligne);

}  // namespace journee
