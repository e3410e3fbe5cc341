#pragma once
// What the program prints: results on standard output (text for people, or one JSON object per
// command), each failure as one line on standard error.

#include <iosfwd>
#include <nlohmann/json.hpp>
#include <string>

namespace Output {

using Json = nlohmann::ordered_json;

class TOutput {
public:
    TOutput(bool JsonWanted, std::ostream& Out, std::ostream& Err) : json(JsonWanted), out(Out), err(Err) {}

    bool JsonMode() const { return json; }
    // A line for people; nothing in JSON mode.
    void Text(const std::string& Line);
    // The command's JSON object; nothing in text mode.
    void Object(const Output::Json& Object);
    // One line on standard error; returns Exit for the caller to return.
    int Fail(int Exit, const std::string& Line);
    std::ostream& Err() { return err; }
    // The run's exit code once standard output is flushed: Exit, or OutputLost with its line
    // when something printed did not get there (a full disk, a closed pipe).
    int Finish(int Exit);

private:
    void Check();

    bool json;
    std::ostream& out;
    std::ostream& err;
    int lost = 0; // the system's error number of the first write that failed
};

} // namespace Output
