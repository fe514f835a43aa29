// Test entry point: a Qt application object on the offscreen platform, numbers in the
// "C" locale, then every test.
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <clocale>

#include "support/test_environment.h"

int main(int argc, char** argv) {
  xyla::test::prepareTestEnvironment();
  QGuiApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
