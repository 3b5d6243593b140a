#include "chart/ValueList.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "chart/ChartMessages.h"
#include "chart/ChartSeries.h"
#include "numtext/Extended.h"

namespace curvella {

TChartValueList::TChartValueList(TChartSeries* owner, std::string name)
    : m_owner(owner), m_name(std::move(name)) {}

void TChartValueList::CheckIndex(std::int64_t index, std::int64_t limit) const {
  if (index < 0 || index >= limit) throw EListError(index);
}

double TChartValueList::ValueAt(std::int32_t index) const {
  CheckIndex(index, ValueCount());
  const double raw = m_values[static_cast<std::size_t>(index)];
  if (m_multiplier == 1.0) return raw;
  // The product is formed in extended precision and stored as a double.
  return StoreDouble(static_cast<long double>(raw) * m_multiplier);
}

void TChartValueList::SetValueAt(std::int32_t index, double value) {
  CheckIndex(index, ValueCount());
  m_values[static_cast<std::size_t>(index)] = value;
  m_statsStale = true;
  if (m_owner) m_owner->NotifyDependents(TDependentNotice::Change, index);
}

std::int32_t TChartValueList::AddInOrder(double value) {
  m_statsStale = true;
  const std::int32_t count = ValueCount();
  std::int32_t index = count;
  if (m_order != TChartListOrder::loNone && count > 0) {
    // The comparisons are written so that an unordered one (a NaN) appends.
    const bool ascending = m_order == TChartListOrder::loAscending;
    const auto before = [&](double stored) { return ascending ? stored > value : stored < value; };
    if (before(m_values.back())) {
      index = count - 1;
      while (index > 0 && before(m_values[static_cast<std::size_t>(index - 1)])) --index;
    }
  }
  m_values.insert(m_values.begin() + index, value);
  return index;
}

void TChartValueList::InsertAt(std::int32_t index, double value) {
  CheckIndex(index, static_cast<std::int64_t>(ValueCount()) + 1);
  m_values.insert(m_values.begin() + index, value);
  m_statsStale = true;
}

void TChartValueList::RemoveAt(std::int32_t index) {
  CheckIndex(index, ValueCount());
  m_values.erase(m_values.begin() + index);
  m_statsStale = true;
}

void TChartValueList::Swap(std::int32_t a, std::int32_t b) {
  CheckIndex(a, ValueCount());
  CheckIndex(b, ValueCount());
  std::swap(m_values[static_cast<std::size_t>(a)], m_values[static_cast<std::size_t>(b)]);
  m_statsStale = true;
}

void TChartValueList::ClearAll() {
  std::vector<double>().swap(m_values);
  m_statsStale = true;
}

std::int32_t TChartValueList::IndexOfValue(double value) const {
  for (std::int32_t i = 0; i < ValueCount(); ++i) {
    if (ValueAt(i) == value) return i;
  }
  return -1;
}

void TChartValueList::RotateLeft() {
  if (m_values.empty()) return;
  std::rotate(m_values.begin(), m_values.begin() + 1, m_values.end());
}

void TChartValueList::FillWithIndices() {
  for (std::int32_t i = 0; i < ValueCount(); ++i) SetValueAt(i, i);
}

void TChartValueList::SortByOrder() {
  if (m_order == TChartListOrder::loNone || ValueCount() < 2) return;
  QuickSort(0, ValueCount() - 1);
}

// Quicksort on the middle element, comparing multiplied values and swapping
// whole points of the owning series.
void TChartValueList::QuickSort(std::int32_t low, std::int32_t high) {
  const bool ascending = m_order == TChartListOrder::loAscending;
  const auto less = [&](double a, double b) { return ascending ? a < b : a > b; };
  while (low < high) {
    std::int32_t i = low;
    std::int32_t j = high;
    const double pivot = ValueAt((low + high) / 2);
    while (i <= j) {
      while (less(ValueAt(i), pivot)) ++i;
      while (less(pivot, ValueAt(j))) --j;
      if (i <= j) {
        if (i != j) {
          if (m_owner)
            m_owner->SwapPoints(i, j);
          else
            Swap(i, j);
        }
        ++i;
        --j;
      }
    }
    // The smaller side first keeps the recursion shallow.
    if (j - low < high - i) {
      QuickSort(low, j);
      low = i;
    } else {
      QuickSort(i, high);
      high = j;
    }
  }
  m_statsStale = true;
}

void TChartValueList::RecomputeStatistics() const {
  m_statsStale = false;
  m_lowest = m_highest = m_sum = m_magnitudeSum = 0;
  if (m_values.empty()) return;
  // The sums round to double at each step, as a stored running total does;
  // infinities and NaN pass through quietly.
  double value = (*this)[0];
  m_lowest = m_highest = m_sum = value;
  m_magnitudeSum = std::fabs(value);
  for (std::int32_t i = 1; i < ValueCount(); ++i) {
    value = (*this)[i];
    if (value < m_lowest)
      m_lowest = value;
    else if (value > m_highest)
      m_highest = value;
    m_sum = static_cast<double>(static_cast<long double>(m_sum) + value);
    m_magnitudeSum = static_cast<double>(static_cast<long double>(m_magnitudeSum) + std::fabs(value));
  }
}

double TChartValueList::LowestValue() const {
  if (m_statsStale) RecomputeStatistics();
  return m_lowest;
}

double TChartValueList::HighestValue() const {
  if (m_statsStale) RecomputeStatistics();
  return m_highest;
}

double TChartValueList::SumOfValues() const {
  if (m_statsStale) RecomputeStatistics();
  return m_sum;
}

double TChartValueList::SumOfMagnitudes() const {
  if (m_statsStale) RecomputeStatistics();
  return m_magnitudeSum;
}

void TChartValueList::SetDateTime(bool dateTime) {
  if (dateTime == m_dateTime) return;
  m_dateTime = dateTime;
  if (m_owner) m_owner->RequestRepaint();
}

void TChartValueList::SetMultiplier(double multiplier) {
  if (multiplier == m_multiplier) return;
  m_multiplier = multiplier;
  m_statsStale = true;
  if (m_owner) {
    m_owner->NotifyDependents(TDependentNotice::Refresh);
    m_owner->RequestRepaint();
  }
}

void TChartValueList::SetValueSource(const std::string& source) {
  if (source == m_valueSource) return;
  m_valueSource = source;
  if (m_owner) m_owner->CheckDataSource();
}

void TChartValueList::Assign(const TChartValueList& other) {
  m_order = other.m_order;
  m_dateTime = other.m_dateTime;
  m_multiplier = other.m_multiplier;
  m_valueSource = other.m_valueSource;
  m_statsStale = true;
}

} // namespace curvella
