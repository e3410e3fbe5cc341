#include "cli/Output.h"

#include <ostream>

namespace Output {

void TOutput::Text(const std::string& Line) {
    if (!json)
        out << Line << '\n' << std::flush;
}

void TOutput::Object(const Output::Json& Object) {
    if (json)
        out << Object.dump() << '\n' << std::flush;
}

int TOutput::Fail(int Exit, const std::string& Line) {
    err << "zur-cli: " << Line << '\n' << std::flush;
    return Exit;
}

} // namespace Output
