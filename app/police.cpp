#include "app/police.h"

#include <QFont>
#include <QFontDatabase>
#include <QString>
#include <QStringList>

#include "toolkit/graphics.h"

void InstallerPoliceDeSubstitution() {
    // Liberation Sans has the proportions of the small sans-serif face the
    // layout was drawn for (the blank runs of the composite captions depend
    // on them), with a true bold; the set-up scripts install it
    // (fonts-liberation2). Failing that, a sans-serif of the machine stands in.
    static bool fait = false;
    if (fait) return;
    fait = true;
    QString famille;
    for (const char* fichier : {"/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
                                "/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf"}) {
        const int id = QFontDatabase::addApplicationFont(fichier);
        if (id >= 0 && famille.isEmpty())
            famille = QFontDatabase::applicationFontFamilies(id).value(0);
    }
    QFont::insertSubstitution("MS Sans Serif", famille.isEmpty() ? QString("Sans Serif") : famille);
    // Liberation Sans runs about a tenth narrower: widened so, the captions
    // end where the edits and value labels placed beside them expect.
    toolkit::SetLetterSpacing("MS Sans Serif", 110);
}
