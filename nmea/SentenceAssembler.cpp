#include "nmea/SentenceAssembler.h"
void SentenceAssembler::FeedByte(uint8_t) {}  // stand-in, being built
