#pragma once

#include <string_view>

namespace mapvale::card {

// How the install job's stages copy: every file goes through the job's copy (the platform copy
// with the job's progress routine and cancel flag), so the stages' own code only walks folders.
//
// Called on the install job's worker thread only.
class StageCopier {
public:
    virtual ~StageCopier() = default;
    // Copies the regular file `source` to `target`, whose folder exists; true when done.
    virtual bool CopyOneFile(std::string_view source, std::string_view target) = 0;
    // True once the job was asked to stop: walks end at the next entry.
    virtual bool Cancelled() const = 0;
};

// Copies `source` to `target`: a file into a target whose folder chain is created first; a
// folder as a folder (created with its parents) holding a copy of each child, stopping at the
// first failure or when the copier is cancelled. Links and special files are not followed and
// not copied (a link on a card must not pull the PC's files into a backup, or loop), and trees
// deeper than kMaxTreeDepth fail. True when everything that was to be copied was; a missing
// `source` is a failure.
bool CopyTree(StageCopier& copier, std::string_view source, std::string_view target);

inline constexpr int kMaxTreeDepth = 64;

}  // namespace mapvale::card
