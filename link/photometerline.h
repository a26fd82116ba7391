#pragma once

#include "link/comport.h"

namespace seriallink {

// The line to the photometer, as the program sets up its port: 19200 bit/s,
// 8N1, no flow control, DTR and RTS held off, every line event watched. The
// port's name is left as it is. The window and the port's tests both call
// this, so what is tested is what runs.
void ConfigurePhotometerLine(TCustomComPort& port);

}  // namespace seriallink
