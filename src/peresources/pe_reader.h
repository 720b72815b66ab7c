// The checked reader as the module and resource readers use it: a read past
// the end raises EPEResourceError with the message of the structure being
// read ("Invalid Dos Header!", "Invalid Pointer to Resource Data!", ...).
#pragma once

#include <stdexcept>

#include "platform/byte_reader.h"

namespace kst {

// A compiled module or a resource file is damaged or is not one; the message
// is the one a person sees.
class EPEResourceError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

using TPEReader = TByteReader<EPEResourceError>;

}  // namespace kst
