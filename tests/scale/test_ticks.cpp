#include <gtest/gtest.h>
#include "scale/ticks.h"
TEST(Placeholder, Builds) {}
