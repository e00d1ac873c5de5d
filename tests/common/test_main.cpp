// The main() of every test program: a child started by a test runs its
// entry (child_process.h), any other start runs the tests.
#include <gtest/gtest.h>

#include "child_process.h"

int main(int argc, char** argv) {
    if (const std::optional<int> code = testing_child::runIfChild(argc, argv)) return *code;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
