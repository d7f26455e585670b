// The library's exception family. Each carries a message text and nothing else.
#pragma once

#include "gfxbase/export.h"

#include <stdexcept>
#include <string>

namespace dendrokit {

class DENDROKIT_EXPORT EVELError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class DENDROKIT_EXPORT EVELVectorError : public EVELError {
 public:
  using EVELError::EVELError;
};

class DENDROKIT_EXPORT EVELMatrixError : public EVELError {
 public:
  using EVELError::EVELError;
};

class DENDROKIT_EXPORT EVELDataTableError : public EVELError {
 public:
  using EVELError::EVELError;
};

class DENDROKIT_EXPORT EVELPlotraError : public EVELError {
 public:
  using EVELError::EVELError;
};

// Raised by the component model's standard copy when neither side knows how to copy.
class DENDROKIT_EXPORT EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "Component \"<name>\"" + suffix: the storage-failure message of the containers.
DENDROKIT_EXPORT std::string ComponentMessage(const std::string& name, const char* suffix);

}  // namespace dendrokit
