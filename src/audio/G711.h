// ITU-T G.711 companding between 16-bit linear samples and A-law / mu-law bytes.
#pragma once

#include <cstdint>

uint8_t LinearToAlaw(int16_t sample);
int16_t AlawToLinear(uint8_t code);
uint8_t LinearToUlaw(int16_t sample);
int16_t UlawToLinear(uint8_t code);
