#pragma once
// zur-sim's command line: the simulator's options, or an image file to write.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/SimOptions.h"

namespace SimCommandLine {

enum Exit : int {
    Success = 0,
    NotStarted = 1, // no pseudo-terminal, or the --link path is taken
    Usage = 2,
    OutputLost = 3, // standard output, the image file or the trace file could not be written
};

struct ImageFile {
    std::string Path;
    uint32_t BodySize = 0;
};

struct Settings {
    sim::Options Options;
    std::vector<sim::Rule> Rules;   // in the order given: later ones win
    int StopFromParam = 0;          // 0: every parameter is answered
    std::string TracePath;          // empty: no trace
    std::string SaveImagePath;      // each image received is written there as an image file
    std::optional<ImageFile> Image; // --make-image: write it instead of simulating
};

struct Parsed {
    std::optional<Settings> Run; // absent: the program ends with Exit
    int Exit = Success;
};

// Parses the arguments. --help and --version are printed on standard output, an error as one line
// on standard error; Parsed::Exit then says how the program ends, standard output's loss included.
Parsed Parse(int argc, const char* const* argv);

// Flushes standard output; false, with one line on standard error, when what was printed did not
// reach its destination.
bool OutputReached();

} // namespace SimCommandLine
