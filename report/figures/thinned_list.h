// A list that keeps at most `capacity` of the items added to it, spread
// evenly over all of them: when it is full, every second item goes and
// from then on only every second one added is kept (then every fourth...).
// Memory stays bounded however many items come.
#ifndef TOLVANE_REPORT_FIGURES_THINNED_LIST_H
#define TOLVANE_REPORT_FIGURES_THINNED_LIST_H

#include <stddef.h>
#include <stdint.h>

#include <vector>

template <typename Item>
class ThinnedList {
public:
    // An even capacity, so that halving keeps exactly every second item.
    explicit ThinnedList(size_t capacity) : capacity_(capacity < 2 ? 2 : capacity & ~size_t(1)) {}

    void Add(const Item& item) {
        if (added_++ % stride_ != 0) {
            return;
        }
        if (items_.size() == capacity_) {
            for (size_t i = 0; i < capacity_ / 2; i++) {
                items_[i] = items_[2 * i];
            }
            items_.resize(capacity_ / 2);
            stride_ *= 2;
            if ((added_ - 1) % stride_ != 0) {
                return;
            }
        }
        items_.push_back(item);
    }

    void Clear() {
        items_.clear();
        added_ = 0;
        stride_ = 1;
    }

    const std::vector<Item>& Items() const { return items_; }

private:
    size_t capacity_;
    std::vector<Item> items_;
    uint64_t added_ = 0;
    uint64_t stride_ = 1;
};

#endif
