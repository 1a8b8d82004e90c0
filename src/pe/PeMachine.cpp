#include "pe/PeMachine.h"

namespace vardel {

int MachineBits(std::uint16_t machine)
{
    switch (machine) {
    case 0x014C:  // x86
        return 32;
    case 0x8664:  // x86-64
    case 0xAA64:  // ARM64
    case 0x0200:  // Itanium
        return 64;
    default: return 0;
    }
}

}  // namespace vardel
