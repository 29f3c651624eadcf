#pragma once
// Scan conversion of outlines: the walk down the rows an outline's edges cross, keeping the edges that meet
// each row in the order of their crossings, and handing out each stretch between consecutive crossings
// that lies inside by the fill rule. What a crossing is, and which pixels a stretch holds, belong to the
// caller: Region rasterises integer polygons in exact arithmetic with a pixel centre on either end of a
// stretch inside, the metafile canvas floating-point outlines with the left end inside and the right end
// outside.
//
// The order of the crossings is kept from row to row by insertion sort: it changes only where edges cross,
// so restoring it is cheap where a full sort per row is not. Edges wholly left of the pixels a caller wants
// only add to the winding of the rows they cross and are not walked; edges wholly right of them are left
// out, and a stretch still inside after the last walked crossing reaches the right side.
//
// The walk can be metered: each step (an edge sorted, an edge moved to a row or along the order, a row) is
// charged to a budget, and the walk stops once the budget is spent, so that a hostile outline ends early
// instead of running for minutes.

#include <algorithm>
#include <climits>
#include <cstddef>
#include <utility>
#include <vector>

namespace vorlin::gfx {

enum class FillRule {
    Winding,   // inside where the outline winds round a point a non-zero number of times
    Alternate, // inside where a ray from the point crosses the outline an odd number of times
};

// ceil(log2(n + 1)): the depth of a binary search or a comparison sort over n items.
inline long long searchDepth(std::size_t n) {
    long long d = 0;
    while (n) {
        n >>= 1;
        ++d;
    }
    return d;
}

// Edge is a copyable type with
//   int yStart, yEnd;               the rows [yStart, yEnd) the edge crosses;
//   int dir;                        +1 where the outline runs down, −1 where it runs up;
//   Key crossing(int y) const;      where it crosses row y, a value ordered by <.
template <class Edge> class ScanConverter {
public:
    using Key = decltype(std::declval<const Edge&>().crossing(0));

    // With a budget, every step of the walk costs stepCost units of it.
    explicit ScanConverter(FillRule rule, long long* budget = nullptr, long long stepCost = 0)
        : rule_(rule), budget_(budget), stepCost_(stepCost) {}

    void addEdge(const Edge& e) {
        extendRows(e.yStart, e.yEnd);
        edges_.push_back(e);
    }
    // An edge whose crossings all lie left of every pixel the caller wants.
    void addEdgeLeft(int yStart, int yEnd, int dir) {
        extendRows(yStart, yEnd);
        const int v = rule_ == FillRule::Alternate ? 1 : dir;
        leftChanges_.push_back({yStart, v});
        leftChanges_.push_back({yEnd, -v});
    }
    // An edge whose crossings all lie right of every pixel the caller wants. It is not walked; its rows
    // still count as rows of the outline.
    void addEdgeRight(int yStart, int yEnd) { extendRows(yStart, yEnd); }

    // Calls out(y, from, to) for each stretch of row y between consecutive crossings that lies inside, in
    // order of rows and, within a row, from left to right. from and to are where the stretch's ends lie,
    // as place(crossing) gives it once for each crossing of the row; leftEnd where the stretch begins left
    // of every walked crossing (edges left of the pixels wind round it), rightEnd where it runs on past the
    // last one.
    template <class Out, class Place, class End>
    void run(Out&& out, Place&& place, End leftEnd, End rightEnd) {
        if (yFirst_ >= yLast_ || spent()) return;
        charge(static_cast<long long>(edges_.size()) * searchDepth(edges_.size()));
        if (spent()) return;
        std::sort(edges_.begin(), edges_.end(),
                  [](const Edge& a, const Edge& b) { return a.yStart < b.yStart; });
        std::sort(leftChanges_.begin(), leftChanges_.end());
        const bool anyLeft = !leftChanges_.empty();

        struct Crossing {
            Key x;
            Edge e; // a copy: the walk reads it on every row, and a copy keeps the reads in one place
        };
        const auto byX = [](const Crossing& a, const Crossing& b) { return a.x < b.x; };
        std::vector<Crossing> active;
        std::size_t next = 0, nextLeft = 0;
        int left = 0; // the winding (or the count) of the edges left of the pixels on this row
        for (int y = yFirst_; y < yLast_ && !spent(); ++y) {
            for (; nextLeft < leftChanges_.size() && leftChanges_[nextLeft].first <= y; ++nextLeft)
                left += leftChanges_[nextLeft].second;
            std::erase_if(active, [y](const Crossing& c) { return c.e.yEnd <= y; });
            if (active.empty() && !anyLeft) {
                if (next == edges_.size()) break;
                y = std::max(y, edges_[next].yStart);
            }
            for (Crossing& c : active) c.x = c.e.crossing(y);
            charge(static_cast<long long>(active.size()) + 1);
            for (std::size_t i = 1; i < active.size(); ++i) {
                const Crossing c = active[i];
                std::size_t j = i;
                for (; j > 0 && c.x < active[j - 1].x; --j) active[j] = active[j - 1];
                active[j] = c;
                charge(static_cast<long long>(i - j));
                if (spent()) return;
            }
            if (next < edges_.size() && edges_[next].yStart <= y) {
                const std::size_t first = active.size();
                for (; next < edges_.size() && edges_[next].yStart <= y; ++next)
                    active.push_back({edges_[next].crossing(y), edges_[next]});
                const std::size_t joined = active.size() - first;
                charge(static_cast<long long>(joined) * searchDepth(joined) +
                       static_cast<long long>(active.size()));
                if (spent()) return;
                std::sort(active.begin() + static_cast<std::ptrdiff_t>(first), active.end(), byX);
                std::inplace_merge(active.begin(), active.begin() + static_cast<std::ptrdiff_t>(first),
                                   active.end(), byX);
            }
            int wind = rule_ == FillRule::Alternate ? (left & 1) : left;
            End from = leftEnd;
            for (const Crossing& c : active) {
                const End at = place(c.x);
                if (wind != 0) out(y, from, at);
                wind = rule_ == FillRule::Alternate ? (wind ^ 1) : wind + c.e.dir;
                from = at;
            }
            if (wind != 0) out(y, from, rightEnd);
        }
    }

private:
    void extendRows(int yStart, int yEnd) {
        yFirst_ = std::min(yFirst_, yStart);
        yLast_ = std::max(yLast_, yEnd);
    }
    void charge(long long steps) {
        if (budget_) *budget_ -= stepCost_ * steps;
    }
    bool spent() const { return budget_ && *budget_ < 0; }

    FillRule rule_;
    long long* budget_;
    long long stepCost_;
    std::vector<Edge> edges_;
    std::vector<std::pair<int, int>> leftChanges_; // (row, change of the winding from that row on)
    int yFirst_ = INT_MAX, yLast_ = INT_MIN;
};

} // namespace vorlin::gfx
