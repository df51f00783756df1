#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

int main(int argc, char** argv) {
  // Every date test reads local time as Berlin time, whatever the machine says.
  setenv("TZ", "Europe/Berlin", 1);
  tzset();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
