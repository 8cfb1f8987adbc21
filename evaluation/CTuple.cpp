#include "evaluation/CTuple.h"

#include <algorithm>
#include <cmath>

CTuple::CTuple(std::uint32_t nSize, double dValue) : m_Values(nSize, dValue) {}

CTuple::CTuple(const double* pValues, std::uint32_t nSize) : m_Values(pValues, pValues + nSize) {}

void CTuple::CopyTo(double* pTarget) const {
    std::copy(m_Values.begin(), m_Values.end(), pTarget);
}

template <typename Op> CTuple CTuple::Combine(const CTuple& other, Op op) const {
    CTuple result(*this);
    const std::uint32_t common = std::min(Size(), other.Size());
    for (std::uint32_t j = 0; j < common; ++j)
        result.m_Values[j] = op(m_Values[j], other.m_Values[j]);
    return result;
}

template <typename Op> CTuple CTuple::Map(Op op) const {
    CTuple result(*this);
    for (double& value : result.m_Values)
        value = op(value);
    return result;
}

CTuple CTuple::operator+(const CTuple& other) const {
    return Combine(other, [](double a, double b) { return a + b; });
}

CTuple CTuple::operator-(const CTuple& other) const {
    return Combine(other, [](double a, double b) { return a - b; });
}

CTuple CTuple::operator-() const {
    return Map([](double a) { return -a; });
}

CTuple CTuple::operator*(double dFactor) const {
    return Map([dFactor](double a) { return a * dFactor; });
}

double CTuple::Dot(const CTuple& other) const {
    const std::uint32_t common = std::min(Size(), other.Size());
    double sum = 0.0;
    for (std::uint32_t j = 0; j < common; ++j)
        sum += m_Values[j] * other.m_Values[j];
    return sum;
}

CTuple CTuple::Abs() const {
    return Map([](double a) { return std::fabs(a); });
}

CTuple CTuple::Max(double dFloor) const {
    return Map([dFloor](double a) { return std::max(a, dFloor); });
}

CTuple CTuple::Product(const CTuple& other) const {
    return Combine(other, [](double a, double b) { return a * b; });
}

CTuple CTuple::Quotient(const CTuple& other) const {
    return Combine(other, [](double a, double b) { return a / b; });
}

double CTuple::MaxElement() const {
    if (m_Values.empty())
        return 0.0;
    double largest = m_Values.front();
    for (double value : m_Values) {
        if (std::isnan(value))
            return value;
        largest = std::max(largest, value);
    }
    return largest;
}

CTuple CTuple::MatrixProduct(const std::vector<double>& matrix) const {
    const std::uint32_t n = Size();
    CTuple result(n);
    for (std::uint32_t j = 0; j < n; ++j) {
        double sum = 0.0;
        for (std::uint32_t i = 0; i < n; ++i)
            sum += m_Values[i] * matrix[static_cast<std::size_t>(i) * n + j];
        result.m_Values[j] = sum;
    }
    return result;
}
