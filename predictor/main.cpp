// The `tide` predictor; see TideProgram.h.

#include "predictor/TideProgram.h"

#include <cstdlib>
#include <ctime>

int main(int argc, char** argv) {
  tide::TideProgram::Environment environment;
  if (const char* hfilePath = std::getenv("HFILE_PATH"))
    environment.hfilePath = hfilePath;
  environment.now = static_cast<tide::Seconds>(std::time(nullptr));
  return tide::TideProgram::run(std::vector<std::string>(argv + 1, argv + argc), environment);
}
