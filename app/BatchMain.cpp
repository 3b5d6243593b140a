#include <iostream>
#include <string>
#include <vector>

#include "app/BatchCommand.h"
#include "numtext/Extended.h"

int main(int argc, char** argv) {
  curvella::SetFloatingPointMode();
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  return curvella::RunBatch(arguments, std::cout, std::cerr);
}
