// ITU-T G.711 A-law and mu-law companding of 16-bit linear samples.
#pragma once

#include <cstdint>

namespace kvo::backend {

uint8_t LinearToAlaw(int16_t sample);
uint8_t LinearToUlaw(int16_t sample);
int16_t AlawToLinear(uint8_t code);
int16_t UlawToLinear(uint8_t code);

}  // namespace kvo::backend
