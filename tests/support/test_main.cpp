// The main of every test program that does not bring its own: a test file that defines main()
// (for example to act as a helper process) keeps this one out of its link.
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
