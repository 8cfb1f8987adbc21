#include "data/CA1SeriesList.h"

void CA1SeriesList::Append(const CA1TimeSeries& series) {
    m_Items.emplace_back();
    m_Items.back() = series;
}

void CA1SeriesList::Append(CA1TimeSeries&& series) {
    m_Items.emplace_back();
    m_Items.back() = std::move(series);
}

bool CA1SeriesList::RemoveAt(std::size_t index) {
    if (index >= m_Items.size())
        return false;
    // Rebuilding by copy construction (not erase, which assigns) lets every
    // element keep its own log pointer, and leaves exactly the needed storage.
    std::vector<CA1TimeSeries> kept;
    kept.reserve(m_Items.size() - 1);
    for (std::size_t i = 0; i < m_Items.size(); ++i)
        if (i != index)
            kept.push_back(m_Items[i]);
    m_Items.swap(kept);
    return true;
}

void CA1SeriesList::RemoveAll() {
    std::vector<CA1TimeSeries>().swap(m_Items);
}
