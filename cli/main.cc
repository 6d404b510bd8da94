// marvoset-convert: hands its arguments to Run (see run.h).
#include <cstdio>
#include <string>
#include <vector>

#include "cli/run.h"

int main(int argc, char** argv) {
  return marvoset::cli::Run(std::vector<std::string>(argv, argv + argc), stdin, stdout, stderr);
}
