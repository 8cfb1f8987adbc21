#pragma once

#include "data/CA1TimeSeries.h"

#include <cstddef>
#include <vector>

// The imported series in import order, held by value. Position + 1 is the
// series number the user sees.
class CA1SeriesList {
public:
    // The new element is default-constructed and then assigned, so it carries
    // no log pointer: it stays silent until a page connects it to the log.
    void Append(const CA1TimeSeries& series);
    // The same, taking over the series' arrays instead of copying them.
    void Append(CA1TimeSeries&& series);
    // Later elements move down by one place (each keeping its own log
    // pointer) and the storage shrinks to the new size. False when `index`
    // is out of range; the list is then unchanged.
    bool RemoveAt(std::size_t index);
    // Destroys every element and releases the storage.
    void RemoveAll();

    std::size_t size() const { return m_Items.size(); }
    bool empty() const { return m_Items.empty(); }
    std::size_t capacity() const { return m_Items.capacity(); }

    CA1TimeSeries& operator[](std::size_t index) { return m_Items[index]; }
    const CA1TimeSeries& operator[](std::size_t index) const { return m_Items[index]; }

    std::vector<CA1TimeSeries>::iterator begin() { return m_Items.begin(); }
    std::vector<CA1TimeSeries>::iterator end() { return m_Items.end(); }
    std::vector<CA1TimeSeries>::const_iterator begin() const { return m_Items.begin(); }
    std::vector<CA1TimeSeries>::const_iterator end() const { return m_Items.end(); }

private:
    std::vector<CA1TimeSeries> m_Items;
};
