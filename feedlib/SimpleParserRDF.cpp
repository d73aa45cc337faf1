#include "SimpleParserRDF.h"

namespace vantle {

void TSimpleParserRDF::Parse() {}

}  // namespace vantle
