// Another program holding a port: opens it as the tool does, says "held" on its output and keeps
// it until its input closes.
#include <cstdio>
#include <exception>

#include "serial/MyCOMM.h"

int main(int argc, char* argv[]) {
    if (argc != 2)
        return 2;
    try {
        const MyCOMM::TZMyComm port(argv[1], 9600, 256, 256, 2, 1, 0, 8);
        std::puts("held");
        std::fflush(stdout);
        while (std::getchar() != EOF) {
        }
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        return 1;
    }
    return 0;
}
