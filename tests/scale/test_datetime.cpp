#include <gtest/gtest.h>
#include "scale/datetime.h"
TEST(Placeholder2, Builds) {}
