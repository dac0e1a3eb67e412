#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

// One offscreen QApplication for every test program, so that GUI tests and
// tests of event-loop driven code (shells, timers) share one set-up.
int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
