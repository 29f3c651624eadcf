#include "tools/frames/frame_tool.h"

#include <iostream>

int main(int argc, char** argv) {
    return vorlin::frames::run(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
