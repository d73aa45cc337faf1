#include "SimpleParserRSS.h"

namespace vantle {

void TSimpleParserRSS::Parse() {}

}  // namespace vantle
