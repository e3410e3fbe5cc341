#pragma once
// The guest test programs' verdicts, read from their GoogleTest output on the console.

#include <string>
#include <vector>

class TGuestResults {
public:
    struct TVerdict {
        std::string Name;
        bool Finished = false;
        bool Passed = false;
        std::vector<std::string> Output; // what the test printed, for a failure's report
    };

    void Feed(const std::string& ConsoleLine);
    // Every test that started, in order; one that never finished has Passed false.
    const std::vector<TVerdict>& Verdicts() const { return verdicts; }

private:
    std::vector<TVerdict> verdicts;
    bool running = false;
};
