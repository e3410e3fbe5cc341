#pragma once
// The host's side of the guest's requests: it serves the far ends of the lines (a simulated
// controller on each), reports what QEMU's trace says the chips were told, and pulls the USB
// adapter through QEMU's monitor. Requests, each naming a line ("uart" or "adapter"):
//   settings LINE          the chip's speed, parity, data and stop bits: "9600 O 8 1"
//   modem LINE             the chip's DTR and RTS: "dtr=0 rts=0"
//   break LINE             the chip's break condition: "on" or "off"
//   send LINE N            the controller sends N bytes (byte i is i modulo 256) in one burst
//   split LINE AFTER MS    every answer pauses MS milliseconds after its first AFTER bytes
//   clear LINE             answers are normal again
//   image LINE SIZE SEED V16   "same" when the controller received exactly the image of that
//                          body size, pattern seed and 16-bit value
//   pull LINE AFTER        the adapter is removed once AFTER body bytes of the next image have
//                          reached the controller
//   pulled LINE            "yes" once that has been done

#include "tests/qemu/ChipTrace.h"
#include "tests/qemu/FileTail.h"
#include "tests/qemu/QemuMachine.h"

#include <cstddef>
#include <optional>
#include <string>

namespace sim {
class Simulator;
}

class TLaneRequests {
public:
    TLaneRequests(sim::Simulator& Uart, sim::Simulator& Adapter, TFileTail& Trace, TQemuMachine& Machine);

    // The reply to one request.
    std::string Handle(const std::string& Request);
    // Carries out a pull once its moment has come; true while one is waiting.
    bool Tick();

private:
    struct TFar {
        sim::Simulator* Simulator = nullptr;
        ChipTrace::TChip Chip = ChipTrace::TChip::Uart;
    };
    std::optional<TFar> Far(const std::string& Name) const;
    std::string CompareImage(const sim::Simulator& Simulator, size_t Size, unsigned Seed,
                             unsigned Value16) const;

    sim::Simulator& uart;
    sim::Simulator& adapter;
    TFileTail& trace;
    TQemuMachine& machine;
    ChipTrace::TChips chips;
    std::optional<size_t> pullAfter;
    bool newImageSeen = false;
    bool pulled = false;
};
