// Enters the archive linked in by DataArchive.S in the resource table, so
// that the asset reader finds it as "DATA_RFA".
#include <cstddef>

#include "platform/Resources.h"

extern "C" const unsigned char velmora_data_rfa_begin[];
extern "C" const unsigned char velmora_data_rfa_end[];

namespace {

struct DataArchiveRegistration {
  DataArchiveRegistration() {
    platform::RegisterLinkedResource("DATA_RFA", velmora_data_rfa_begin,
                                     static_cast<std::size_t>(velmora_data_rfa_end - velmora_data_rfa_begin));
  }
} registration;

}  // namespace
