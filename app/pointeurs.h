#pragma once

// Where a gauge's pointer image stands on screen: the reception gives the
// count of a channel's maximum, the window places its pointer over it.

// Left of the pointer at a count, from its left at count 0 (the window's
// layout): one pixel every 8 counts.
int PositionPointeur(int count, int gaucheZero);
