// MM document selection: the date range (form 1003), the list of MM documents issued in it (form 1002)
// and the marks the user makes there.
#include "transfer/transfer.h"

void WybierzDokumentyMM() {}
