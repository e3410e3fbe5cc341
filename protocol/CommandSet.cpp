#include "protocol/CommandSet.h"

#include <algorithm>

namespace CommandSet {

const TCommand* FindCommand(uint8_t Code) {
    const auto found = std::ranges::find(kCommands, Code, &TCommand::Code);
    return found == kCommands.end() ? nullptr : &*found;
}

const TParameter* FindParameter(uint8_t Id) {
    const auto found = std::ranges::find(kParameters, Id, &TParameter::Id);
    return found == kParameters.end() ? nullptr : &*found;
}

CommandFrame::Expected Expect(int32_t Address, uint8_t Code, std::optional<uint8_t> Parameter) {
    CommandFrame::Expected want{
        .Address = Address, .AnyAddress = false, .Command = Code, .Length = std::nullopt};
    if (const TCommand* command = FindCommand(Code)) {
        want.Length = command->AnswerLength;
        want.Address = command->AnswerAddress.value_or(Address);
    }
    if (Code == kSetParam && Parameter) {
        const TParameter* parameter = FindParameter(*Parameter);
        want.AnyAddress = parameter != nullptr && parameter->WriteAnsweredFromAnyAddress;
    }
    return want;
}

} // namespace CommandSet
