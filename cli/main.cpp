// zur-cli: the service tool's operations for scripts.

#include <exception>
#include <iostream>

#include "cli/CliTexts.h"
#include "cli/ExitCodes.h"
#include "cli/Program.h"
#include "service/Texts.h"

int main(int argc, char** argv) {
    try {
        return Program::Run(argc, argv, std::cout, std::cerr);
    } catch (const std::exception& e) {
        std::cerr << "zur-cli: " << CliTexts::kInternalFailure << e.what() << '\n';
    }
    return ExitCodes::Internal;
}
