#include "region_bands.h"

#include <algorithm>

namespace wmf {
namespace {

// The cover of a line by intervals, kept as the rectangles of a region are
// swept from top to bottom: a tree over the pieces between their x edges
// counts how many rectangles cover each piece and knows the parts wholly
// covered. A band then costs its own spans, not every rectangle in it.
class IntervalCover {
 public:
  explicit IntervalCover(std::vector<int64_t> edges)
      : edges_(std::move(edges)), count_(4 * edges_.size()), covered_(4 * edges_.size()), full_(4 * edges_.size()) {}

  // Adds `delta` covers over [from, to); both are among the edges.
  void Add(int64_t from, int64_t to, int delta) { Add(1, 0, edges_.size() - 1, Piece(from), Piece(to), delta); }

  // The covered intervals from left to right, touching ones merged.
  void Covered(std::vector<std::pair<int64_t, int64_t>>& out) const {
    out.clear();
    Collect(1, 0, edges_.size() - 1, out);
  }

 private:
  size_t Piece(int64_t x) const {
    return static_cast<size_t>(std::lower_bound(edges_.begin(), edges_.end(), x) - edges_.begin());
  }

  // `node` holds the pieces [lo, hi).
  void Add(size_t node, size_t lo, size_t hi, size_t from, size_t to, int delta) {
    if (to <= lo || hi <= from) return;
    if (from <= lo && hi <= to) {
      count_[node] += delta;
    } else {
      const size_t mid = (lo + hi) / 2;
      Add(2 * node, lo, mid, from, to, delta);
      Add(2 * node + 1, mid, hi, from, to, delta);
    }
    const bool leaf = hi - lo == 1;
    covered_[node] = count_[node] > 0 || (!leaf && (covered_[2 * node] || covered_[2 * node + 1]));
    full_[node] = count_[node] > 0 || (!leaf && full_[2 * node] && full_[2 * node + 1]);
  }

  void Collect(size_t node, size_t lo, size_t hi, std::vector<std::pair<int64_t, int64_t>>& out) const {
    if (!covered_[node]) return;
    if (full_[node]) {
      if (!out.empty() && out.back().second == edges_[lo]) out.back().second = edges_[hi];
      else out.emplace_back(edges_[lo], edges_[hi]);
      return;
    }
    const size_t mid = (lo + hi) / 2;
    Collect(2 * node, lo, mid, out);
    Collect(2 * node + 1, mid, hi, out);
  }

  std::vector<int64_t> edges_;
  std::vector<int> count_;     // rectangles covering all of the node's pieces
  std::vector<char> covered_;  // some of its pieces are covered
  std::vector<char> full_;     // all of them are
};

// Values sorted and without repeats.
std::vector<int64_t> SortedEdges(std::vector<int64_t> values) {
  std::sort(values.begin(), values.end());
  values.erase(std::unique(values.begin(), values.end()), values.end());
  return values;
}

}  // namespace

void ForEachBand(const std::vector<Box64>& rects,
                 const std::function<void(int64_t top, int64_t bottom, const std::vector<Span>& spans)>& visit) {
  std::vector<int64_t> ys, xs;
  for (const Box64& b : rects) {
    ys.insert(ys.end(), {b.minY, b.maxY});
    xs.insert(xs.end(), {b.minX, b.maxX});
  }
  const std::vector<int64_t> edges = SortedEdges(std::move(ys));
  // Each rectangle enters the cover at its top edge and leaves at its bottom.
  std::vector<const Box64*> byTop, byBottom;
  for (const Box64& b : rects) byTop.push_back(&b);
  byBottom = byTop;
  std::sort(byTop.begin(), byTop.end(), [](const Box64* a, const Box64* b) { return a->minY < b->minY; });
  std::sort(byBottom.begin(), byBottom.end(), [](const Box64* a, const Box64* b) { return a->maxY < b->maxY; });
  IntervalCover cover(SortedEdges(std::move(xs)));
  size_t nextToEnter = 0, nextToLeave = 0;
  std::vector<Span> merged;
  for (size_t e = 0; e + 1 < edges.size(); ++e) {
    const int64_t top = edges[e], bottom = edges[e + 1];
    for (; nextToLeave < byBottom.size() && byBottom[nextToLeave]->maxY <= top; ++nextToLeave)
      cover.Add(byBottom[nextToLeave]->minX, byBottom[nextToLeave]->maxX, -1);
    for (; nextToEnter < byTop.size() && byTop[nextToEnter]->minY <= top; ++nextToEnter)
      cover.Add(byTop[nextToEnter]->minX, byTop[nextToEnter]->maxX, 1);
    cover.Covered(merged);
    if (!merged.empty()) visit(top, bottom, merged);
  }
}

}  // namespace wmf
