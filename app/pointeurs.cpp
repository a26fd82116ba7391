#include "app/pointeurs.h"

#include <algorithm>

#include "measurement/protocole.h"

int PositionPointeur(int count, int gaucheZero) {
    // The detector gives 10-bit counts; a larger one (noise read as a frame)
    // stops at the gauge's end, as the gauge itself does.
    return gaucheZero + std::clamp(count, 0, measurement::CompteMaximal) / 8;
}
