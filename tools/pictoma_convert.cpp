#include <cstdio>
#include <iostream>

#include "Convert.h"
#ifdef PICTOMA_CONVERT_QT
#include "ConvertQt.h"
#endif

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::ios::sync_with_stdio(false);
#ifdef PICTOMA_CONVERT_QT
    const pictoma::ConvertServices services = pictoma::QtConvertServices();
#else
    const pictoma::ConvertServices services;  // bitmaps and source text only
#endif
    return pictoma::RunConvert(args, std::cin, std::cout, std::cerr, services);
}
