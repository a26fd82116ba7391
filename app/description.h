#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "toolkit/toolkit.h"

class TF_Fond;

// One control of the window's stored description: its kind (from the member
// it is bound to), parent, geometry, texts, font, colours, hint, cursor,
// initial state and handlers. The window is built from the table of these,
// in stacking order, lowest first.
struct Description {
    using Champ = std::variant<toolkit::TImage * TF_Fond::*, toolkit::TLabel * TF_Fond::*,
                               toolkit::TEdit * TF_Fond::*, toolkit::TPanel * TF_Fond::*,
                               toolkit::TBevel * TF_Fond::*, toolkit::TComboBox * TF_Fond::*,
                               toolkit::TProgressBar * TF_Fond::*, toolkit::TGauge * TF_Fond::*>;
    using Notify = void (TF_Fond::*)(TObject*);
    using Souris = void (TF_Fond::*)(TObject*, toolkit::TMouseButton, toolkit::TShiftState, int,
                                     int);
    using Touche = void (TF_Fond::*)(TObject*, char&);

    const char* nom;
    Champ champ;
    toolkit::TPanel* TF_Fond::*parent = nullptr;  // none: the window itself
    int left = 0, top = 0, width = 0, height = 0;
    const char* texte = "";
    toolkit::TFontSpec police{};
    uint32_t couleur = 0;  // background of panels, edits, lists, gauges
    bool aCouleur = false;
    const char* hint = "";
    toolkit::TCursor curseur = toolkit::crDefault;
    bool visible = true;
    bool enabled = true;
    const char* image = "";  // resource path
    bool stretch = false;
    bool autoSize = true;  // labels
    toolkit::TAlignment alignement = toolkit::taLeftJustify;
    toolkit::TTextLayout disposition = toolkit::tlTop;
    int maxLength = 0;  // edits
    char passwordChar = 0;
    int tabOrder = -1;
    toolkit::TBevelCut bordure = toolkit::bvNone;  // panels
    int maximum = 0;                               // progress bar and gauges
    uint32_t couleurAvant = 0;                     // gauge bar
    Notify onClick = nullptr;
    Souris onMouseDown = nullptr;
    Souris onMouseUp = nullptr;
    Touche onKeyPress = nullptr;
    Notify onChange = nullptr;
};

// The window's controls, lowest first.
const std::vector<Description>& DescriptionFond();
// The control of that name; a name the table lacks is a programming error.
const Description& DescriptionDe(const std::string& nom);

// The sliding cover's course: its top when closed over the maxima (single
// mode) and when open (continuous mode), and its move per tick.
struct CourseVolet {
    int ferme, ouvert, pas;
};
const CourseVolet& CourseDuVolet();
