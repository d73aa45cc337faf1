#pragma once

#include "Exception.h"

namespace vantle {

// The error the feed library itself raises (unknown formats, missing required fields,
// undecodable content).
class TSimpleRSSException : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace vantle
