#include "SimpleParserAtom.h"

namespace vantle {

void TSimpleParserAtom::Parse() {}

}  // namespace vantle
