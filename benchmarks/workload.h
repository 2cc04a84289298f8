// The data of the transfer benchmarks: MM documents for the selection and the collection, and, for the
// merge, a sales document with the collected positions that go into it, together with what the merge must
// leave behind and the passes over the slots it makes on the way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "simulated_host/host.h"
#include "transfer/transfer.h"

namespace kombrel_bench {

// --- Selection and collection ---------------------------------------------------------------------

// The range the benchmarks' users enter in form 1003.
inline constexpr const char* kRangeFrom = "20200101";
inline constexpr const char* kRangeTo = "20201231";

struct SelectionData {
  std::vector<simhost::MmDocument> documents;  // in the order of index 124
  std::int32_t listed = 0;                     // documents issued within the range
};

// `count` MM documents issued from 2015 to 2024, a tenth of them in 2020 (the range). With `shuffled`
// false index 124 holds them in issue order, so they come to the list already sorted; with true, in
// random order.
SelectionData MakeSelection(std::int32_t count, bool shuffled);

// `documents` MM documents issued in the range, each with `positions` non-empty positions.
std::vector<simhost::MmDocument> MakeCollection(std::int32_t documents, std::int32_t positions);

// --- Merge and insertion --------------------------------------------------------------------------

struct MergeCase {
  std::int32_t slots;      // slots of the sales document
  std::int32_t used;       // of them in use before the run, from slot 0 on
  std::int32_t positions;  // collected positions
  std::int32_t merging;    // of them equal to a position already in the document or inserted before
};

// How far the merge test of one slot went: the number of tests it made (1 attribute, 2 price, 3 ref,
// 4 warehouse, 5 MM number), counted over the whole run.
struct TestDepths {
  std::uint64_t stopped_at[6] = {};
};

struct MergeData {
  MergeCase sizes;
  std::vector<TsprDokRecord> document;       // every slot's record before the run; free slots zero
  std::vector<CollectedPosition> collected;  // in run order
  std::vector<TsprDokRecord> expected;       // every slot's record after the run, in the fields checked
  std::vector<std::int32_t> merge_pass;      // per collected position: slots its merge test went through
  std::vector<std::int32_t> free_pass;       // per collected position: slots the free-slot search went
                                             // through (0 for a merged one)
  std::int32_t last_inserted = -1;           // the slot of the last inserted position
  std::int32_t merges = 0;
  std::uint64_t merge_tests = 0;  // slot tests of the merge passes
  std::uint64_t free_tests = 0;   // slot tests of the free-slot passes
  TestDepths depths;
  std::uint64_t slot_tests() const { return merge_tests + free_tests; }
};

// A sales document made by earlier transfers and a run that transfers some of the same MM documents again
// (their positions merge) and some new ones (inserted, now and then with a repeated line that merges into
// the line inserted before). Keys are spread as in real documents: most positions have attribute 0, there
// are a few warehouses, many MM numbers, goods of uneven popularity whose price mostly stays the same.
// The positions that do not merge fit the free slots exactly when `positions - merging` equals
// `slots - used`.
MergeData MakeMerge(const MergeCase& sizes);

// The merge and insertion as the plug-in must do them, computed over a copy of the document: fills
// `expected`, the passes and the test depths.
void ComputeExpected(MergeData& data);

// The differences between the slots after a run and `expected`, as text; empty when there are none.
std::string CompareDocument(const MergeData& data, TsprDokRecord* const* slots);

// The bare-loop limit of the merge: the same passes over the same slots that the merge made, loading
// what the merge test loads from a slot on this data (attribute and price, and the reference in the
// free-slot search), summed, with no comparison. Answers the sum, so that nothing is left out.
std::uint64_t BareLoop(const MergeData& data, TsprDokRecord* const* slots);

}  // namespace kombrel_bench
