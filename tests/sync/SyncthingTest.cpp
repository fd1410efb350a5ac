// Two real Syncthing instances between two stores: see the test below.
#include <gtest/gtest.h>
