// Merge and insertion of the collected positions into the sales document.
#include "transfer/transfer.h"

std::int32_t WstawPozycjeMM(TsprDokRecord**, std::int32_t*, TableObject*, std::int16_t, std::int32_t) {
  return 1;
}
