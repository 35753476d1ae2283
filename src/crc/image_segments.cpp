// The image as ascending, disjoint segments, where several pieces of data claim an address.
#include "crc/image_segments.h"

#include <algorithm>

#include "base/interrupt.h"

namespace sumwright {

namespace {

// Long loops poll for Ctrl+C once per this many turns.
constexpr size_t kPollInterval = 4096;

}  // namespace

std::vector<SegmentEntry> BuildSegments(std::vector<SegmentEntry> pieces) {
  std::sort(pieces.begin(), pieces.end(),
            [](const SegmentEntry& a, const SegmentEntry& b) { return a.start < b.start; });
  // Sweep upwards through the addresses with the pieces that hold the current address in a
  // heap ordered by record index: its top owns the address. Pieces that ended below the
  // address leave the heap when they come to the top.
  auto later = [&pieces](size_t a, size_t b) { return pieces[a].record > pieces[b].record; };
  std::vector<size_t> holders;
  std::vector<SegmentEntry> segments;
  segments.reserve(pieces.size());
  size_t next = 0;
  uint64_t address = 0;
  for (size_t turn = 0;; ++turn) {
    if (turn % kPollInterval == 0) {
      PollInterrupt();
    }
    if (holders.empty()) {
      if (next == pieces.size()) {
        break;
      }
      // A piece that lies wholly above the address and ends before the next one starts is a
      // segment of its own: the usual case, taken without the heap.
      const SegmentEntry& piece = pieces[next];
      if (piece.start >= address &&
          (next + 1 == pieces.size() || pieces[next + 1].start > piece.end)) {
        segments.push_back(piece);
        address = uint64_t{piece.end} + 1;
        ++next;
        continue;
      }
      address = std::max<uint64_t>(address, piece.start);
    }
    while (next < pieces.size() && pieces[next].start <= address) {
      holders.push_back(next++);
      std::push_heap(holders.begin(), holders.end(), later);
    }
    while (!holders.empty() && pieces[holders.front()].end < address) {
      std::pop_heap(holders.begin(), holders.end(), later);
      holders.pop_back();
    }
    if (holders.empty()) {
      continue;
    }
    const SegmentEntry& owner = pieces[holders.front()];
    // The owner holds the addresses up to its end, or up to the start of the next piece, which
    // may come from an earlier record.
    uint64_t last = owner.end;
    if (next < pieces.size() && uint64_t{pieces[next].start} - 1 < last) {
      last = uint64_t{pieces[next].start} - 1;
    }
    uint32_t offset = static_cast<uint32_t>(owner.byteOffset + (address - owner.start));
    if (!segments.empty() && segments.back().record == owner.record &&
        uint64_t{segments.back().end} + 1 == address) {
      segments.back().end = static_cast<uint32_t>(last);
    } else {
      segments.push_back(SegmentEntry{static_cast<uint32_t>(address), static_cast<uint32_t>(last),
                                      owner.record, offset});
    }
    address = last + 1;
  }
  return segments;
}

}  // namespace sumwright
