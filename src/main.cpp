// The process entry; src/app/Startup.h describes the run.

#include "app/Startup.h"

int main(int argc, char** argv) {
  return _Main(argc, argv);
}
