#include <cstdio>
#include <iostream>

#include "Convert.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::ios::sync_with_stdio(false);
    return pictoma::RunConvert(args, std::cout, std::cerr);
}
