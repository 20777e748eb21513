#pragma once
// The converter's services from Qt Gui: decoding any picture format the machine's image readers
// know, and writing PNG pictures. No widgets and no display.

#include "Convert.h"

namespace pictoma {

ConvertServices QtConvertServices();

}  // namespace pictoma
