// The host's document services: a position is completed with its line value, the document's totals
// are summed into its header. Neither touches a field the plug-in writes.
#include <cstring>

#include "simulated_host/host.h"
#include "simulated_host/services.h"

extern "C" std::int32_t KOMBREL_STDCALL torval_doc_position_recalc(std::int32_t, TsprDokRecord* position,
                                                                   TsprRecord*, std::int32_t) {
  simhost::Host::Current().Record("doc_position_recalc");
  // The line value: quantity × price, kept at the start of the host's bytes after the price.
  const double value = position->quantity * position->price;
  std::memcpy(position->host_2, &value, sizeof value);
  simhost::Host::Current().HostWrote(position->host_2, sizeof value);
  return 1;
}

extern "C" std::int32_t KOMBREL_STDCALL torval_doc_totals_recalc(TsprDokRecord** slots,
                                                                 std::int32_t slot_count, TsprRecord* header,
                                                                 std::int32_t, std::int32_t) {
  simhost::Host::Current().Record("doc_totals_recalc");
  double total = 0;
  for (std::int32_t i = 0; i < slot_count; ++i) {
    if (slots[i]->ref == 0 && slots[i]->used_mark == 0) continue;
    double value = 0;
    std::memcpy(&value, slots[i]->host_2, sizeof value);
    total += value;
  }
  if (header != nullptr) {
    std::memcpy(header->host_1, &total, sizeof total);
    simhost::Host::Current().HostWrote(header->host_1, sizeof total);
  }
  return 1;
}
