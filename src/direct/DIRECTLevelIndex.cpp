#include "direct/DIRECTLevelIndex.h"

#include <algorithm>

namespace Opt {

void DIRECTLevelIndex::insert(int point, int level, double value)
{
    if (heaps.size() <= static_cast<std::size_t>(level)) {
        heaps.resize(static_cast<std::size_t>(level) + 1);
    }
    // Points mostly come in ascending order, one new slot at a time: appending
    // costs less than resizing, and touches no memory ahead of need.
    while (slots.size() <= static_cast<std::size_t>(point)) {
        slots.push_back(Slot());
    }
    std::vector<Entry>& heap = heaps[level];
    slots[point].level = level;
    heap.push_back({value, point});
    slots[point].position = static_cast<int>(heap.size()) - 1;
    siftUp(heap, slots[point].position);
}

void DIRECTLevelIndex::erase(int point)
{
    if (!contains(point)) {
        return;
    }
    Slot& slot = slots[point];
    std::vector<Entry>& heap = heaps[slot.level];
    const int position = slot.position;
    slot.level = -1;
    const Entry last = heap.back();
    heap.pop_back();
    if (position == static_cast<int>(heap.size())) {
        return; // the point was the last entry
    }
    // The last entry fills the hole and moves whichever way the order asks.
    place(heap, position, last);
    siftUp(heap, position);
    siftDown(heap, slots[last.point].position);
}

void DIRECTLevelIndex::place(std::vector<Entry>& heap, int position, const Entry& entry)
{
    heap[position] = entry;
    slots[entry.point].position = position;
}

void DIRECTLevelIndex::siftUp(std::vector<Entry>& heap, int position)
{
    const Entry moving = heap[position];
    while (position > 0) {
        const int parent = (position - 1) / 2;
        if (!precedes(moving, heap[parent])) {
            break;
        }
        place(heap, position, heap[parent]);
        position = parent;
    }
    place(heap, position, moving);
}

void DIRECTLevelIndex::siftDown(std::vector<Entry>& heap, int position)
{
    const Entry moving = heap[position];
    const int size = static_cast<int>(heap.size());
    while (true) {
        int child = 2 * position + 1;
        if (child >= size) {
            break;
        }
        if (child + 1 < size && precedes(heap[child + 1], heap[child])) {
            ++child;
        }
        if (!precedes(heap[child], moving)) {
            break;
        }
        place(heap, position, heap[child]);
        position = child;
    }
    place(heap, position, moving);
}

void DIRECTLevelIndex::pushFrontier(const std::vector<Entry>& heap, int position) const
{
    if (position >= static_cast<int>(heap.size())) {
        return;
    }
    frontier.push_back(position);
    std::push_heap(frontier.begin(), frontier.end(),
                   [&heap](int a, int b) { return precedes(heap[b], heap[a]); });
}

int DIRECTLevelIndex::popFrontier(const std::vector<Entry>& heap) const
{
    std::pop_heap(frontier.begin(), frontier.end(),
                  [&heap](int a, int b) { return precedes(heap[b], heap[a]); });
    const int position = frontier.back();
    frontier.pop_back();
    return position;
}

} // namespace Opt
