#include "firmware/DataBuffer.h"

namespace firmware {
namespace {
unsigned char buffer[kDataBufferCapacity];
}  // namespace

unsigned char* dataBuffer() { return buffer; }

}  // namespace firmware
