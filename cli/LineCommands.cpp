#include "cli/LineCommands.h"

#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliObserver.h"
#include "cli/CliTexts.h"
#include "cli/ExitCodes.h"
#include "cli/Failure.h"
#include "protocol/PtnLL.h"
#include "serial/Hex.h"
#include "serial/MyCOMM.h"
#include "service/Operations.h"
#include "service/Texts.h"
#include "trace/TraceDecoder.h"

namespace LineCommands {

int Ports(Output::TOutput& Out) {
    std::vector<std::string> ports;
    MyCOMM::ListComPorts(ports);
    for (const std::string& port : ports)
        Out.Text(port);
    Out.Object({{"ports", ports}});
    return ExitCodes::Success;
}

int Addresses(Connection::TConnection& Line, Output::TOutput& Out, const Options::TCommand& Command) {
    CliObserver::TCliObserver front(Line);
    const Outcome::TAddressesOutcome addresses = Operations::QueryAddresses(Line.Commands(), front);
    if (!addresses.Succeeded())
        return Failure::Report(Out, addresses,
                               std::string(Texts::kNoAddresses) + " " + Texts::Reason(addresses.Reason));
    if (Command.Apply)
        Line.Commands().Address = addresses.First;
    Out.Text(Texts::kAddressesReceived + std::to_string(addresses.First) + " " +
             std::to_string(addresses.Second) + "." +
             (Command.Apply ? CliTexts::kAddressApplied + std::to_string(addresses.First) + "." : ""));
    Out.Object({{"addr1", addresses.First}, {"addr2", addresses.Second}, {"applied", Command.Apply}});
    return ExitCodes::Success;
}

int State(Connection::TConnection& Line, Output::TOutput& Out) {
    CliObserver::TCliObserver front(Line);
    const Outcome::TStateOutcome state = Operations::RequestState(Line.Commands(), front);
    if (!state.Succeeded())
        return Failure::Report(Out, state, CliTexts::kStateFailed + Texts::Reason(state.Reason));
    Out.Text(CliTexts::kStateLine + std::to_string(state.State) + CliTexts::kReadyLine +
             (state.Ready ? CliTexts::kYes : CliTexts::kNo) + CliTexts::kErrorFlagsLine + "0x" +
             Hex::Byte(static_cast<uint8_t>(state.Errors)));
    Out.Object({{"state", state.State}, {"ready", state.Ready}, {"errors", state.Errors}});
    return ExitCodes::Success;
}

int Decode(const std::string& Path, const std::string& Trace, Output::TOutput& Out) {
    switch (LineTrace::Recognize(Trace)) {
    case LineTrace::TFileKind::Trace:
        break;
    case LineTrace::TFileKind::Binary:
        return Out.Fail(ExitCodes::Usage, Path + ": " + CliTexts::kTraceBinary);
    case LineTrace::TFileKind::NoHeader:
        return Out.Fail(ExitCodes::Usage, Path + ": " + CliTexts::kTraceNoHeader);
    case LineTrace::TFileKind::UnknownVersion:
        return Out.Fail(ExitCodes::Usage, Path + ": " + CliTexts::kTraceUnknownVersion);
    }
    const std::vector<std::string> lines = TraceDecoder::DecodeText(Trace);
    for (const std::string& line : lines)
        Out.Text(line);
    Out.Object({{"lines", lines}});
    return ExitCodes::Success;
}

} // namespace LineCommands
