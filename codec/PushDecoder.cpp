#include "codec/PushDecoder.h"

#include "codec/Base64Decoder.h"
#include "codec/UUDecoder.h"

namespace codec {

std::unique_ptr<PushDecoder> MakeLineDecoder(UUMethods method, ByteSink& sink) {
  if (method == uuCode) return std::make_unique<UUDecoder>(sink);
  return std::make_unique<Base64Decoder>(sink);
}

}  // namespace codec
