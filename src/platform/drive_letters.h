#pragma once

#include <map>
#include <string>
#include <vector>

namespace mapvale::platform {

// One volume asking for a letter.
struct LetterRequest {
    std::string id;            // identity of the volume while mounted
    bool system_root = false;  // the root file system: always C:
    char wanted = 0;           // a declared letter ('D'..'Z'), taken when free; 0 for none
    bool from_top = false;     // without a wanted letter (or when it is taken): the highest free
                               // letter instead of the lowest
};

// Gives drive letters to volumes and keeps them while the volumes stay present. A: and B: are
// never given (floppy drives); C: only to the root file system. A volume that is gone frees its
// letter at the next Assign.
//
// Thread safety: none; MachineVolumes calls it under its lock.
class DriveLetterTable {
  public:
    // The letters of the volumes present now, one per request in the same order; 0 for a volume
    // that found no free letter. Volumes already known keep their letters; new ones are served in
    // request order.
    std::vector<char> Assign(const std::vector<LetterRequest>& present);

  private:
    std::map<std::string, char> assigned_;
};

}  // namespace mapvale::platform
