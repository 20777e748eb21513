// The converter's Qt services as a module that pictoma-convert loads only when an input needs
// them: linking Qt Gui into the program itself costs every run, bitmaps included, the start-up
// of 40-odd libraries (about 40 ms here, ten times the conversion of a screen-sized bitmap).

#include "ConvertQt.h"

extern "C" __attribute__((visibility("default"))) void pictoma_convert_services(
    pictoma::ConvertServices* services) {
    *services = pictoma::QtConvertServices();
}
