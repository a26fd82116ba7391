#include "measurement/conseil_liaison.h"

#include <cerrno>

namespace measurement {

ConseilLiaison ConseilPourErreur(int erreurSysteme) {
    // Serial devices belong to the group dialout; a user outside it is
    // refused every port, photometer on or off. The group is taken at login.
    if (erreurSysteme == EACCES)
        return {"Port refusé : rejoignez le groupe dialout",
                "(sudo adduser $USER dialout), reconnectez-vous.", true};
    return {"Le photomètre ne répond pas : est-il allumé ?",
            "Vérifiez aussi le câble et le port série choisi.", false};
}

}  // namespace measurement
