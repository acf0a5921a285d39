// The Windows test program's entry: the GoogleTest cases, or with --exit-with-port-open the child
// that one of them starts.
#include <gtest/gtest.h>

#include <cstring>

namespace zemlo::testing {
int exit_with_port_open();
}

int main(int argc, char **argv) {
    if (argc == 2 && std::strcmp(argv[1], "--exit-with-port-open") == 0) {
        return zemlo::testing::exit_with_port_open();
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
