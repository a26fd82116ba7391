#include "measurement/conseil_liaison.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

using namespace measurement;

TEST(ConseilLiaison, TheAdviceFitsTheErrorThatRefusedThePort) {
    const ConseilLiaison silencieux{"Le photomètre ne répond pas : est-il allumé ?",
                                    "Vérifiez aussi le câble et le port série choisi.", false};
    const ConseilLiaison groupe{"Port refusé : rejoignez le groupe dialout",
                                "(sudo adduser $USER dialout), reconnectez-vous.", true};
    const struct {
        int erreur;
        ConseilLiaison conseil;
    } cas[] = {
        {0, silencieux},                         // opened: the photometer is silent
        {EACCES, groupe},                        // outside the group of serial devices
        {ENOENT, silencieux},                    // no such device: plugged in, switched on?
        {EBUSY, silencieux},                     // held by another program: shown by its box
        {EIO, silencieux},                       // the line went away
        {EISDIR, silencieux}, {-1, silencieux},  // a failure without a system error
    };
    for (const auto& c : cas) EXPECT_EQ(ConseilPourErreur(c.erreur), c.conseil) << c.erreur;
}

}  // namespace
