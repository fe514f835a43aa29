// Entry point of the widget tests: a widget application on the offscreen platform.
#include <QApplication>

#include <gtest/gtest.h>

#include <clocale>

#include "support/test_environment.h"

int main(int argc, char** argv) {
  xyla::test::prepareTestEnvironment();
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  std::setlocale(LC_NUMERIC, "C");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
