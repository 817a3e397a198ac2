#pragma once

#include <vector>

namespace Opt {

// The evaluated points of a DIRECT search grouped by level, each level a binary
// min-heap ordered by value (the later point first on equal values). The search
// reads only the lowest points of every level, while points join, move between
// levels and leave all the time; a heap keeps all three cheap and needs no
// allocation per point. Every point remembers where it sits in its level's heap,
// so it can leave from anywhere in O(log n).
class DIRECTLevelIndex {
public:
    struct Entry {
        double value;
        int point;
    };
    // The order of the index: by value, the later point first on equal values.
    static bool precedes(const Entry& a, const Entry& b)
    {
        return a.value < b.value || (a.value == b.value && a.point > b.point);
    }

    // Indexes a point at a level; the point must not be indexed yet.
    void insert(int point, int level, double value);
    // Removes a point from the index; a point that is not indexed is left alone.
    void erase(int point);
    bool contains(int point) const
    {
        return static_cast<std::size_t>(point) < slots.size() && slots[point].level >= 0;
    }

    int levelCount() const { return static_cast<int>(heaps.size()); }
    bool emptyLevel(int level) const { return heaps[level].empty(); }
    // The level's entries in heap order (for passes that do not need the order).
    const std::vector<Entry>& entriesOf(int level) const { return heaps[level]; }

    // Calls visit(entry) on the level's entries in the index's order until it
    // returns false. Walking a heap in order only touches the entries visited and
    // the children of those, so reading the lowest few costs next to nothing.
    template <class Visit>
    void visitInOrder(int level, Visit&& visit) const
    {
        const std::vector<Entry>& heap = heaps[level];
        if (heap.empty()) {
            return;
        }
        frontier.clear();
        pushFrontier(heap, 0);
        while (!frontier.empty()) {
            const int at = popFrontier(heap);
            if (!visit(heap[at])) {
                return;
            }
            pushFrontier(heap, 2 * at + 1);
            pushFrontier(heap, 2 * at + 2);
        }
    }

private:
    struct Slot {
        int level = -1; // -1: not indexed
        int position = 0;
    };

    void place(std::vector<Entry>& heap, int position, const Entry& entry);
    void siftUp(std::vector<Entry>& heap, int position);
    void siftDown(std::vector<Entry>& heap, int position);
    void pushFrontier(const std::vector<Entry>& heap, int position) const;
    int popFrontier(const std::vector<Entry>& heap) const;

    std::vector<std::vector<Entry>> heaps; // per level
    std::vector<Slot> slots;               // per point
    // Heap positions still to be visited by an ordered walk, itself a min-heap.
    // Kept between walks only to spare an allocation per walk.
    mutable std::vector<int> frontier;
};

} // namespace Opt
