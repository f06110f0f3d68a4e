#pragma once
// Where the engine's adapter list comes from: normally the adapter library
// (CHostNicsLibrary); tests pass a source with made-up adapters.
//
// Thread safety: every member may be called from any thread; the source
// serialises its own calls into the library.

#include <vector>

#include "hostnics/host_nics_info.h"

class CAdapterSource {
 public:
  virtual ~CAdapterSource() = default;
  // Every record of the current adapter list, copied, with `next` null; empty
  // when there is no library or it has no list.
  virtual std::vector<HostNicsInfo> Read() = 0;
  virtual bool IsLoaded() const = 0;
  // Releases the library; later reads are empty.
  virtual void Unload() = 0;
};
