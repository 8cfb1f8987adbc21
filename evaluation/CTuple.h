#pragma once

#include <cstdint>
#include <vector>

// A vector of doubles for the fit module's quasi-Newton arithmetic. Binary
// element-wise operations run over the common length; elements of the first
// operand beyond the second operand's length are taken over unchanged, so a
// result always has the first operand's length.
class CTuple {
public:
    CTuple() = default;
    explicit CTuple(std::uint32_t nSize, double dValue = 0.0);
    CTuple(const double* pValues, std::uint32_t nSize);
    virtual ~CTuple() = default;
    CTuple(const CTuple&) = default;
    CTuple& operator=(const CTuple&) = default;
    CTuple(CTuple&&) = default;
    CTuple& operator=(CTuple&&) = default;

    std::uint32_t Size() const { return static_cast<std::uint32_t>(m_Values.size()); }
    double& operator[](std::uint32_t j) { return m_Values[j]; }
    double operator[](std::uint32_t j) const { return m_Values[j]; }
    const double* Data() const { return m_Values.data(); }
    void CopyTo(double* pTarget) const;

    CTuple operator+(const CTuple& other) const;
    CTuple operator-(const CTuple& other) const;
    CTuple operator-() const;
    CTuple operator*(double dFactor) const;
    // Sum of the products over the shorter of the two lengths.
    double Dot(const CTuple& other) const;
    CTuple Abs() const;
    CTuple Max(double dFloor) const;
    CTuple Product(const CTuple& other) const;
    CTuple Quotient(const CTuple& other) const;
    // The largest element; not a number as soon as one element is, so that a
    // convergence test on a broken point can never pass. 0 for an empty tuple.
    double MaxElement() const;
    // result_j = sum_i a_i * M[i * n + j] for the n x n matrix M stored row by
    // row, n being this tuple's length.
    CTuple MatrixProduct(const std::vector<double>& matrix) const;

private:
    template <typename Op> CTuple Combine(const CTuple& other, Op op) const;
    template <typename Op> CTuple Map(Op op) const;

    std::vector<double> m_Values;
};
