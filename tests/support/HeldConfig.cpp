#include "tests/support/HeldConfig.h"

namespace HeldConfig {

bool Holds(const sim::ControllerConfig& Held, const PtnLL::TCfgStruct& Read) {
    return Read.Addr1 == Held.Addr1 && Read.Addr2 == Held.Addr2 && Read.NoFillTO1 == Held.NoFillTO1 &&
           Read.NoFillTO2 == Held.NoFillTO2 && Read.NoMaster == Held.NoMaster &&
           Read.MinVoltage == Held.MinVoltage && Read.PricePoint == Held.PricePoint &&
           Read.AmoPoint == Held.AmoPoint && Read.Recalc == Held.Recalc && Read.ElType == Held.ElType &&
           Read.FwVersion == Held.FwVersion && Read.SerialNo == Held.SerialNo;
}

} // namespace HeldConfig
