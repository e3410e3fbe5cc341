#include "cli/Output.h"

#include <cerrno>
#include <cstring>
#include <ostream>

#include "cli/CliTexts.h"
#include "cli/ExitCodes.h"
#include "service/Texts.h"

namespace Output {

void TOutput::Text(const std::string& Line) {
    if (!json)
        out << Line << '\n' << std::flush;
    Check();
}

void TOutput::Object(const Output::Json& Object) {
    if (json)
        out << Object.dump() << '\n' << std::flush;
    Check();
}

int TOutput::Fail(int Exit, const std::string& Line) {
    err << "zur-cli: " << Line << '\n' << std::flush;
    return Exit;
}

int TOutput::Finish(int Exit) {
    out.flush();
    Check();
    if (out)
        return Exit;
    Fail(ExitCodes::OutputLost,
         std::string(CliTexts::kStandardOutputLost) + (lost ? std::strerror(lost) : ""));
    return Exit == ExitCodes::Success ? ExitCodes::OutputLost : Exit;
}

void TOutput::Check() {
    if (!out && lost == 0)
        lost = errno;
}

} // namespace Output
