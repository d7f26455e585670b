// The library's exception family. Each carries a message text and nothing else.
#pragma once

#include <stdexcept>
#include <string>

namespace dendrokit {

class EVELError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class EVELVectorError : public EVELError {
 public:
  using EVELError::EVELError;
};

class EVELMatrixError : public EVELError {
 public:
  using EVELError::EVELError;
};

class EVELDataTableError : public EVELError {
 public:
  using EVELError::EVELError;
};

class EVELPlotraError : public EVELError {
 public:
  using EVELError::EVELError;
};

// Raised by the component model's standard copy when neither side knows how to copy.
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "Component \"<name>\"" + suffix: the storage-failure message of the containers.
std::string ComponentMessage(const std::string& name, const char* suffix);

}  // namespace dendrokit
